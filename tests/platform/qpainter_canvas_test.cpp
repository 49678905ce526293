// SPDX-License-Identifier: GPL-3.0-or-later
// The QPainter canvas, drawn into images and checked pixel by pixel.
#include "platform/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "graphics/graph_frame.h"

namespace tavex {
namespace {

// Fonts need a GUI application; without a display it runs offscreen.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QGuiApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QGuiApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const Rgb kWhite{255, 255, 255};
const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 160};
const Rgb kGreen{0, 160, 0};

Rgb pixel(const QImage& image, int x, int y) {
  const QRgb value = image.pixel(x, y);
  return Rgb{static_cast<std::uint8_t>(qRed(value)), static_cast<std::uint8_t>(qGreen(value)),
             static_cast<std::uint8_t>(qBlue(value))};
}

// Pixels of a colour, in row order.
std::vector<QPoint> pixelsOf(const QImage& image, Rgb colour) {
  std::vector<QPoint> result;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (pixel(image, x, y) == colour) result.emplace_back(x, y);
    }
  }
  return result;
}

int countOtherThan(const QImage& image, Rgb a, Rgb b) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgb p = pixel(image, x, y);
      count += !(p == a) && !(p == b);
    }
  }
  return count;
}

QImage whiteImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

TEST(QPainterCanvas, LinesAreAliasedExactAndLeaveOutTheirEndPoint) {
  QImage image = whiteImage(20, 12);
  {
    QPainterCanvas canvas(&image);
    canvas.selectPen(makePen(kRed, 1));
    canvas.moveTo(2, 2);
    canvas.lineTo(10, 2);
    canvas.moveTo(3, 4);
    canvas.lineTo(7, 8);  // diagonal
  }
  std::vector<QPoint> expected;
  for (int x = 2; x < 10; ++x) expected.emplace_back(x, 2);
  for (int i = 0; i < 4; ++i) expected.emplace_back(3 + i, 4 + i);
  EXPECT_EQ(pixelsOf(image, kRed), expected);
  EXPECT_EQ(countOtherThan(image, kRed, kWhite), 0);  // no blended pixels
}

// In every direction and slope: the start pixel drawn, the end pixel not, one
// pixel per unit along the major axis, all of them between the two ends.
TEST(QPainterCanvas, EveryLineDrawsItsStartAndLeavesOutItsEnd) {
  const int cx = 12;
  const int cy = 12;
  for (int ex = 0; ex <= 24; ++ex) {
    for (int ey = 0; ey <= 24; ++ey) {
      if (ex == cx && ey == cy) continue;
      QImage image = whiteImage(25, 25);
      {
        QPainterCanvas canvas(&image);
        canvas.selectPen(makePen(kRed, 1));
        canvas.moveTo(cx, cy);
        canvas.lineTo(ex, ey);
      }
      const std::vector<QPoint> drawn = pixelsOf(image, kRed);
      const int length = std::max(std::abs(ex - cx), std::abs(ey - cy));
      ASSERT_EQ(static_cast<int>(drawn.size()), length) << ex << "," << ey;
      ASSERT_EQ(pixel(image, cx, cy), kRed) << ex << "," << ey;
      ASSERT_EQ(pixel(image, ex, ey), kWhite) << ex << "," << ey;
      for (const QPoint& p : drawn) {
        ASSERT_TRUE(p.x() >= std::min(cx, ex) && p.x() <= std::max(cx, ex) &&
                    p.y() >= std::min(cy, ey) && p.y() <= std::max(cy, ey))
            << ex << "," << ey;
      }
    }
  }
}

TEST(QPainterCanvas, PolylineJoinsAndZeroLengthLinesDrawNothing) {
  QImage image = whiteImage(12, 12);
  {
    QPainterCanvas canvas(&image);
    canvas.selectPen(makePen(kBlue, 1));
    canvas.moveTo(2, 5);
    canvas.lineTo(8, 5);
    canvas.lineTo(8, 9);
    canvas.moveTo(1, 1);
    canvas.lineTo(1, 1);
  }
  EXPECT_EQ(pixel(image, 7, 5), kBlue);
  EXPECT_EQ(pixel(image, 8, 5), kBlue);  // start of the second segment
  EXPECT_EQ(pixel(image, 8, 8), kBlue);
  EXPECT_EQ(pixel(image, 8, 9), kWhite);  // end point left out
  EXPECT_EQ(pixel(image, 1, 1), kWhite);
  EXPECT_EQ(pixelsOf(image, kBlue).size(), 6u + 4u);
}

TEST(QPainterCanvas, WidePenCoversItsWidth) {
  QImage image = whiteImage(20, 12);
  {
    QPainterCanvas canvas(&image);
    canvas.selectPen(makePen(kRed, 3));
    canvas.moveTo(5, 6);
    canvas.lineTo(15, 6);
  }
  for (int y : {5, 6, 7}) EXPECT_EQ(pixel(image, 10, y), kRed) << y;
  EXPECT_EQ(pixel(image, 10, 4), kWhite);
  EXPECT_EQ(pixel(image, 10, 8), kWhite);
}

