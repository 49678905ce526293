// SPDX-License-Identifier: GPL-3.0-or-later
// A filled polygon gives the same pixels on the desktop's painter canvas and
// on the browser's raster canvas: the shapes a rule's picture fills.
#include <gtest/gtest.h>

#include <QImage>

#include <random>
#include <vector>

#include "platform/qpainter_canvas.h"
#include "web/raster_canvas.h"

namespace tavex {
namespace {

class FixedMeasure : public FontMeasure {
 public:
  TextMetrics metrics(const FontDescription&) override { return {6, 15, 12, 3}; }
  int width(const FontDescription&, std::string_view text) override {
    return 6 * static_cast<int>(text.size());
  }
};

TEST(PolygonPixels, PainterAndRasterCanvasFillTheSameUnits) {
  std::mt19937 random(7);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  for (int shape = 0; shape < 200; ++shape) {
    // Areas between an axis and a top of a few points, as a rule's picture
    // hands them over, and a few wild ones.
    std::vector<Point> points;
    const int axis = 10 + pick(40), corners = 2 + pick(5);
    int x = pick(20);
    points.push_back({x, axis});
    for (int i = 0; i < corners; ++i) {
      points.push_back({x, pick(60)});
      x += pick(12);
    }
    points.push_back({x, axis});
    if (shape % 10 == 0)
      for (Point& p : points) p = {pick(60), pick(60)};
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainterCanvas painter(&image);
      painter.fillPolygon(points.data(), static_cast<int>(points.size()), makeBrush(Rgb{0, 0, 160}));
    }
    FixedMeasure measure;
    RasterCanvas raster(64, 64, measure);
    raster.fillPolygon(points.data(), static_cast<int>(points.size()), makeBrush(Rgb{0, 0, 160}));
    int differ = 0;
    for (int y = 0; y < 64; ++y)
      for (int px = 0; px < 64; ++px) {
        const std::uint32_t r = raster.pixels()[y * 64 + px];
        const bool painted = qBlue(image.pixel(px, y)) == 160;
        differ += painted != ((r >> 16 & 0xFF) == 160 && (r & 0xFF) == 0);
      }
    EXPECT_EQ(differ, 0) << "shape " << shape;
  }
}

}  // namespace
}  // namespace tavex
