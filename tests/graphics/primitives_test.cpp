// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "frame_fixture.h"
#include "graphics/graph_frame.h"

namespace tavex {
namespace {

class PrimitivesTest : public ::testing::Test, public testing::FrameTest {
 protected:
  void SetUp() override {
    frame.setFrame(10, 60, 20, 78, 1);
    frame.setWorld(0, 5, 0, 3, 500);
    canvas.clear();
  }
  // Black-and-white printing, as the printer set-up leaves the frame.
  void printInBlackAndWhite() {
    frame.printing = 1;
    frame.colourOutput = 0;
    frame.penIndex = frame.framePenIndex = frame.textColourIndex = 0;
    frame.brushIndex = 5;
    canvas.selectPen(frame.pens[0]);
    canvas.selectBrush(frame.brushes[5]);
    canvas.clear();
  }
};

Panel dataPanel() { return Panel{62, 98, 15, 72, 4, 12, 2, 2, 0, 0}; }

TEST_F(PrimitivesTest, SelectPenAndBrushIgnoreIndicesOutOfRange) {
  frame.selectPen(11);
  EXPECT_EQ(frame.penIndex, 11);
  EXPECT_EQ(canvas.currentPen().colour, (Rgb{255, 0, 0}));
  frame.selectBrush(3);
  EXPECT_EQ(frame.brushIndex, 3);
  EXPECT_EQ(canvas.currentBrush().colour, brushPalette[3]);
  canvas.clear();
  for (int bad : {26, -1, 1000}) frame.selectPen(bad);
  for (int bad : {10, -1}) frame.selectBrush(bad);
  EXPECT_TRUE(canvas.calls().empty());
  EXPECT_EQ(frame.penIndex, 11);
  EXPECT_EQ(frame.brushIndex, 3);
}

TEST_F(PrimitivesTest, BlackAndWhitePrintingKeepsBlackOnWhite) {
  printInBlackAndWhite();
  frame.selectPen(11);
  frame.selectBrush(2);
  EXPECT_EQ(frame.penIndex, 0);
  EXPECT_EQ(frame.brushIndex, 5);
  EXPECT_TRUE(canvas.calls().empty());

  // Printing in colour, and not printing, both allow changes.
  frame.colourOutput = 1;
  frame.selectPen(11);
  EXPECT_EQ(frame.penIndex, 11);
  frame.printing = 0;
  frame.colourOutput = 0;
  frame.selectPen(12);
  EXPECT_EQ(frame.penIndex, 12);
}

TEST_F(PrimitivesTest, DecoratedPanelIsFilledBorderedAndGetsItsCursor) {
  Panel panel = dataPanel();
  frame.setPanel(panel, 1);

  auto fills = canvas.callsOf(CallKind::FillRegion);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].rect, (Rect{620, 140, 980, 425}));
  EXPECT_EQ(fills[0].brush.colour, (Rgb{230, 255, 255}));

  auto rectangles = canvas.callsOf(CallKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].rect, (Rect{620, 140, 980, 425}));
  EXPECT_EQ(rectangles[0].pen.colour, (Rgb{0, 255, 255}));  // border pen 12
  EXPECT_EQ(rectangles[0].brush.colour, (Rgb{230, 255, 255}));
  EXPECT_FALSE(rectangles[0].clip.has_value());  // border drawn unclipped

  // Afterwards: the panel's pen, clip on the panel, cursor at the first line.
  EXPECT_EQ(frame.penIndex, 2);
  EXPECT_EQ(canvas.currentPen(), frame.pens[2]);
  EXPECT_EQ(frame.clipActive, 1);
  EXPECT_EQ(canvas.currentClip(), (Rect{620, 140, 980, 425}));
  EXPECT_EQ(frame.cursorX, 626);
  EXPECT_EQ(frame.cursorY, 145);
  EXPECT_EQ(frame.lineStartX, 626);
  EXPECT_EQ(panel.cursorX, 626);
  EXPECT_EQ(panel.cursorY, 145);
  EXPECT_EQ(frame.brushIndex, 4);
  EXPECT_EQ(frame.framePenIndex, 12);
  EXPECT_EQ(frame.textColourIndex, 2);
}

