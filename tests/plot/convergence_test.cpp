// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study: rows equal to draw passes, the reference value and
// its statements, the plan of rows, the errors and orders, cancelling.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/recording_canvas.h"
#include "plot/convergence.h"
#include "plot/convergence_plot.h"
#include "plot/plot.h"
#include "tests/plot/plot_test_support.h"

namespace tavex::testing {
namespace {

class Convergence : public ::testing::Test {
 protected:
  void SetUp() override { initFunctionData(), initGraphData(); }
  void TearDown() override { initFunctionData(), initGraphData(); }
  static void setGraphData(const std::string& name, const std::string& value) {
    DataEntry& e = graphData[findEntry(graphData, kGraphDataEntries, name)];
    e = makeEntry(e.name, value.c_str());
  }
  // A study of the records as they are, to limit.
  static ConvergenceStudy study(long long limit) {
    ConvergenceStudy s(functionData, graphData, limit);
    s.run(testEngine(), nullptr);
    return s;
  }
};

// The data panel's readouts: its lines from SumU on.
std::vector<std::string> panelReadouts(const PassResult& pass) {
  std::vector<std::string> out;
  for (int i = 0; i < pass.dataPanel.count; ++i) {
    const std::string line = pass.dataPanel.lines[i];
    if (line.rfind("Sum", 0) == 0 || line.rfind("Exact", 0) == 0) out.push_back(line);
  }
  return out;
}

std::vector<std::string> readouts(const RiemannSums& sums) {
  const ReadoutLines lines = sumReadouts(sums);
  return std::vector<std::string>(lines.lines, lines.lines + lines.count);
}

// Each row evaluates f as a draw pass at its n does, from the same engine
// state: the same values in the same order, so even a function that counts
// its evaluations, or keeps stale values where it fails, gives the readouts
// of the pass.
TEST_F(Convergence, RowsAreTheReadoutsOfADrawPass) {
  struct Case {
    const char* function;
    const char* parameterC;
    const char* x1;
    const char* x2;
    const char* curvePoints;
    const char* curveX0;
    std::int32_t n;
  };
  const Case cases[] = {
      {"x*x + c/1000", "c+1", "0", "1", "500", "0", 4},     // counts its evaluations
      {"x*x + c/1000", "c+1", "0", "1", "500", "0", 7},     // odd n: no Simpson
      {"x*x + c/1000", "c+1", "1", "4", "0", "0", 12},      // the curve's left end only
      {"x*x + c/1000", "c+1", "1", "4", "-3", "2", 12},
      {"x*x + c/1000", "c+1", "1", "4", "30000", "0", 6},   // the curve capped at 20000
      {"x*x + c/1000", "c+1", "4", "1", "70", "5", 10},     // a reversed interval
      {"1/x", "1", "-1", "1", "500", "0", 4},               // failures keep stale values
      {"1/x", "1", "-1", "1", "64", "-1", 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + " n = " + std::to_string(c.n) + " curve " +
                 c.curvePoints);
    initFunctionData();
    initGraphData();
    setFunctionData({{"y", c.function}, {"c", c.parameterC}, {"x1", c.x1}, {"x2", c.x2},
                     {"n", std::to_string(c.n)}});
    setGraphData("n", c.curvePoints);
    setGraphData("x0", c.curveX0);

    auto passEngine = std::make_unique<ExpressionEngine>();
    RecordingWindow window;
    GraphFrame frame(&window);
    const PassResult pass = plot(PlotContext{.engine = *passEngine, .functionRecord = functionData, .graphRecord = graphData}, frame, kDrawPass, kToWindow);
    finishOutput(frame);

    auto rowEngine = std::make_unique<ExpressionEngine>();
    FunctionEvaluator evaluator(functionData, *rowEngine);
    const ConvergenceRow row =
        convergenceRow(evaluator, intervalOf(functionData), c.n, curveSpanOf(graphData));
    EXPECT_EQ(readouts(row.sums), panelReadouts(pass));
    EXPECT_EQ(row.evaluations, pass.report.evaluations);
    EXPECT_EQ(row.failures, pass.report.failures);
  }
}

TEST_F(Convergence, ReferenceReachesItsTargetAndKnowsItsAccuracy) {
  struct Case {
    const char* what;
    std::function<double(double)> f;
    double a, b, integral;
  };
  std::vector<Case> cases = {
      {"sqrt(x)", [](double x) { return std::sqrt(x); }, 0, 1, 2.0 / 3},
      {"exp(sin(x))", [](double x) { return std::exp(std::sin(x)); }, 1, 4,
       5.1646028130031496},
      {"Runge", [](double x) { return 1 / (1 + 25 * x * x); }, -1, 1, 0.4 * std::atan(5.0)},
      {"sin on [-1, 1]", [](double x) { return std::sin(x); }, -1, 1, 0.0},
      {"x*x reversed", [](double x) { return x * x; }, 1, 0, -1.0 / 3},
      {"empty interval", [](double x) { return x; }, 2, 2, 0.0},
      {"|x - 1/3|", [](double x) { return std::fabs(x - 1.0 / 3); }, 0, 1, 5.0 / 18},
  };
  // Kronrod's 15 points integrate polynomials up to degree 22 exactly.
  for (int k = 0; k <= 22; ++k)
    cases.push_back({"x^k", [k](double x) { return std::pow(x, k); }, 0, 1, 1.0 / (k + 1)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoggingEvaluator evaluator(c.f);
    const ReferenceValue r = referenceIntegral(evaluator, c.a, c.b);
    EXPECT_EQ(r.status, ReferenceValue::Status::Reached);
    EXPECT_LE(std::fabs(r.value - c.integral), r.accuracy);
    EXPECT_LE(r.accuracy, 1e-13 * std::max(std::fabs(c.integral), 0.5));
  }
}

TEST_F(Convergence, ReferenceSaysWhyItHasNoValue) {
  using Status = ReferenceValue::Status;
  struct Case {
    const char* what;
    std::function<double(double)> f;
    double a, b;
    Status status;
    const char* says;
  };
  const Case cases[] = {
      {"NaN", [](double x) { return x > 0.5 ? NAN : x; }, 0, 1, Status::NotFinite,
       "No Reference: f is not finite at x = 0.5"},
      // Halving the panels at the pole goes on until 1/x overflows.
      {"pole", [](double x) { return 1 / x; }, -1, 1, Status::NotFinite,
       "No Reference: f is not finite at x = "},
      {"wild", [](double x) { return std::sin(1e7 * x); }, 0, 1, Status::NotReached,
       "could not reach 1e-13 relative, estimated accuracy"},
      {"infinite end", [](double x) { return x; }, 0, INFINITY, Status::NoInterval,
       "No Reference: x1 or x2 is not a finite number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoggingEvaluator evaluator(c.f);
    const ReferenceValue r = referenceIntegral(evaluator, c.a, c.b);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(referenceStatement(r, functionData).find(c.says), std::string::npos);
  }
  // The abscissa's fixed text turns x near 0 into 0, where 1/x fails.
  setFunctionData({{"y", "1/x"}});
  FunctionEvaluator evaluator(functionData, testEngine());
  const ReferenceValue r = referenceIntegral(evaluator, -1, 1);
  EXPECT_EQ(r.status, Status::Failed);
  EXPECT_EQ(referenceStatement(r, functionData),
            "No Reference: f failed at x = " + std::string(r.badX < 0 ? "-" : "") +
                "0.00000 (y: Divide by Zero at column 11)");
}

// x*x on [0, 1]: the trapezoid's and midpoint's errors shrink by 4 with each
// doubling, the rectangles' by 2; Simpson's is at rounding level throughout.
TEST_F(Convergence, ObservedOrdersOfXSquared) {
  setFunctionData({{"y", "x*x"}, {"x1", "0"}, {"x2", "1"}, {"n", "4"}});
  const ConvergenceStudy s = study(64);
  ASSERT_EQ(s.rows().size(), 5u);
  EXPECT_EQ(s.reference().status, ReferenceValue::Status::Reached);
  const std::vector<std::string> header = convergenceHeader();
  auto column = [&header](const char* name) {
    return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  for (size_t i = 0; i < s.rows().size(); ++i) {
    SCOPED_TRACE(s.rows()[i].n);
    const auto cells = convergenceCells(s.rows()[i], i ? &s.rows()[i - 1] : nullptr, s.reference());
    ASSERT_EQ(cells.size(), header.size());
    EXPECT_EQ(cells[column("ordS")], "");
    EXPECT_LT(std::fabs(std::stod(cells[column("errS")])), 1e-15);
    if (i == 0) {
      EXPECT_EQ(cells[column("ordT")], "");
      continue;
    }
    EXPECT_EQ(cells[column("ordT")], "2.00");
    EXPECT_EQ(cells[column("ordM")], "2.00");
    EXPECT_NEAR(std::stod(cells[column("ordU")]), 1.0, 0.1);
    EXPECT_NEAR(std::stod(cells[column("ordL")]), 1.0, 0.1);
    EXPECT_NEAR(std::stod(cells[column("ordLeft")]), 1.0, 0.1);
    EXPECT_NEAR(std::stod(cells[column("ordRight")]), 1.0, 0.1);
    // Left and right errors straddle the integral of an increasing f.
    EXPECT_LT(std::stod(cells[column("errLeft")]), 0.0);
    EXPECT_GT(std::stod(cells[column("errRight")]), 0.0);
  }
}

// sqrt(x) on [0, 1]: the reference gets 2/3, and Exact's own error shows.
TEST_F(Convergence, ExactIsNotExactForSqrt) {
  setFunctionData({{"y", "sqrt(x)"}, {"x1", "0"}, {"x2", "1"}, {"n", "2"}});
  const ConvergenceStudy s = study(8);
  EXPECT_NEAR(s.reference().value, 2.0 / 3, 2.0 / 3 * 1e-12);
  const double exactError = s.rows().front().sums.Exact - s.reference().value;
  EXPECT_GT(exactError, 4e-7);
  EXPECT_LT(exactError, 7e-7);
  EXPECT_EQ(s.tableText('\t').substr(0, 64),
            "n\tSumU\tSumL\tSumT\tSumM\tSumS\tSumLeft\tSumRight\tExact\tReference\terrU");
}

// A cancel, thrown from an evaluation as the desktop's is, keeps the rows done.
TEST_F(Convergence, CancelKeepsTheRowsDone) {
  struct CancelAfter : PassMonitor {
    long long after = 0;
    void progress(long long made, long long) override {
      if (made >= after) throw PassCancelled{};
    }
  } monitor;
  const CurveSpan curve = curveSpanOf(graphData);
  for (long long after : {0LL, 450 + rowEvaluations(12, curve) + rowEvaluations(24, curve) + 500}) {
    monitor.after = after;
    ConvergenceStudy s(functionData, graphData, 1 << 14);
    int changes = 0;
    s.run(testEngine(), &monitor, [&] { ++changes; });
    EXPECT_TRUE(s.cancelled());
    EXPECT_EQ(s.rows().size(), after == 0 ? 0u : 2u);
    EXPECT_EQ(changes, after == 0 ? 0 : 3);  // after the reference and each row
    EXPECT_EQ(s.notes().back(), after == 0 ? "cancelled while computing the Reference"
                                           : "cancelled at n = 48: the rows before it are complete");
  }
}

// The log-log plot stays inside its area; SumT's line of x*x falls to the
// right, the first mark at the top decade; without a Reference it says so.
TEST_F(Convergence, ErrorPlotDrawsInsideItsAreaAndFalls) {
  setFunctionData({{"y", "x*x"}, {"x1", "0"}, {"x2", "1"}, {"n", "4"}});
  const ConvergenceStudy s = study(64);
  const Rect area{100, 50, 500, 410};
  RecordingCanvas canvas;
  drawConvergencePlot(canvas, area, convergenceErrors(s.rows(), s.reference()));
  std::vector<Point> trapezoid;
  for (const CanvasCall& call : canvas.calls()) {
    if (call.kind == CallKind::LineTo) {
      EXPECT_TRUE(call.x >= area.left && call.x < area.right && call.y >= area.top &&
                  call.y < area.bottom) << call.x << "," << call.y;
      if (call.pen.colour == convergenceSeries[2].colour && call.fromX != call.x - 18)
        trapezoid.push_back({call.x, call.y});
    }
    if (call.kind == CallKind::TextOut) {
      EXPECT_TRUE(area.left <= call.x && call.y >= area.top && call.y < area.bottom) << call.text;
    }
  }
  ASSERT_EQ(trapezoid.size(), s.rows().size() - 1);
  for (size_t i = 1; i < trapezoid.size(); ++i) {
    EXPECT_GT(trapezoid[i].x, trapezoid[i - 1].x);
    EXPECT_GT(trapezoid[i].y, trapezoid[i - 1].y);
  }

  RecordingCanvas none;
  drawConvergencePlot(none, area, convergenceErrors(s.rows(), ReferenceValue{}));
  const auto texts = none.callsOf(CallKind::TextOut);
  EXPECT_EQ(texts.back().text, "no Reference: no errors to plot");
}

}  // namespace
}  // namespace tavex::testing
