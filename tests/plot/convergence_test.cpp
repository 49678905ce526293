// The convergence study: rows equal to draw passes, the reference value and
// its statements, the plan of rows, the errors and orders, cancelling.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "graphics/recording_canvas.h"
#include "plot/convergence.h"
#include "plot/plot.h"
#include "tests/plot/plot_test_support.h"

namespace tavex::testing {
namespace {

class Convergence : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
  }
  void TearDown() override {
    initFunctionData();
    initGraphData();
  }
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

std::vector<std::string> panelReadouts(const PassResult& pass) {
  // The data panel ends with the readouts: the lines holding " = " after a Sum or Exact.
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
    const PassResult pass = plot(PlotContext{.engine = *passEngine}, frame, kDrawPass, kToWindow);
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
  {
    LoggingEvaluator nan([](double x) { return x > 0.5 ? NAN : x; });
    const ReferenceValue r = referenceIntegral(nan, 0, 1);
    EXPECT_EQ(r.status, Status::NotFinite);
    EXPECT_GT(r.badX, 0.5);
    EXPECT_FALSE(r.hasValue());
    EXPECT_NE(referenceStatement(r, functionData).find("not finite at x = 0.5"), std::string::npos);
  }
  {
    // Halving the panels at the pole goes on until 1/x overflows.
    LoggingEvaluator pole([](double x) { return 1 / x; });
    EXPECT_EQ(referenceIntegral(pole, -1, 1).status, Status::NotFinite);
  }
  {
    LoggingEvaluator wild([](double x) { return std::sin(1e7 * x); });
    const ReferenceValue r = referenceIntegral(wild, 0, 1);
    EXPECT_EQ(r.status, Status::NotReached);
    EXPECT_EQ(r.panels, kReferenceMaxPanels);
    EXPECT_GT(r.accuracy, 1e-9);
    EXPECT_NE(referenceStatement(r, functionData).find("could not reach 1e-13"),
              std::string::npos);
  }
  {
    LoggingEvaluator any([](double x) { return x; });
    EXPECT_EQ(referenceIntegral(any, 0, INFINITY).status, Status::NoInterval);
    EXPECT_TRUE(any.xs.empty());
  }
  {
    // The abscissa's fixed text turns x near 0 into 0, where 1/x fails.
    setFunctionData({{"y", "1/x"}});
    FunctionEvaluator evaluator(functionData, testEngine());
    const ReferenceValue r = referenceIntegral(evaluator, -1, 1);
    EXPECT_EQ(r.status, Status::Failed);
    EXPECT_EQ(referenceStatement(r, functionData),
              "No Reference: f failed at x = " + std::string(r.badX < 0 ? "-" : "") +
                  "0.00000 (y: Divide by Zero at column 11)");
  }
}

TEST_F(Convergence, PlanSaysWhatItDoesInsteadOfWhatWasAsked) {
  struct Case {
    std::int32_t dataN;
    long long requested;
    std::int32_t n0;
    std::int64_t limit;
    bool timed;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {12, 0, 12, 1048576, true, {}},
      {12, 48, 12, 48, false, {}},
      {1, 0, 2, 1048576, true, {"n = 1 in the function data: the table starts at n = 2"}},
      {-7, 8, 2, 8, false, {"n = -7 in the function data: the table starts at n = 2"}},
      {12, 5, 12, 12, false, {"limit 5 is below n = 12: one row, n = 12"}},
      {12, 5000000, 12, 1048576, false,
       {"limit 5000000 is above 1048576: the rows stop at n <= 1048576"}},
      {100000000, 0, 100000000, 100000000, false,
       {"n = 100000000 is above 1048576: one row, n = 100000000"}},
      {2000000, 3000000, 2000000, 2000000, false,
       {"n = 2000000 is above 1048576: one row, n = 2000000"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dataN) + " up to " + std::to_string(c.requested));
    const ConvergencePlan plan = planConvergence(c.dataN, c.requested);
    EXPECT_EQ(plan.n0, c.n0);
    EXPECT_EQ(plan.limit, c.limit);
    EXPECT_EQ(plan.timed, c.timed);
    EXPECT_EQ(plan.notes, c.notes);
  }
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
  EXPECT_EQ(s.tableText('\t').substr(0, 47), "n\tSumU\tSumL\tSumT\tSumM\tSumS\tExact\tReference\terrU");
}

TEST_F(Convergence, OddRowsLeaveSimpsonEmpty) {
  setFunctionData({{"n", "3"}});
  const ConvergenceStudy s = study(12);
  ASSERT_EQ(s.rows().size(), 3u);
  const auto odd = convergenceCells(s.rows()[0], nullptr, s.reference());
  const auto even = convergenceCells(s.rows()[1], &s.rows()[0], s.reference());
  EXPECT_EQ(odd[5], "");
  EXPECT_EQ(odd[16], "");
  EXPECT_NE(even[5], "");
  EXPECT_EQ(even[17], "");  // no order without an error before it
}

TEST_F(Convergence, ObservedOrderIsEmptyWhereItSaysNothing) {
  EXPECT_DOUBLE_EQ(observedOrder(0.4, -0.1, 1e-10), 2.0);
  EXPECT_TRUE(std::isnan(observedOrder(0.4, 0.0, 1e-10)));
  EXPECT_TRUE(std::isnan(observedOrder(0.4, 1e-11, 1e-10)));  // at the reference's accuracy
  EXPECT_TRUE(std::isnan(observedOrder(NAN, 0.1, 0)));
  EXPECT_TRUE(std::isnan(observedOrder(INFINITY, 0.1, 0)));
}

// Stops by throwing from an evaluation, as the desktop's cancel does.
class CancelAfter : public PassMonitor {
 public:
  explicit CancelAfter(long long made) : made_(made) {}
  void progress(long long made, long long expected) override {
    EXPECT_LE(made, expected);
    if (made >= made_) throw PassCancelled{};
  }

