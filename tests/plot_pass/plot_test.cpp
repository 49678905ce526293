// SPDX-License-Identifier: GPL-3.0-or-later
// The plot procedure's draw and probe passes, recorded in device units.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "graphics/recording_canvas.h"
#include "plot/plot.h"

namespace tavex {
namespace {

// The program's engine, for this test program.
ExpressionEngine& testEngine() {
  static ExpressionEngine engine;
  return engine;
}

class PlotPass : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
  }
  void TearDown() override { finishOutput(frame); }
  void setFunctionData(int index, const char* line) { acceptLine(functionData[index], line); }
  std::vector<CanvasCall> linesIn(Rgb colour) {
    std::vector<CanvasCall> out;
    for (const auto& c : window.canvas.calls())
      if (c.kind == CallKind::LineTo && c.pen.colour == colour) out.push_back(c);
    return out;
  }
  std::vector<std::string> texts() {
    std::vector<std::string> out;
    for (const auto& c : window.canvas.callsOf(CallKind::TextOut)) out.push_back(c.text);
    return out;
  }
  static std::vector<std::string> panelLines(const PanelText& p) {
    return std::vector<std::string>(p.lines, p.lines + p.count);
  }
  // A pass as the shell runs it: the probe flag is kept from pass to pass.
  void run(GraphFrame& on, int probe, int toPrinter) {
    last = plot(context, on, probe, toPrinter);
    context.probeEnabled = last.probeEnabled;
  }
  void probeAt(int x, int y) {
    context.mouseX = x;
    context.mouseY = y;
    window.canvas.clear();
    run(frame, kProbePass, kToWindow);
  }

  RecordingWindow window;
  GraphFrame frame{&window};
  PlotContext context{.engine = testEngine(), .functionRecord = functionData, .graphRecord = graphData};
  PassResult last;
};

const Rgb kGreen{0, 255, 0}, kRed{255, 0, 0}, kCyan{0, 255, 255}, kMagenta{255, 0, 255};

TEST_F(PlotPass, DefaultDrawPassShowsCurveStepsPanelsAndEnablesTheProbe) {
  run(frame, kDrawPass, kToWindow);
  EXPECT_EQ(context.probeEnabled, 1);
  EXPECT_EQ(linesIn(kRed).size(), 500u);       // the curve
  EXPECT_EQ(linesIn(kGreen).size(), 13u);      // grid lines at x1 and after each step
  EXPECT_EQ(linesIn(kCyan).size(), 24u);       // two segments per step
  EXPECT_EQ(linesIn(kMagenta).size(), 24u);
  // The curve is drawn before any step.
  int lastCurve = -1, firstStep = -1, index = 0;
  for (const auto& c : window.canvas.calls()) {
    if (c.kind == CallKind::LineTo && c.pen.colour == kRed) lastCurve = index;
    if (c.kind == CallKind::LineTo && c.pen.colour == kGreen && firstStep < 0) firstStep = index;
    ++index;
  }
  EXPECT_LT(lastCurve, firstStep);
  const std::vector<std::string> expected = {
      "a    = 1",          "b    = 1",          "c    = 1",          "d    = 1",
      "e    = 1",          "x1   = 1",          "x2   = 4",          "n    = 12",
      "SumU  = 5.4857108520", "SumL  = 4.8272055958", "SumT  = 5.1564582239",
      "SumM  = 5.1686823794", "SumS  = 5.1646833897", "Exact = 5.1646028130"};
  EXPECT_EQ(panelLines(last.dataPanel), expected);
  // The function line is the last text of the pass, in the function panel.
  ASSERT_FALSE(texts().empty());
  EXPECT_EQ(texts().back(), functionData[kFdFunction].line);
  // The whole client area was cleared to white first.
  const auto fills = window.canvas.callsOf(CallKind::FillRegion);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills.front().rect, (Rect{0, 0, 800, 600}));
  EXPECT_EQ(fills.front().brush.colour, (Rgb{255, 255, 255}));
  EXPECT_FALSE(last.report.firstFailure.recorded);
}