TEST(QPainterCanvas, RectangleOutlineAndInsideStopBeforeRightAndBottom) {
  QImage image = whiteImage(30, 20);
  {
    QPainterCanvas canvas(&image);
    canvas.selectPen(makePen(kRed, 1));
    canvas.selectBrush(makeBrush(kBlue));
    canvas.rectangle(10, 5, 20, 12);
  }
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 5 && y < 12;
      const bool edge = inside && (x == 10 || x == 19 || y == 5 || y == 11);
      const Rgb expected = !inside ? kWhite : edge ? kRed : kBlue;
      ASSERT_EQ(pixel(image, x, y), expected) << x << "," << y;
    }
  }
}

TEST(QPainterCanvas, FillAndClipRegionsExcludeRightAndBottom) {
  QImage image = whiteImage(20, 20);
  {
    QPainterCanvas canvas(&image);
    canvas.fillRegion(makeRectRegion(Rect{5, 5, 8, 7}), makeBrush(kGreen));
    const Region clip = makeRectRegion(Rect{0, 10, 10, 15});
    canvas.setClipRegion(&clip);
    canvas.selectPen(makePen(kRed, 1));
    canvas.moveTo(0, 12);
    canvas.lineTo(19, 12);  // cut at x = 10
    canvas.moveTo(2, 0);
    canvas.lineTo(2, 19);  // cut to y 10 to 14
    canvas.setClipRegion(nullptr);
    canvas.selectPen(makePen(kBlue, 1));
    canvas.moveTo(0, 18);
    canvas.lineTo(19, 18);
  }
  std::vector<QPoint> green = pixelsOf(image, kGreen);
  EXPECT_EQ(green, (std::vector<QPoint>{{5, 5}, {6, 5}, {7, 5}, {5, 6}, {6, 6}, {7, 6}}));
  EXPECT_EQ(pixel(image, 9, 12), kRed);
  EXPECT_EQ(pixel(image, 10, 12), kWhite);
  EXPECT_EQ(pixel(image, 2, 9), kWhite);
  EXPECT_EQ(pixel(image, 2, 10), kRed);
  EXPECT_EQ(pixel(image, 2, 14), kRed);
  EXPECT_EQ(pixel(image, 2, 15), kWhite);
  EXPECT_EQ(pixelsOf(image, kBlue).size(), 19u);  // clip lifted
}

// A polygon fills the units whose centres lie inside it, as a rectangle
// region of the same corners does, within the clip; no outline.
TEST(QPainterCanvas, PolygonFillsItsInsideWithinTheClip) {
  QImage image = whiteImage(20, 20);
  {
    QPainterCanvas canvas(&image);
    const Point square[] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    canvas.fillPolygon(square, 4, makeBrush(kGreen));
    const Point twoPoints[] = {{10, 10}, {15, 15}};
    canvas.fillPolygon(twoPoints, 2, makeBrush(kRed));  // nothing
    const Region clip = makeRectRegion(Rect{10, 0, 20, 20});
    canvas.setClipRegion(&clip);
    const Point wide[] = {{0, 10}, {20, 10}, {20, 12}, {0, 12}};
    canvas.fillPolygon(wide, 4, makeBrush(kBlue));
  }
  std::vector<QPoint> square;
  for (int y = 2; y < 5; ++y)
    for (int x = 2; x < 6; ++x) square.push_back({x, y});
  EXPECT_EQ(pixelsOf(image, kGreen), square);
  EXPECT_TRUE(pixelsOf(image, kRed).empty());
  const std::vector<QPoint> blue = pixelsOf(image, kBlue);
  EXPECT_EQ(blue.size(), 20u);  // x 10 to 19, rows 10 and 11
  EXPECT_EQ(blue.front(), QPoint(10, 10));
}

TEST(QPainterCanvas, EmptyClipRegionShowsNothing) {
  QImage image = whiteImage(20, 20);
  {
    QPainterCanvas canvas(&image);
    const Region empty = makeRectRegion(Rect{5, 5, 5, 10});
    canvas.setClipRegion(&empty);
    canvas.selectPen(makePen(kRed, 1));
    canvas.moveTo(0, 7);
    canvas.lineTo(19, 7);
    canvas.rectangle(0, 0, 10, 10);
    canvas.fillRegion(makeRectRegion(Rect{0, 0, 20, 20}), makeBrush(kBlue));
    canvas.textOut(0, 0, "x");
  }
  EXPECT_EQ(countOtherThan(image, kWhite, kWhite), 0);
}

