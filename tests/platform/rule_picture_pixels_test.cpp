// SPDX-License-Identifier: GPL-3.0-or-later
// Each rule's picture in pixels: sin(x) on [0, 6], with areas above and
// below the axis, on the screen and on a black-and-white page. With
// TAVEX_PICTURES_DIR set, the pictures are also written there as PNG files
// for a person to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <cstdlib>
#include <memory>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "platform/qpainter_canvas.h"
#include "plot/plot.h"
#include "plot/print.h"
#include "plot/scripted_dialogs.h"

namespace tavex {
namespace {

class ImageWindow : public DeviceWindow {
 public:
  explicit ImageWindow(QImage* image) : image_(image) {}
  Canvas* acquireCanvas() override {
    canvas_ = std::make_unique<QPainterCanvas>(image_);
    return canvas_.get();
  }
  void releaseCanvas(Canvas*) override { canvas_.reset(); }
  Rect clientRect() override { return Rect{0, 0, image_->width(), image_->height()}; }

 private:
  QImage* image_;
  std::unique_ptr<QPainterCanvas> canvas_;
};

// A printer whose page is an image of A4 at 100 dots per inch.
struct ImagePrinter : PrinterDevice {
  QImage* page;
  std::unique_ptr<QPainterCanvas> canvas_;
  explicit ImagePrinter(QImage* p) : page(p) {}
  Canvas* canvas() override { return canvas_.get(); }
  int pixelWidth() override { return page->width(); }
  int pixelHeight() override { return page->height(); }
  bool startDocument() override {
    canvas_ = std::make_unique<QPainterCanvas>(page);
    return true;
  }
  bool startPage() override { return true; }
  bool endPage() override { return true; }
  bool endDocument() override {
    canvas_.reset();
    return true;
  }
  bool abort() override { return true; }
  std::string error() override { return {}; }
};

struct ImagePrintService : PrintService {
  QImage page{827, 1169, QImage::Format_RGB32};
  std::string defaultPrinterName() override { return "Paper"; }
  std::unique_ptr<PrinterDevice> createPrinter(const std::string&, std::string&) override {
    page.fill(Qt::white);
    return std::make_unique<ImagePrinter>(&page);
  }
};

class RulePicturePixels : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
    acceptLine(functionData[kFdFunction], "y    = sin(x)");
    acceptLine(functionData[kFdX1], "x1   = 0");
    acceptLine(functionData[kFdX2], "x2   = 6");
    acceptLine(graphData[kGdY0], "y0        = -1.5");
    acceptLine(graphData[kGdY1], "y1        = 1.5");
  }
  void TearDown() override { initFunctionData(), initGraphData(); }
  static PlotContext context(ExpressionEngine& engine, SumRule rule) {
    return PlotContext{.engine = engine, .functionRecord = functionData,
                       .graphRecord = graphData, .rule = rule};
  }
  static QImage screen(SumRule rule) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::black);
    ImageWindow window(&image);
    GraphFrame frame(&window);
    ExpressionEngine engine;
    plot(context(engine, rule), frame, kDrawPass, kToWindow);
    finishOutput(frame);
    return image;
  }
  static QImage blackAndWhitePage(SumRule rule) {
    QImage main(400, 300, QImage::Format_RGB32);
    ImageWindow window(&main);
    GraphFrame frame(&window);
    ExpressionEngine engine;
    ScriptedDialogs dialogs;
    dialogs.answers = {true, false};  // print, not in colour
    ImagePrintService service;
    printPlot(context(engine, rule), frame, dialogs, service);
    return service.page;
  }
  static void keep(const QImage& image, const std::string& name) {
    const char* dir = std::getenv("TAVEX_PICTURES_DIR");
    if (dir != nullptr) image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
  }
  static int count(const QImage& image, Rgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        n += image.pixel(x, y) == qRgb(colour.red, colour.green, colour.blue);
    return n;
  }
};

TEST_F(RulePicturePixels, EachRuleOnTheScreenAndOnABlackAndWhitePage) {
  acceptLine(functionData[kFdSteps], "n    = 1");
  const QImage curveAlone = screen(SumRule::UpperLower);
  acceptLine(functionData[kFdSteps], "n    = 12");
  for (SumRule rule : {SumRule::Left, SumRule::Right, SumRule::Midpoint, SumRule::Trapezoid,
                       SumRule::Simpson}) {
    SCOPED_TRACE(ruleName(rule));
    const QImage image = screen(rule);
    keep(image, std::string("screen_") + ruleKeyword(rule));
    for (Rgb colour : {kAreaAbove.ground, kAreaAbove.hatch, kAreaBelow.ground, kAreaBelow.hatch})
      EXPECT_GT(count(image, colour), 200);
    // The curve lies over the shapes: every pixel of it alone is red here too.
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        covered += curveAlone.pixel(x, y) == qRgb(255, 0, 0) && image.pixel(x, y) != qRgb(255, 0, 0);
    EXPECT_EQ(covered, 0);

    const QImage page = blackAndWhitePage(rule);
    keep(page, std::string("paper_") + ruleKeyword(rule));
    int coloured = 0;
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) {
        const QRgb p = page.pixel(x, y);
        coloured += qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
      }
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(count(page, Rgb{0, 0, 0}), 5000);  // the hatching, beside text and lines
  }
}

}  // namespace
}  // namespace tavex