TEST_F(PrimitivesTest, UndecoratedPanelDrawsNothingButTakesEffect) {
  Panel panel = dataPanel();
  panel.cursorX = 700;
  panel.cursorY = 300;
  frame.setPanel(panel, 0);
  EXPECT_TRUE(canvas.callsOf(CallKind::FillRegion).empty());
  EXPECT_TRUE(canvas.callsOf(CallKind::Rectangle).empty());
  EXPECT_TRUE(canvas.callsOf(CallKind::LineTo).empty());
  EXPECT_EQ(frame.frameRect, (Rect{620, 140, 980, 425}));
  EXPECT_EQ(canvas.currentClip(), frame.frameRect);
  EXPECT_EQ(canvas.currentBrush().colour, brushPalette[4]);
  EXPECT_EQ(frame.cursorX, 700);
  EXPECT_EQ(frame.cursorY, 300);
  EXPECT_EQ(frame.lineStartX, 626);
  EXPECT_EQ(panel.cursorX, 700);
  EXPECT_EQ(frame.penIndex, 2);  // recorded, not yet selected
  EXPECT_EQ(canvas.currentPen(), frame.pens[0]);
}

TEST_F(PrimitivesTest, DecoratedPanelInBlackAndWhiteHasNoFill) {
  printInBlackAndWhite();
  Panel panel = dataPanel();
  frame.setPanel(panel, 1);
  EXPECT_TRUE(canvas.callsOf(CallKind::FillRegion).empty());
  auto rectangles = canvas.callsOf(CallKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].pen.colour, (Rgb{0, 0, 0}));
  EXPECT_EQ(rectangles[0].brush.colour, (Rgb{255, 255, 255}));
  EXPECT_EQ(frame.brushIndex, 5);
  EXPECT_EQ(frame.framePenIndex, 0);
  EXPECT_EQ(frame.textColourIndex, 0);
}

TEST_F(PrimitivesTest, PanelIndicesOutOfRangeAreIgnored) {
  Panel panel{62, 98, 15, 72, 10, 26, -1, 99, 0, 0};
  frame.setPanel(panel, 1);
  EXPECT_EQ(frame.brushIndex, 5);
  EXPECT_EQ(frame.framePenIndex, 2);
  EXPECT_EQ(frame.penIndex, 0);
  EXPECT_EQ(frame.textColourIndex, 1);
  auto fills = canvas.callsOf(CallKind::FillRegion);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].brush.colour, brushPalette[5]);
}

TEST_F(PrimitivesTest, DrawBorderUsesTheFramePenAndRestoresPenAndClip) {
  for (int clip : {1, 0}) {
    frame.setFrame(10, 60, 20, 78, clip);
    frame.selectPen(11);
    canvas.clear();
    frame.drawBorder(-1);
    auto rectangles = canvas.callsOf(CallKind::Rectangle);
    ASSERT_EQ(rectangles.size(), 1u);
    EXPECT_EQ(rectangles[0].rect, (Rect{100, 110, 600, 400}));
    EXPECT_EQ(rectangles[0].pen.colour, penPalette[2]);
    EXPECT_EQ(rectangles[0].brush.colour, brushPalette[5]);
    EXPECT_FALSE(rectangles[0].clip.has_value());
    EXPECT_EQ(frame.penIndex, 11);
    EXPECT_EQ(canvas.currentPen(), frame.pens[11]);
    EXPECT_EQ(frame.clipActive, clip);
    EXPECT_EQ(canvas.currentClip().has_value(), clip == 1);
  }
  // An index out of range draws with the pen in use.
  canvas.clear();
  frame.drawBorder(40);
  auto rectangles = canvas.callsOf(CallKind::Rectangle);
  ASSERT_EQ(rectangles.size(), 1u);
  EXPECT_EQ(rectangles[0].pen.colour, penPalette[11]);
  EXPECT_EQ(frame.penIndex, 11);
}

TEST_F(PrimitivesTest, MoveAndLineKeepTheCurrentPoint) {
  frame.moveTo(1, 1);
  frame.lineTo(2.5, 1.5);
  auto lines = canvas.callsOf(CallKind::LineTo);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].fromX, 200);
  EXPECT_EQ(lines[0].fromY, 303);
  EXPECT_EQ(lines[0].x, 350);
  EXPECT_EQ(lines[0].y, 255);
  EXPECT_EQ(frame.currentX, 2.5);
  EXPECT_EQ(frame.currentY, 1.5);
  EXPECT_EQ(frame.currentDevX, 350);
  EXPECT_EQ(frame.currentDevY, 255);
}

