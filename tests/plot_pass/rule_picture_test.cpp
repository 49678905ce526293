// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of each rule: the same evaluations and readouts as the
// default pass, the areas above and below the axis told apart, the curve
// over the shapes, and as many drawing calls for any n.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "graphics/null_canvas.h"
#include "graphics/recording_canvas.h"
#include "plot/plot.h"
#include "plot/rule_picture.h"

namespace tavex {
namespace {

constexpr SumRule kRules[] = {SumRule::UpperLower, SumRule::Left,      SumRule::Right,
                              SumRule::Midpoint,   SumRule::Trapezoid, SumRule::Simpson};

class RulePicturePass : public ::testing::Test {
 protected:
  void SetUp() override { initFunctionData(), initGraphData(); }
  void TearDown() override { initFunctionData(), initGraphData(); }
  static void set(int index, const char* line) { acceptLine(functionData[index], line); }
  // One draw pass with rule on a fresh engine, so that variables that
  // persist start alike for every rule.
  static PassResult draw(SumRule rule, RecordingWindow& window) {
    auto engine = std::make_unique<ExpressionEngine>();
    GraphFrame frame(&window);
    const PlotContext context{.engine = *engine, .functionRecord = functionData,
                              .graphRecord = graphData, .rule = rule};
    PassResult result = plot(context, frame, kDrawPass, kToWindow);
    finishOutput(frame);
    return result;
  }
  static std::vector<std::string> lines(const PanelText& p) {
    return std::vector<std::string>(p.lines, p.lines + p.count);
  }
};

// Every rule's pass evaluates f as the default pass does: the same panels,
// the same count, even where f keeps a counter or fails.
TEST_F(RulePicturePass, ReadoutsAndEvaluationsAreTheDefaultPasss) {
  struct Case {
    const char* function;
    const char* c;
    const char* n;
  };
  const Case cases[] = {{"y    = exp(a*sin(b*x))", "c    = 1", "n    = 12"},
                        {"y    = x*x + c/1000", "c    = c+1", "n    = 7"},   // counts
                        {"y    = 1/(x - 2)", "c    = 1", "n    = 6"}};      // fails at 2
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    set(kFdFunction, c.function);
    set(kFdFirstParameter + 2, c.c);
    set(kFdSteps, c.n);
    RecordingWindow defaultWindow;
    const PassResult expected = draw(SumRule::UpperLower, defaultWindow);
    for (SumRule rule : kRules) {
      SCOPED_TRACE(ruleName(rule));
      RecordingWindow window;
      const PassResult pass = draw(rule, window);
      EXPECT_EQ(lines(pass.dataPanel), lines(expected.dataPanel));
      EXPECT_EQ(pass.report.evaluations, expected.report.evaluations);
      EXPECT_EQ(pass.report.failures, expected.report.failures);
      EXPECT_EQ(pass.sums.SumLeft, expected.sums.SumLeft);
      EXPECT_EQ(pass.sums.SumRight, expected.sums.SumRight);
      EXPECT_EQ(pass.rule, rule);
    }
  }
}

// sin(x) on [0, 6]: blue areas above the axis, orange below, the curve
// drawn again after the last of them; no upper and lower outlines.
TEST_F(RulePicturePass, AreasAboveAndBelowAndTheCurveOverThem) {
  set(kFdFunction, "y    = sin(x)");
  set(kFdX1, "x1   = 0");
  set(kFdX2, "x2   = 6");
  set(kFdSteps, "n    = 12");
  acceptLine(graphData[findEntry(graphData, kGraphDataEntries, "y0")], "y0   = -1.5");
  const Rgb red{255, 0, 0}, cyan{0, 255, 255};
  for (SumRule rule : kRules) {
    if (rule == SumRule::UpperLower) continue;
    SCOPED_TRACE(ruleName(rule));
    RecordingWindow window;
    draw(rule, window);
    int above = 0, below = 0, crossed = 0, lastFill = -1, lastCurve = -1, outlines = 0, index = 0;
    for (const CanvasCall& call : window.canvas.calls()) {
      if (call.kind == CallKind::FillPolygon) {
        above += call.brush.colour == kAreaAbove.ground;
        below += call.brush.colour == kAreaBelow.ground;
        lastFill = index;
      }
      if (call.kind == CallKind::LineTo && call.pen.colour == red) lastCurve = index;
      if (call.kind == CallKind::LineTo && call.pen.colour == cyan) ++outlines;
      if (call.kind == CallKind::LineTo && call.pen.colour == kAreaBelow.hatch) ++crossed;
      ++index;
    }
    EXPECT_GT(above, 0);
    EXPECT_GT(below, 0);
    EXPECT_GT(crossed, 0);
    EXPECT_GT(lastCurve, lastFill);
    EXPECT_EQ(outlines, 0);
  }
}

// In black and white only black hatching and outlines show: no fill.
TEST_F(RulePicturePass, BlackAndWhiteKeepsTheHatching) {
  set(kFdFunction, "y    = sin(x)");
  set(kFdX1, "x1   = 0");
  set(kFdX2, "x2   = 6");
  RecordingWindow window;
  auto engine = std::make_unique<ExpressionEngine>();
  GraphFrame frame(&window);
  prepareDevice(frame, kToWindow);
  frame.printing = 1;
  frame.colourOutput = 0;
  frame.setFrame(10, 60, 20, 78, kClipOn);
  frame.setWorld(0, 6, -1.5, 1.5, 100);
  RulePicture picture(frame);
  picture.trapezoid(0, 1, 1, 1);
  picture.trapezoid(1, -1, 2, -1);
  picture.finish();
  EXPECT_TRUE(window.canvas.callsOf(CallKind::FillPolygon).empty());
  int hatching = 0;
  for (const CanvasCall& call : window.canvas.callsOf(CallKind::LineTo)) {
    EXPECT_EQ(call.pen.colour, (Rgb{0, 0, 0}));
    ++hatching;
  }
  EXPECT_GT(hatching, 10);
  finishOutput(frame);
}

// A rule's picture draws about as many calls at n = 200000 as at 2000: its
// steps fall into the frame's columns.
TEST_F(RulePicturePass, DrawingDoesNotGrowWithN) {
  for (SumRule rule : {SumRule::Left, SumRule::Trapezoid, SumRule::Simpson}) {
    SCOPED_TRACE(ruleName(rule));
    long long calls[2];
    int k = 0;
    for (const char* n : {"n    = 2000", "n    = 200000"}) {
      set(kFdSteps, n);
      NullWindow window;
      auto engine = std::make_unique<ExpressionEngine>();
      GraphFrame frame(&window);
      plot(PlotContext{.engine = *engine, .functionRecord = functionData,
                       .graphRecord = graphData, .rule = rule},
           frame, kDrawPass, kToWindow);
      finishOutput(frame);
      calls[k++] = window.canvas.lineCount + window.canvas.polygonCount;
    }
    EXPECT_LT(calls[1], calls[0] * 3 / 2);
    EXPECT_LT(calls[1], 20000);
  }
}

}  // namespace
}  // namespace tavex