TEST_F(PlotPass, StepOutlinesTakeTheirColourFromTheLargerAndSmallerEndValue) {
  // x*x on [-1, 1] in 2 steps: first step decreasing, second increasing.
  setFunctionData(kFdFunction, "y    = x*x");
  setFunctionData(kFdX1, "x1   = -1");
  setFunctionData(kFdX2, "x2   = 1");
  setFunctionData(kFdSteps, "n    = 2");
  run(frame, kDrawPass, kToWindow);
  frame.setFrame(10, 60, 20, 78, 1);  // back to the graph panel's mapping
  const int top = frame.mapY(1), bottom = frame.mapY(0);
  const int left = frame.mapX(-1), middle = frame.mapX(0), right = frame.mapX(1);
  const auto cyan = linesIn(kCyan);
  const auto magenta = linesIn(kMagenta);
  ASSERT_EQ(cyan.size(), 4u);
  ASSERT_EQ(magenta.size(), 4u);
  // Decreasing step: cyan along the top at the left value, magenta along the bottom.
  EXPECT_EQ(cyan[0].fromX, left);
  EXPECT_EQ(cyan[0].fromY, top);
  EXPECT_EQ(cyan[0].x, middle);
  EXPECT_EQ(cyan[0].y, top);
  EXPECT_EQ(magenta[0].y, bottom);
  EXPECT_EQ(magenta[0].x, left);
  // Increasing step: cyan goes up at the left end, then along the top.
  EXPECT_EQ(cyan[2].fromX, middle);
  EXPECT_EQ(cyan[2].x, middle);
  EXPECT_EQ(cyan[2].y, top);
  EXPECT_EQ(cyan[3].x, right);
  EXPECT_EQ(cyan[3].y, top);
}

TEST_F(PlotPass, FewStepsAndOddStepsChangeTheDataPanel) {
  setFunctionData(kFdSteps, "n    = 1");
  run(frame, kDrawPass, kToWindow);
  EXPECT_EQ(last.dataPanel.count, 5);
  EXPECT_TRUE(linesIn(kCyan).empty());
  EXPECT_EQ(linesIn(kRed).size(), 500u);
  EXPECT_EQ(texts().back(), functionData[kFdFunction].line);

  window.canvas.clear();
  setFunctionData(kFdSteps, "n    = 3");
  run(frame, kDrawPass, kToWindow);
  ASSERT_EQ(last.dataPanel.count, 13);
  for (int i = 0; i < last.dataPanel.count; ++i)
    EXPECT_EQ(std::string(last.dataPanel.lines[i]).rfind("SumS", 0), std::string::npos);
}

TEST_F(PlotPass, ProbeReadsTheCurveUnderThePointer) {
  probeAt(0, 0);  // before any draw pass: nothing happens
  EXPECT_TRUE(window.canvas.calls().empty());

  run(frame, kDrawPass, kToWindow);
  struct Probe {
    int x, y;
    std::vector<std::string> lines;
  };
  const std::vector<Probe> probes = {
      {0, 300, {"x = 0.00000   Y = 1.55172", "y = f(x) = 1.00000", "f'(x) = 1.00000   f\"(x) = 1.00000"}},
      {799, 300, {"x = 5.00000   Y = 1.55172", "y = f(x) = 0.38330", "f'(x) = 0.10873   f\"(x) = 0.39840"}},
  };
  for (const auto& p : probes) {
    SCOPED_TRACE(p.x);
    probeAt(p.x, p.y);
    EXPECT_EQ(panelLines(last.probePanel), p.lines);
    EXPECT_EQ(last.report.evaluations, 3);
  }
  probeAt(400, 0);
  EXPECT_NE(std::string(last.probePanel.lines[0]).find("   Y = 3.00000"), std::string::npos);
  probeAt(400, 599);
  EXPECT_NE(std::string(last.probePanel.lines[0]).find("   Y = 0.00000"), std::string::npos);
  // The probe draws only in the probe panel, clipped to it.
  for (const auto& c : window.canvas.callsOf(CallKind::TextOut)) {
    ASSERT_TRUE(c.clip.has_value());
    EXPECT_GE(c.x, c.clip->left);
  }
}

TEST_F(PlotPass, CurveSegmentsFollowTheGraphDataUpToTheCap) {
  struct Case {
    const char* n;
    size_t segments;
  };
  for (const Case& c : {Case{"0", 0}, Case{"-5", 0}, Case{"7", 7}, Case{"2147483647", 20000}}) {
    SCOPED_TRACE(c.n);
    window.canvas.clear();
    graphData[kGdPoints] = makeEntry(graphData[kGdPoints].name, c.n);
    setFunctionData(kFdSteps, "n    = 1");
    run(frame, kDrawPass, kToWindow);
    EXPECT_EQ(linesIn(kRed).size(), c.segments);
    EXPECT_EQ(last.report.evaluations, static_cast<long long>(c.segments) + 1);
  }
}

TEST_F(PlotPass, EvaluationFailuresAreReported) {
  setFunctionData(kFdFunction, "y    = exp(a*sin(b*x)))");
  run(frame, kDrawPass, kToWindow);
  const PassReport& r = last.report;
  EXPECT_TRUE(r.drawPass);
  EXPECT_EQ(r.evaluations, 501 + 362);
  EXPECT_EQ(r.failures, r.evaluations);
  EXPECT_TRUE(r.firstFailure.recorded);
  EXPECT_STREQ(r.firstFailure.message, "Unexpected ')'");
}

