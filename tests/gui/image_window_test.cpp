// SPDX-License-Identifier: GPL-3.0-or-later
// The backing image: canvases handed out and taken back, resizes while a
// canvas is out, and the status bar text of a pass report.
#include "session/pass_report.h"
#include "gui_support.h"
#include "platform/image_window.h"

namespace tavex::testing {
namespace {

class BackingImage : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(120, 80);
    window.show();
  }
  ImageWindow window;
};

void fillRed(Canvas* canvas, int w, int h) {
  canvas->fillRegion(makeRectRegion({0, 0, w, h}), makeBrush({255, 0, 0}));
}

TEST_F(BackingImage, HandsOutOneCanvasPerSurfaceAndEndsItOnTheLastRelease) {
  EXPECT_EQ(window.clientRect(), (Rect{0, 0, 120, 80}));
  Canvas* a = window.acquireCanvas();
  Canvas* b = window.acquireCanvas();
  EXPECT_EQ(a, b);
  fillRed(a, 120, 80);
  window.releaseCanvas(a);
  EXPECT_EQ(window.canvasesOut(), 1);
  int unrelated = 0;  // a pointer it never handed out is ignored
  window.releaseCanvas(reinterpret_cast<Canvas*>(&unrelated));
  EXPECT_EQ(window.canvasesOut(), 1);
  window.releaseCanvas(b);
  EXPECT_EQ(window.canvasesOut(), 0);
  EXPECT_EQ(pixel(window.image(), 60, 40), (Colour{255, 0, 0}));
}

TEST_F(BackingImage, AResizeWhileACanvasIsOutStartsWhiteAndTheOldCanvasStaysSafe) {
  Canvas* old = window.acquireCanvas();
  fillRed(old, 120, 80);
  window.resize(200, 150);
  EXPECT_EQ(window.image().size(), QSize(200, 150));
  EXPECT_EQ(pixel(window.image(), 60, 40), kWhite);
  fillRed(old, 120, 80);  // paints the retired image, not the window's
  EXPECT_EQ(pixel(window.image(), 60, 40), kWhite);
  Canvas* fresh = window.acquireCanvas();
  EXPECT_NE(fresh, old);
  EXPECT_EQ(window.canvasesOut(), 2);
  fillRed(fresh, 200, 150);
  window.releaseCanvas(old);
  window.releaseCanvas(fresh);
  window.releaseCanvas(fresh);  // once too often: ignored
  EXPECT_EQ(window.canvasesOut(), 0);
  EXPECT_EQ(pixel(window.image(), 199, 149), (Colour{255, 0, 0}));
}

TEST_F(BackingImage, AnEmptyWindowStillLendsACanvas) {
  window.resize(0, 0);
  Canvas* canvas = window.acquireCanvas();
  ASSERT_NE(canvas, nullptr);
  fillRed(canvas, 10, 10);
  window.releaseCanvas(canvas);
  EXPECT_EQ(window.clientRect(), (Rect{0, 0, 0, 0}));
}

TEST(PassReportText, NamesTheEntryTheMessageAndTheColumn) {
  initFunctionData();
  struct Case {
    int entry;
    const char* message;
    ParseStatus status;
    int column;
    const char* expected;
  };
  const Case cases[] = {
      {kFdFunction, "Unexpected ')'", ParseStatus::SyntaxError, 12, "y: Unexpected ')' at column 12"},
      {3, "Unknown Function", ParseStatus::SemanticError, 5, "b: Unknown Function at column 5"},
      {FunctionEvaluator::kAbscissaStatement, "Unexpected eof", ParseStatus::SyntaxError, 7,
       "x: Unexpected eof at column 7"},
      {kFdFunction, "", ParseStatus::StackOverflow, 0, "y: StackOverflow"},
  };
  for (const Case& c : cases) {
    PassReport report;
    report.drawPass = true;
    report.firstFailure.recorded = true;
    report.firstFailure.entry = c.entry;
    report.firstFailure.status = c.status;
    report.firstFailure.entryColumn = c.column;
    std::snprintf(report.firstFailure.message, sizeof report.firstFailure.message, "%s", c.message);
    EXPECT_EQ(passReportText(report), c.expected);
  }
  EXPECT_EQ(passReportText(PassReport{}), "");
}

}  // namespace
}  // namespace tavex::testing