TEST_F(PrimitivesTest, LinesToHugeOrNonFiniteValuesReachTheCanvasClamped) {
  frame.moveTo(1, 1);
  frame.lineTo(2, 1e200);
  frame.lineTo(3, -std::numeric_limits<double>::infinity());
  frame.lineTo(4, std::nan(""));
  frame.lineTo(1e300, 1);
  auto lines = canvas.callsOf(CallKind::LineTo);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].y, -kDeviceCoordinateLimit);
  EXPECT_EQ(lines[1].y, kDeviceCoordinateLimit);
  EXPECT_EQ(lines[2].y, -kDeviceCoordinateLimit);
  EXPECT_EQ(lines[3].x, kDeviceCoordinateLimit);
  EXPECT_EQ(lines[0].x, 300);
}

TEST_F(PrimitivesTest, PlotCurveEvaluatesStepsPlusOnePoints) {
  std::vector<double> xs;
  auto f = [&xs](double x) {
    xs.push_back(x);
    return x * x / 10;
  };
  frame.plotCurve(f, 0, 5, 1);
  auto moves = canvas.callsOf(CallKind::MoveTo);
  auto lines = canvas.callsOf(CallKind::LineTo);
  ASSERT_EQ(moves.size(), 1u);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(moves[0].x, 100);
  EXPECT_EQ(moves[0].y, 400);
  EXPECT_EQ(lines[0].x, 600);
  EXPECT_EQ(lines[0].y, frame.mapY(2.5));
  EXPECT_EQ(xs, (std::vector<double>{0, 5}));

  canvas.clear();
  xs.clear();
  frame.plotCurve(f, 1, 2, 0);
  EXPECT_EQ(canvas.callsOf(CallKind::MoveTo).size(), 1u);
  EXPECT_TRUE(canvas.callsOf(CallKind::LineTo).empty());
  EXPECT_EQ(xs, (std::vector<double>{1}));

  canvas.clear();
  xs.clear();
  frame.plotCurve(f, 1, 2, -3);
  EXPECT_TRUE(canvas.callsOf(CallKind::LineTo).empty());

  // Abscissae from i × h, not accumulated.
  xs.clear();
  frame.plotCurve(f, 0, 1, 10);
  ASSERT_EQ(xs.size(), 11u);
  for (int i = 0; i <= 10; ++i) EXPECT_EQ(xs[i], i * (1.0 / 10)) << i;
}

struct SquareEvaluator {
  int calls = 0;
  double evaluate(double x) {
    ++calls;
    return x * x;
  }
};

TEST_F(PrimitivesTest, PlotCurveTakesAnEvaluatorObject) {
  SquareEvaluator evaluator;
  frame.selectPen(11);
  frame.plotCurve(evaluator, 0, 1, 4);
  EXPECT_EQ(evaluator.calls, 5);
  auto lines = canvas.callsOf(CallKind::LineTo);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3].x, 200);
  EXPECT_EQ(lines[3].y, frame.mapY(1));
  for (const auto& line : lines) EXPECT_EQ(line.pen.colour, penPalette[11]);
}

TEST_F(PrimitivesTest, DrawTextAtAlignsOnTheMappedPoint) {
  canvas.setTextWidth("ninewidth", 9);
  const int mx = frame.mapX(2);
  const int my = frame.mapY(1);
  const struct {
    int align;
    int left;
  } cases[] = {{kAlignLeft, mx}, {kAlignCentre, mx - 4}, {kAlignRight, mx - 9}, {7, mx - 9},
               {0, mx - 9}};
  for (const auto& c : cases) {
    canvas.clear();
    frame.drawTextAt(2, 1, c.align, "ninewidth");
    auto texts = canvas.callsOf(CallKind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].x, c.left) << c.align;
    EXPECT_EQ(texts[0].y, my - 7);
    EXPECT_EQ(texts[0].background, brushPalette[5]);
    EXPECT_EQ(texts[0].textColour, penPalette[1]);
    EXPECT_EQ(frame.textExtent.width, 9);
    // The current point moves to the text's right end.
    EXPECT_EQ(frame.currentDevX, c.left + 9);
    EXPECT_EQ(frame.currentY, 1.0);
    EXPECT_EQ(canvas.positionX(), c.left + 9);
    EXPECT_EQ(canvas.positionY(), my);
  }
}

TEST_F(PrimitivesTest, TextTakesTheColoursOfTheCurrentIndices) {
  frame.brushIndex = 3;
  frame.textColourIndex = 11;
  frame.drawTextAt(1, 1, kAlignLeft, "t");
  auto texts = canvas.callsOf(CallKind::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].background, brushPalette[3]);
  EXPECT_EQ(texts[0].textColour, penPalette[11]);
}

}  // namespace
}  // namespace tavex
