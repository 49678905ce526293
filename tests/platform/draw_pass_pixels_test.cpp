// SPDX-License-Identifier: GPL-3.0-or-later
// A whole draw pass with many steps gives the same pixels whether its lines
// are written straight into a 32-bit image or filled through the painter.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>

#include "data/records.h"
#include "expr/engine.h"
#include "platform/qpainter_canvas.h"
#include "plot/plot.h"

namespace tavex {
namespace {

// An image whose canvas writes its lines straight in, or through the painter.
class ImageWindow : public DeviceWindow {
 public:
  ImageWindow(QImage* image, bool direct) : image_(image), direct_(direct) {}
  Canvas* acquireCanvas() override {
    canvas_ = std::make_unique<QPainterCanvas>(image_);
    canvas_->setDirectPixels(direct_);
    return canvas_.get();
  }
  void releaseCanvas(Canvas*) override { canvas_.reset(); }
  Rect clientRect() override { return Rect{0, 0, image_->width(), image_->height()}; }

 private:
  QImage* image_;
  bool direct_;
  std::unique_ptr<QPainterCanvas> canvas_;
};

QImage drawPass(bool direct, ExpressionEngine& engine) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(Qt::black);
  ImageWindow window(&image, direct);
  GraphFrame frame(&window);
  plot(PlotContext{.engine = engine, .functionRecord = functionData, .graphRecord = graphData}, frame, kDrawPass, kToWindow);
  finishOutput(frame);
  return image;
}

TEST(DrawPassPixels, StraightIntoTheImageAsThroughThePainter) {
  for (const char* steps : {"n    = 12", "n    = 20000", "n    = 7"}) {
    SCOPED_TRACE(steps);
    initFunctionData();
    initGraphData();
    acceptLine(functionData[kFdSteps], steps);
    acceptLine(graphData[kGdY0], "y0        = -1");  // an x axis across the frame
    ExpressionEngine a, b;
    const QImage direct = drawPass(true, a);
    const QImage painted = drawPass(false, b);
    EXPECT_TRUE(direct == painted);
  }
  initFunctionData();
  initGraphData();
}

}  // namespace
}  // namespace tavex