 private:
  long long made_;
};

TEST_F(Convergence, CancelKeepsTheRowsDone) {
  ConvergenceStudy s(functionData, graphData, 1 << 14);
  const long long firstTwoRows = 450 + rowEvaluations(12, curveSpanOf(graphData)) +
                                 rowEvaluations(24, curveSpanOf(graphData));
  CancelAfter monitor(firstTwoRows + 500);
  int changes = 0;
  s.run(testEngine(), &monitor, [&] { ++changes; });
  EXPECT_TRUE(s.cancelled());
  ASSERT_EQ(s.rows().size(), 2u);
  EXPECT_EQ(changes, 3);  // the reference and two rows
  EXPECT_EQ(s.notes().back(), "cancelled at n = 48: the rows before it are complete");

  ConvergenceStudy early(functionData, graphData, 0);
  CancelAfter atOnce(0);
  early.run(testEngine(), &atOnce);
  EXPECT_TRUE(early.rows().empty());
  EXPECT_EQ(early.notes().back(), "cancelled while computing the Reference");
}

TEST_F(Convergence, FailedRowsAreNamed) {
  setFunctionData({{"y", "1/x"}, {"x1", "-1"}, {"x2", "1"}, {"n", "4"}});
  setGraphData("x0", "0.005");  // the curve misses 0
  const ConvergenceStudy s = study(16);
  ASSERT_EQ(s.rows().size(), 3u);
  ASSERT_NE(s.firstFailedRow(), nullptr);
  EXPECT_EQ(s.firstFailedRow()->n, 4);
  EXPECT_EQ(s.failureNote(),
            "f failed in 3 of 3 rows, first in the row n = 4 at x = 0.00000 (y: Divide by Zero "
            "at column 11); their sums use the values f kept, as the plot shows them");
}

}  // namespace
}  // namespace tavex::testing