TEST_F(PlotPass, PaperLayoutRaisesTheGraphAndDataPanels) {
  // The first rectangle of a pass is the graph panel's border, the second the
  // data panel's.
  run(frame, kDrawPass, kToWindow);
  const auto screen = window.canvas.callsOf(CallKind::Rectangle);
  window.canvas.clear();
  context.probeEnabled = 0;
  GraphFrame paper(&window);
  run(paper, kDrawPass, kToPrinter);
  const auto printed = window.canvas.callsOf(CallKind::Rectangle);
  ASSERT_GE(screen.size(), 2u);
  ASSERT_GE(printed.size(), 2u);
  EXPECT_EQ(screen[0].rect.bottom, 480);   // 20 % from the bottom of 600
  EXPECT_EQ(printed[0].rect.bottom, 390);  // 35 %
  EXPECT_EQ(screen[1].rect.bottom, 510);   // 15 %
  EXPECT_EQ(printed[1].rect.bottom, 420);  // 30 %
  EXPECT_EQ(context.probeEnabled, 0);  // only a screen pass enables the probe
  EXPECT_EQ(paper.dc, nullptr);   // a printer pass gives its device back at the end
  EXPECT_EQ(window.acquired, 1);  // the screen frame still holds its own
}

// Ends the pass before the evaluation numbered stopAt.
struct StopAt : PassMonitor {
  long long stopAt;
  long long expected = 0;
  explicit StopAt(long long at) : stopAt(at) {}
  void progress(long long made, long long total) override {
    expected = total;
    if (made >= stopAt) throw PassCancelled{};
  }
};

TEST_F(PlotPass, ACancelledPassSaysWhereItStoppedAndWritesNoPanel) {
  setFunctionData(kFdSteps, "n    = 1000");
  // The monitor hears of the sums' evaluations a block (up to 64) at a time.
  const struct {
    long long at;
    const char* where;
  } cases[] = {
      {64, "the curve, point 65 of 501"},
      {640, "Exact, panel "},
      {1280, "SumS, point "},
      {3200, "SumM and SumT, step "},
      {5120, "SumU and SumL, step "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.where);
    StopAt monitor(c.at);
    context.monitor = &monitor;
    run(frame, kDrawPass, kToWindow);
    EXPECT_TRUE(last.cancelled);
    EXPECT_EQ(last.cancelledAt.rfind(c.where, 0), 0u) << last.cancelledAt;
    EXPECT_GE(last.report.evaluations, c.at);
    EXPECT_LT(last.report.evaluations, c.at + 2 * 64);
    EXPECT_EQ(last.evaluationsExpected, 501 + 300 + 1001 + 3000 + 1001);
    EXPECT_EQ(monitor.expected, last.evaluationsExpected);
    EXPECT_EQ(last.dataPanel.count, 0);
    EXPECT_EQ(last.probeEnabled, 0);
  }
  // Left alone, the same pass makes exactly the evaluations it expected.
  StopAt never(1LL << 40);
  context.monitor = &never;
  run(frame, kDrawPass, kToWindow);
  EXPECT_FALSE(last.cancelled);
  EXPECT_EQ(last.report.evaluations, last.evaluationsExpected);
  EXPECT_EQ(last.probeEnabled, 1);
}

TEST_F(PlotPass, APassReadsTheRecordsAsTheyStoodWhenItStarted) {
  struct EditWhileRunning : PassMonitor {
    void progress(long long, long long) override { acceptLine(functionData[kFdFunction], "y    = 7"); }
  } editor;
  context.monitor = &editor;
  run(frame, kDrawPass, kToWindow);
  EXPECT_EQ(last.dataPanel.lines[last.dataPanel.count - 1], std::string("Exact = 5.1646028130"));
}

TEST_F(PlotPass, WarningsNameEntriesThatDoNotReadAsTheyLookAndAForeignResult) {
  setFunctionData(kFdX2, "x2   = pi");
  setFunctionData(kFdSteps, "n    = 1e9");
  acceptLine(graphData[kGdTitle], ("title     = " + std::string(70, 't')).c_str());
  setFunctionData(kFdFunction, "y    = x + zz");
  run(frame, kDrawPass, kToWindow);
  EXPECT_EQ(last.report.warnings,
            (std::vector<std::string>{"x2 = pi read as 0", "n = 1e9 read as 1",
                                      "title: value cut to 59 characters",
                                      "result taken from zz, which sorts after y"}));
}

}  // namespace
}  // namespace tavex
