// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/fit_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "plot_test_support.h"

namespace tavex {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FitAxis, RoundEdgesAndStepsForTheNarrowestWindow) {
  struct Case {
    double a, b;
    bool zero;
    double low, high;
    int steps;
  };
  const std::vector<Case> cases = {
      {1, 4, false, 0.5, 4.5, 8},
      {4, 1, false, 0.5, 4.5, 8},        // either order
      {-2, 3, false, -3, 4, 7},
      {0.3679, 2.7183, true, 0, 3, 6},   // exp(sin x) on [0, 5]: 0 is near
      {100, 101, true, 99.8, 101.2, 7},  // far from 0: 0 stays out
      {-3, -1, true, -3.5, 0, 7},        // below 0: the top moves up to it
      {3, 3, true, 0, 5, 5},             // one value: widened, then 0 is near
      {0, 0, true, -1.5, 1.5, 6},
      {1, 1 + 1e-15, true, 0, 1.6, 8},   // rounding noise counts as one value
      {-0.004, 0.0031, false, -0.006, 0.004, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a << " " << c.b << " " << c.zero);
    const AxisFit fit = fitAxis(c.a, c.b, c.zero);
    ASSERT_TRUE(fit.fitted);
    EXPECT_DOUBLE_EQ(fit.low, c.low);
    EXPECT_DOUBLE_EQ(fit.high, c.high);
    EXPECT_EQ(fit.steps, c.steps);
  }
}

TEST(FitAxis, AnyRangeIsCoveredByFourToTenRoundSteps) {
  const double ranges[][2] = {{0, 1e-20}, {-7.3, 1234.5}, {1e6, 1e6 + 3}, {-1e300, 1e300},
                              {2.5e-8, 2.6e-8}, {-0.5, 0.5}, {17, 17.001}, {-1e-300, 0}};
  for (const auto& r : ranges) {
    for (bool zero : {false, true}) {
      SCOPED_TRACE(::testing::Message() << r[0] << " " << r[1] << " " << zero);
      const AxisFit fit = fitAxis(r[0], r[1], zero);
      ASSERT_TRUE(fit.fitted);
      EXPECT_LE(fit.low, r[0]);
      EXPECT_GE(fit.high, r[1]);
      EXPECT_GE(fit.steps, 4);
      EXPECT_LE(fit.steps, 10);
      // The step is 1, 2 or 5 times a power of ten, and the edges multiples of it.
      const double mantissa = fit.step / std::pow(10.0, std::floor(std::log10(fit.step)));
      EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                  std::fabs(mantissa - 5) < 1e-9)
          << fit.step;
      EXPECT_NEAR(fit.low / fit.step, std::round(fit.low / fit.step), 1e-6);
      EXPECT_NEAR((fit.high - fit.low) / fit.step, fit.steps, 1e-6);
    }
  }
}

TEST(FitAxis, NonFiniteOrTooWideRangesAreNotFitted) {
  for (const auto& [a, b] : std::vector<std::pair<double, double>>{
           {kNaN, 1}, {0, kInf}, {-kInf, kInf}, {-1.7e308, 1.7e308}})
    EXPECT_FALSE(fitAxis(a, b, true).fitted) << a << " " << b;
}

TEST(FitGraph, FiniteRangesAndEntryNumbers) {
  const double values[] = {kNaN, 1, -2, kInf, 3, -kInf};
  const FiniteRange range = finiteRange(values, 6);
  EXPECT_EQ(range.low, -2);
  EXPECT_EQ(range.high, 3);
  EXPECT_EQ(range.finite, 3);
  EXPECT_EQ(finiteRange(values, 1).finite, 0);
  const std::pair<double, const char*> numbers[] = {
      {3 * 0.1, "0.3"}, {-0.0, "0"}, {-2.5, "-2.5"}, {1234567, "1234567"}, {5e-9, "5e-09"}};
  for (const auto& [value, text] : numbers) EXPECT_EQ(entryNumber(value), text);
}

class FitGraphPass : public ::testing::Test {
 protected:
  void TearDown() override {
    initFunctionData();
    initGraphData();
  }
  GraphFit fit(PassMonitor* monitor = nullptr) {
    PlotContext context{.engine = testing::testEngine(), .functionRecord = functionData, .graphRecord = graphData};
    context.monitor = monitor;
    return fitGraph(context, pass);
  }
  PassResult pass;
};

TEST_F(FitGraphPass, DefaultsGiveTheLinesOfARoundWindowFromTheCurvesPoints) {
  const GraphFit result = fit();
  EXPECT_EQ(result.failure, "");
  const std::vector<std::pair<int, std::string>> expected = {
      {kGdX0, "x0        = 0.5"}, {kGdX1, "x1        = 4.5"}, {kGdY0, "y0        = 0"},
      {kGdY1, "y1        = 3"}, {kGdT1, "t1        = 8"}, {kGdT2, "t2        = 6"}};
  EXPECT_EQ(result.lines, expected);
  EXPECT_EQ(pass.report.evaluations, 501);  // gdata's n + 1 points
  EXPECT_FALSE(pass.cancelled);
}

TEST_F(FitGraphPass, CurvePointsFollowTheGraphDataAndFallBackWithoutAny) {
  const std::vector<std::pair<const char*, long long>> cases = {
      {"10", 11}, {"0", kFitFallbackSegments + 1}, {"-3", kFitFallbackSegments + 1},
      {"99999999", kMaxCurveSegments + 1}};
  for (const auto& [n, evaluations] : cases) {
    acceptLine(graphData[kGdPoints], (std::string("n         = ") + n).c_str());
    fit();
    EXPECT_EQ(pass.report.evaluations, evaluations) << n;
  }
}

TEST_F(FitGraphPass, WithoutAFiniteValueNothingIsFitted) {
  acceptLine(functionData[kFdFunction], "y    = log(-1)");
  const GraphFit result = fit();
  EXPECT_EQ(result.failure, "f has no finite value between x = 0.5 and x = 4.5");
  EXPECT_TRUE(result.lines.empty());
  acceptLine(functionData[kFdX1], "x1   = 1e999");
  EXPECT_EQ(fit().failure, "x1 = inf and x2 = 4 give no window");
}

TEST_F(FitGraphPass, AMonitorCanCancelTheSampling) {
  struct Cancel : PassMonitor {
    void progress(long long made, long long) override {
      if (made >= 128) throw PassCancelled{};
    }
  } cancel;
  const GraphFit result = fit(&cancel);
  EXPECT_TRUE(pass.cancelled);
  EXPECT_EQ(pass.cancelledAt, "the fit, point 129 of 501");
  EXPECT_TRUE(result.lines.empty());
}

}  // namespace
}  // namespace tavex