TEST(QPainterCanvas, HugeCoordinatesDrawTheVisiblePart) {
  QImage image = whiteImage(40, 40);
  {
    QPainterCanvas canvas(&image);
    canvas.selectPen(makePen(kRed, 1));
    canvas.moveTo(10, 10);
    canvas.lineTo(10, kDeviceCoordinateLimit);
    canvas.moveTo(20, 30);
    canvas.lineTo(20, -kDeviceCoordinateLimit);
    canvas.moveTo(25, 0);
    canvas.lineTo(kDeviceCoordinateLimit, kDeviceCoordinateLimit - 25);
  }
  for (int k = 0; k < 15; ++k) EXPECT_EQ(pixel(image, 25 + k, k), kRed) << k;
  for (int y = 10; y < 40; ++y) EXPECT_EQ(pixel(image, 10, y), kRed) << y;
  for (int y = 0; y <= 30; ++y) EXPECT_EQ(pixel(image, 20, y), kRed) << y;
  EXPECT_EQ(pixel(image, 10, 9), kWhite);
  EXPECT_EQ(pixel(image, 20, 31), kWhite);
}

TEST(QPainterCanvas, TextIsOpaqueInItsCell) {
  const Rgb yellow{253, 254, 218};
  QImage image = whiteImage(100, 40);
  Size extent;
  {
    QPainterCanvas canvas(&image);
    const FontHandle font = createScaledFont(canvas, "Times New Roman", 100, 100, 0, 1);
    canvas.selectFont(font);
    canvas.setBackgroundColour(yellow);
    canvas.setTextColour(kBlue);
    extent = canvas.textExtent("Hx");
    canvas.textOut(10, 5, "Hx");
  }
  ASSERT_GT(extent.width, 0);
  EXPECT_EQ(extent.height, 15);
  int ink = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool inCell = x >= 10 && x < 10 + extent.width && y >= 5 && y < 5 + extent.height;
      const Rgb p = pixel(image, x, y);
      if (!inCell) {
        ASSERT_EQ(p, kWhite) << x << "," << y;
      } else {
        ASSERT_FALSE(p == kWhite) << x << "," << y;
        ink += !(p == yellow);
      }
    }
  }
  EXPECT_GT(ink, 10);  // the glyphs are there
}

TEST(QPainterCanvas, ScaledFontFollowsTheDeviceResolution) {
  QImage screen = whiteImage(50, 50);
  QPainterCanvas canvas(&screen);
  ASSERT_EQ(canvas.resolution().logicalDpiX, 96);
  const FontHandle font = createScaledFont(canvas, "Times New Roman", 100, 100, 0, 1);
  EXPECT_EQ(canvas.resolvedFamily(font), "Liberation Serif");
  canvas.selectFont(font);
  const TextMetrics metrics = canvas.textMetrics();
  EXPECT_EQ(metrics.height, 15);  // a 13-unit character height
  EXPECT_EQ(metrics.averageCharWidth, 7);

  // 600 dots per inch: a character height of 117 and a widened face.
  QImage paper = whiteImage(50, 50);
  paper.setDotsPerMeterX(23622);
  paper.setDotsPerMeterY(23622);
  QPainterCanvas printer(&paper);
  ASSERT_EQ(printer.resolution().logicalDpiY, 600);
  const FontHandle narrow = createScaledFont(printer, "Times New Roman", 140, 0, 0, 1);
  const FontHandle wide = createScaledFont(printer, "Times New Roman", 140, 160, 0, 1);
  printer.selectFont(narrow);
  const TextMetrics natural = printer.textMetrics();
  printer.selectFont(wide);
  const TextMetrics widened = printer.textMetrics();
  EXPECT_EQ(natural.height, widened.height);
  // A 117-unit em of Liberation Serif has a 129-unit cell.
  EXPECT_NEAR(natural.height, 129, 1);
  const int wanted = static_cast<int>(1333.0 * natural.averageCharWidth / 1166 + 0.5);
  EXPECT_NEAR(widened.averageCharWidth, wanted, 2);
  EXPECT_GT(widened.averageCharWidth, natural.averageCharWidth);
}

TEST(QPainterCanvas, FontAttributesReachTheFont) {
  QImage image = whiteImage(10, 10);
  QPainterCanvas canvas(&image);
  FontDescription description;
  description.height = -20;
  description.faceName = "Times New Roman";
  const FontHandle plain = canvas.createFont(description);
  description.weight = 700;
  const FontHandle bold = canvas.createFont(description);
  description.weight = 0;
  description.italic = true;
  const FontHandle italic = canvas.createFont(description);
  auto width = [&canvas](FontHandle font) {
    canvas.selectFont(font);
    return canvas.textExtent("mmmm").width;
  };
  const int plainWidth = width(plain);
  EXPECT_GT(width(bold), plainWidth);
  EXPECT_LT(width(italic), plainWidth);
  EXPECT_EQ(canvas.selectFont(FontHandle{}), italic);
}

}  // namespace
}  // namespace tavex
