// SPDX-License-Identifier: GPL-3.0-or-later
// The n for a tolerance: the textbook n of each bound, the observed n as
// the smallest whose draw pass is within the tolerance, and what the study
// says when it cannot give one.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "plot/tolerance.h"
#include "tests/plot/plot_test_support.h"

namespace tavex::testing {
namespace {

class Tolerance : public ::testing::Test {
 protected:
  void SetUp() override { initFunctionData(), initGraphData(); }
  void TearDown() override { initFunctionData(), initGraphData(); }
  static ToleranceStudy study(double tolerance, PassMonitor* monitor = nullptr) {
    ToleranceStudy s(functionData, graphData, tolerance);
    s.run(testEngine(), monitor);
    return s;
  }
};

TEST(ToleranceBounds, FormulasAndTextbookSteps) {
  EXPECT_DOUBLE_EQ(ruleBound(BoundRule::Left, 2, 3, 4), 4.0 * 3 / 8);
  EXPECT_DOUBLE_EQ(ruleBound(BoundRule::Trapezoid, 2, 3, 4), 8.0 * 3 / (12 * 16));
  EXPECT_DOUBLE_EQ(ruleBound(BoundRule::Midpoint, 2, 3, 4), 8.0 * 3 / (24 * 16));
  EXPECT_DOUBLE_EQ(ruleBound(BoundRule::Simpson, 2, 3, 4), 32.0 * 3 / (180 * 256));
  const double e = std::numbers::e;
  struct Case {
    BoundRule rule;
    double K, tolerance;
    long long n;
  };
  // x*x (K = 2, 2, 0) and exp (K = e) on [0, 1].
  const Case cases[] = {
      {BoundRule::Left, 2, 1e-4, 10000},    {BoundRule::Left, 2, 1e-6, 1000000},
      {BoundRule::Right, 2, 1e-4, 10000},   {BoundRule::Trapezoid, 2, 1e-4, 41},
      {BoundRule::Trapezoid, 2, 1e-6, 409}, {BoundRule::Midpoint, 2, 1e-4, 29},
      {BoundRule::Midpoint, 2, 1e-6, 289},  {BoundRule::Simpson, 0, 1e-6, 2},
      {BoundRule::Left, e, 1e-4, 13592},    {BoundRule::Left, e, 1e-6, 1359141},
      {BoundRule::Trapezoid, e, 1e-4, 48},  {BoundRule::Trapezoid, e, 1e-6, 476},
      {BoundRule::Midpoint, e, 1e-4, 34},   {BoundRule::Midpoint, e, 1e-6, 337},
      {BoundRule::Simpson, e, 1e-4, 4},     {BoundRule::Simpson, e, 1e-6, 12},
      // K a hair above 2, as an estimate may come out: the same n.
      {BoundRule::Left, 2.0000000000004, 1e-4, 10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(boundRuleName(c.rule)) + " K " + std::to_string(c.K));
    const StepCount n = boundSteps(c.rule, 1.0, c.K, c.tolerance);
    EXPECT_TRUE(n.found);
    EXPECT_EQ(n.n, c.n);
  }
  EXPECT_EQ(boundSteps(BoundRule::Left, 1.0, 2, 1e-12).why, "above 1000000000");
  EXPECT_EQ(boundSteps(BoundRule::Simpson, 3.0, 1e300, 1e-300).why, "above 1000000000");
  for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) EXPECT_NE(toleranceProblem(bad), "") << bad;
  EXPECT_EQ(toleranceProblem(1e-9), "");
}

// The study's K's and n's for x*x and exp on [0, 1]: the textbook bounds
// from estimated K's, and observed n's whose draw pass is within the
// tolerance while the one before is not.
TEST_F(Tolerance, TextbookAnswersAndObservedSteps) {
  struct Case {
    const char* y;
    double tolerance;
    std::vector<long long> byBound;  // left, right, T, M, S
  };
  const Case cases[] = {
      {"x*x", 1e-4, {10000, 10000, 41, 29, 2}},
      {"exp(x)", 1e-4, {13592, 13592, 48, 34, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.y) + " " + std::to_string(c.tolerance));
    setFunctionData({{"y", c.y}, {"x1", "0"}, {"x2", "1"}});
    const ToleranceStudy s = study(c.tolerance);
    ASSERT_EQ(s.refusal(), "");
    const CurveSpan curve = curveSpanOf(graphData);
    for (int i = 0; i < kBoundRules; ++i) {
      const RuleTolerance& r = s.rules()[i];
      SCOPED_TRACE(boundRuleName(r.rule));
      ASSERT_TRUE(r.K.known) << r.K.why;
      EXPECT_EQ(r.byBound.n, c.byBound[i]);
      ASSERT_TRUE(r.observed.found) << r.observed.why;
      EXPECT_LE(r.observed.n, r.byBound.n);
      const long long step = r.rule == BoundRule::Simpson ? 2 : 1;
      for (long long n : {r.observed.n, r.observed.n - step}) {
        if (n < 2) continue;
        FunctionEvaluator evaluator(functionData, testEngine());
        const ConvergenceRow row = convergenceRow(evaluator, intervalOf(functionData),
                                                  static_cast<std::int32_t>(n), curve);
        const double error = std::fabs(ruleSum(r.rule, row.sums) - s.reference().value);
        EXPECT_EQ(error <= c.tolerance, n == r.observed.n) << "n = " << n << ": " << error;
      }
    }
  }
  // At 1e-6, from the estimated K's alone.
  for (const char* y : {"x*x", "exp(x)"}) {
    setFunctionData({{"y", y}, {"x1", "0"}, {"x2", "1"}});
    FunctionEvaluator evaluator(functionData, testEngine());
    const FunctionFit fit = fitFunction(evaluator, 0, 1);
    std::vector<long long> n;
    for (BoundRule rule : kAllBoundRules)
      n.push_back(boundSteps(rule, 1, derivativeMax(fit, boundOrder(rule), functionData).value,
                             1e-6).n);
    EXPECT_EQ(n, (std::string(y) == "x*x" ? std::vector<long long>{1000000, 1000000, 409, 289, 2}
                                          : std::vector<long long>{1359141, 1359141, 476, 337, 12}))
        << y;
  }
  // Left and right sums of x*x: errors 1/(2n) -/+ 1/(6n^2).
  setFunctionData({{"y", "x*x"}, {"x1", "0"}, {"x2", "1"}});
  const ToleranceStudy s = study(1e-4);
  EXPECT_EQ(s.rules()[0].observed.n, 5000);
  EXPECT_EQ(s.rules()[1].observed.n, 5001);
  EXPECT_EQ(s.tableText(),
            "rule\tK\tat\tnBound\tnObserved\n"
            "SumLeft\t2\t1\t10000\t5000\n"
            "SumRight\t2\t1\t10000\t5001\n"
            "SumT\t2\t0\t41\t41\n"
            "SumM\t2\t0\t29\t29\n"
            "SumS\t0\t0\t2\t2\n");
}

TEST_F(Tolerance, SaysWhyThereIsNoNumber) {
  // A pole: no K, no Reference, no n.
  setFunctionData({{"y", "1/x"}, {"x1", "-1"}, {"x2", "1"}});
  ToleranceStudy pole = study(1e-3);
  for (const RuleTolerance& r : pole.rules()) {
    EXPECT_FALSE(r.K.known);
    EXPECT_EQ(r.K.why, "f failed at x = 0.00000 (y: Divide by Zero at column 11)");
    EXPECT_EQ(r.byBound.why, "-");
    EXPECT_EQ(r.observed.why, "-");
  }
  EXPECT_TRUE(pole.failed());
  EXPECT_NE(pole.refusal().find("No Reference"), std::string::npos);
  EXPECT_NE(pole.tableText().find("SumT\tcannot be estimated: f failed at x = 0.00000"),
            std::string::npos);
  // Below what the Reference can tell apart.
  initFunctionData();
  const ToleranceStudy tiny = study(1e-18);
  EXPECT_NE(tiny.refusal().find("is below what double precision can tell apart"),
            std::string::npos);
  EXPECT_EQ(tiny.rules()[2].observed.why, "-");
  EXPECT_EQ(tiny.rules()[0].byBound.why, "above 1000000000");
  // Beyond the largest n searched.
  const ToleranceStudy fine = study(1e-7);
  EXPECT_EQ(fine.rules()[0].observed.why, "above 1048576");
  EXPECT_TRUE(fine.rules()[4].observed.found);
}

TEST_F(Tolerance, CancelStopsTheSearch) {
  struct CancelAfter : PassMonitor {
    long long calls = 0;
    void progress(long long, long long) override {
      if (++calls > 20) throw PassCancelled{};
    }
  } monitor;
  const ToleranceStudy s = study(1e-6, &monitor);
  EXPECT_TRUE(s.cancelled());
  EXPECT_FALSE(s.rules()[0].observed.found);
}

}  // namespace
}  // namespace tavex::testing
