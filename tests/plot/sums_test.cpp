// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "plot/sums.h"
#include "plot_test_support.h"

namespace tavex {
namespace {

using testing::LoggingEvaluator;
using testing::setFunctionData;

class Sums : public ::testing::Test {
 protected:
  void TearDown() override { initFunctionData(); }
};

std::vector<std::string> readouts(const RiemannSums& sums) {
  const ReadoutLines lines = sumReadouts(sums);
  return std::vector<std::string>(lines.lines, lines.lines + lines.count);
}

struct WorkedCase {
  const char* title;
  std::vector<std::pair<std::string, std::string>> edits;
  std::vector<std::string> expected;
};

TEST_F(Sums, WorkedValuesToTenDecimals) {
  const std::vector<WorkedCase> cases = {
      {"defaults, n = 12",
       {},
       {"SumU  = 5.4857108520", "SumL  = 4.8272055958", "SumT  = 5.1564582239",
        "SumM  = 5.1686823794", "SumS  = 5.1646833897", "Exact = 5.1646028130"}},
      {"defaults, n = 2",
       {{"n", "2"}},
       {"SumU  = 6.2086707237", "SumL  = 3.4327517654", "SumT  = 4.8207112446",
        "SumM  = 5.3588254089", "SumS  = 5.0331444875", "Exact = 5.1646028130"}},
      {"defaults, n = 3",
       {{"n", "3"}},
       {"SumU  = 6.1167182925", "SumL  = 3.9405038471", "SumT  = 5.0286110698",
        "SumM  = 5.2349543833", "Exact = 5.1646028130"}},
      {"x*x on [0, 1], n = 4",
       {{"y", "x*x"}, {"x1", "0"}, {"x2", "1"}, {"n", "4"}},
       {"SumU  = 0.4687500000", "SumL  = 0.2187500000", "SumT  = 0.3437500000",
        "SumM  = 0.3281250000", "SumS  = 0.3333333333", "Exact = 0.3333333333"}},
      {"x*x on [1, 0], n = 4",
       {{"y", "x*x"}, {"x1", "1"}, {"x2", "0"}, {"n", "4"}},
       {"SumU  = -0.4687500000", "SumL  = -0.2187500000", "SumT  = -0.3437500000",
        "SumM  = -0.3281250000", "SumS  = -0.3333333333", "Exact = -0.3333333333"}},
      {"constant 2.5 on [1, 4], n = 5",
       {{"y", "2.5"}, {"n", "5"}},
       {"SumU  = 7.5000000000", "SumL  = 7.5000000000", "SumT  = 7.5000000000",
        "SumM  = 7.5000000000", "Exact = 7.5000000000"}},
      {"empty interval",
       {{"x1", "2"}, {"x2", "2"}, {"n", "4"}},
       {"SumU  = 0.0000000000", "SumL  = 0.0000000000", "SumT  = 0.0000000000",
        "SumM  = 0.0000000000", "SumS  = 0.0000000000", "Exact = 0.0000000000"}},
  };
  for (const WorkedCase& c : cases) {
    SCOPED_TRACE(c.title);
    initFunctionData();
    setFunctionData(c.edits);
    FunctionEvaluator ev(functionData, testing::testEngine());
    EXPECT_EQ(readouts(computeSums(ev, readFunctionInterval(), nullptr)), c.expected);
  }
}

// The left and right sums come from the walk's own evaluations, added in
// step order: the same doubles as a hand computation from those values.
TEST_F(Sums, LeftAndRightFromTheWalksEvaluations) {
  struct Case {
    const char* title;
    std::vector<std::pair<std::string, std::string>> edits;
    const char* left;
    const char* right;
  };
  const Case cases[] = {
      {"defaults, n = 12", {}, "SumLeft  = 5.3877848038", "SumRight = 4.9251316441"},
      {"defaults, n = 3", {{"n", "3"}}, "SumLeft  = 5.9539173892", "SumRight = 4.1033047504"},
      {"x*x on [0, 1], n = 4", {{"y", "x*x"}, {"x1", "0"}, {"x2", "1"}, {"n", "4"}},
       "SumLeft  = 0.2187500000", "SumRight = 0.4687500000"},
      {"x*x on [1, 0], n = 4", {{"y", "x*x"}, {"x1", "1"}, {"x2", "0"}, {"n", "4"}},
       "SumLeft  = -0.4687500000", "SumRight = -0.2187500000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    initFunctionData();
    setFunctionData(c.edits);
    struct Recording : FunctionEvaluator {
      using FunctionEvaluator::FunctionEvaluator;
      std::vector<double> fs;
      double evaluate(double x) override { return fs.emplace_back(FunctionEvaluator::evaluate(x)); }
    } rec(functionData, testing::testEngine());
    const FunctionInterval fi = readFunctionInterval();
    const RiemannSums sums = computeSums(rec, fi, nullptr);
    // The walk's n + 1 values are the last evaluations.
    const std::vector<double> walk(rec.fs.end() - (fi.n + 1), rec.fs.end());
    double left = 0.0, right = 0.0;
    for (int i = 1; i <= fi.n; ++i) {
      left = walk[i - 1] * fi.h + left;
      right = walk[i] * fi.h + right;
    }
    EXPECT_EQ(sums.SumLeft, left);
    EXPECT_EQ(sums.SumRight, right);
    const ReadoutLines lines = sideReadouts(sums);
    ASSERT_EQ(lines.count, 2);
    EXPECT_STREQ(lines.lines[0], c.left);
    EXPECT_STREQ(lines.lines[1], c.right);
    // The other readouts are those of a plain evaluator.
    FunctionEvaluator plain(functionData, testing::testEngine());
    EXPECT_EQ(readouts(computeSums(plain, fi, nullptr)), readouts(sums));
  }
}

TEST_F(Sums, StaleValuesAtAPoleFollowTheOrderOfEvaluation) {
  // 1/x on [-1, 1] with n = 2 meets x = 0 as a grid point, as x2 - h and as
  // x_i + h; each time the previous evaluation's value stands in.
  setFunctionData({{"y", "1/x"}, {"x1", "-1"}, {"x2", "1"}, {"n", "2"}});
  FunctionEvaluator ev(functionData, testing::testEngine());
  const FunctionInterval& fi = readFunctionInterval();
  EXPECT_EQ(simpsonSum(ev, fi), (1.0 * 0.3333333333333333) * 4.0);  // -1 + 1 + 4 * f(1)
  const MidpointTrapezoid mt = midpointTrapezoidSums(ev, fi);
  EXPECT_EQ(mt.SumM, 0.0);   // f(-0.5) + f(0.5)
  EXPECT_EQ(mt.SumT, -0.5);  // (f(-1) + f(-0.5)) / 2 + (f(0.5) + f(1)) / 2
  const UpperLower ul = rectangleWalk(ev, fi, nullptr);
  EXPECT_EQ(ul.SumU, 0.0);   // f(0) repeats f(-1) = -1, then 1 > -1
  EXPECT_EQ(ul.SumL, -2.0);
  EXPECT_EQ(ev.firstFailure().evaluation, 2);  // x2 - h in Simpson's rule
}

TEST_F(Sums, GaussLegendreOrderAndAccuracy) {
  LoggingEvaluator ev([](double x) { return x * x * x * x; });
  const double exact = gaussLegendre10(ev, 0.0, 2.0, 3);
  EXPECT_NEAR(exact, 32.0 / 5.0, 1e-13);
  ASSERT_EQ(ev.xs.size(), 30u);
  const double w = 2.0 / 3, d = w * 0.5;
  for (int i = 1; i <= 3; ++i) {
    const double m = (i * w + 0.0) - d;
    for (int j = 0; j < 5; ++j) {
      const size_t k = static_cast<size_t>((i - 1) * 10 + 2 * j);
      EXPECT_GT(ev.xs[k], m);                       // the right point of each pair first
      EXPECT_EQ(ev.xs[k + 1], (m + m) - ev.xs[k]);  // then its mirror
    }
  }
  EXPECT_GT(ev.xs[8], ev.xs[6]);  // nodes in table order, outward from the centre
  ev.xs.clear();
  EXPECT_EQ(gaussLegendre10(ev, 0.0, 2.0, 0), 0.0);
  EXPECT_EQ(gaussLegendre10(ev, 0.0, 2.0, -4), 0.0);
  EXPECT_TRUE(ev.xs.empty());
  gaussLegendre10(ev, 1.0, 4.0, kExactPanels);
  EXPECT_EQ(ev.xs.size(), 300u);
}

TEST_F(Sums, EachSumEvaluatesInItsOrder) {
  const FunctionInterval fi{0.1, 0.7, 6, (0.7 - 0.1) / 6};
  auto grid = [&fi](int i) { return i * fi.h + fi.x1; };
  LoggingEvaluator ev([](double x) { return x; });

  simpsonSum(ev, fi);
  std::vector<double> expected = {0.1, 0.7};
  for (int k = 1; k <= 3; k += 2) {
    expected.push_back(grid(k));
    expected.push_back(grid(k) + fi.h);  // the even point from its odd neighbour
  }
  expected.push_back(0.7 - fi.h);
  EXPECT_EQ(ev.xs, expected);

  ev.xs.clear();
  midpointTrapezoidSums(ev, fi);
  expected.clear();
  for (int i = 0; i < 6; ++i) {
    expected.push_back(fi.h * 0.5 + grid(i));
    expected.push_back(grid(i) + fi.h);
    expected.push_back(grid(i));
  }
  EXPECT_EQ(ev.xs, expected);

  ev.xs.clear();
  rectangleWalk(ev, fi, nullptr);
  expected.clear();
  for (int i = 0; i <= 6; ++i) expected.push_back(i == 0 ? fi.x1 : grid(i));
  EXPECT_EQ(ev.xs, expected);
}

TEST_F(Sums, ComputeSumsCallsInDrawPassOrder) {
  struct Case {
    int n;
    size_t exactEvaluations, simpsonEvaluations;
  };
  for (const Case& c : {Case{12, 300, 13}, Case{3, 300, 0}}) {
    SCOPED_TRACE(c.n);
    const FunctionInterval fi{1.0, 4.0, c.n, 3.0 / c.n};
    LoggingEvaluator ev([](double x) { return x; });
    const RiemannSums sums = computeSums(ev, fi, nullptr);
    const size_t n = static_cast<size_t>(c.n);
    ASSERT_EQ(ev.xs.size(), c.exactEvaluations + c.simpsonEvaluations + 3 * n + n + 1);
    EXPECT_EQ(sums.simpsonShown, c.n % 2 == 0);
    // Simpson's rule starts at x1 and x2; the midpoint sum at x1 + h/2; the
    // walk ends at the last grid point.
    if (c.simpsonEvaluations) {
      EXPECT_EQ(ev.xs[300], 1.0);
      EXPECT_EQ(ev.xs[301], 4.0);
    }
    EXPECT_EQ(ev.xs[300 + c.simpsonEvaluations], fi.h * 0.5 + 1.0);
    EXPECT_EQ(ev.xs[300 + c.simpsonEvaluations + 3 * n], 1.0);
    EXPECT_EQ(ev.xs.back(), n * fi.h + 1.0);
  }
  for (int n : {1, 0, -3}) {
    LoggingEvaluator ev;
    const RiemannSums sums = computeSums(ev, FunctionInterval{1.0, 4.0, n, 3.0 / n}, nullptr);
    EXPECT_TRUE(ev.xs.empty()) << n;
    EXPECT_EQ(sums.Exact, 0.0);
  }
}

TEST_F(Sums, WalkHandsEachStepToTheDrawingBeforeSumming) {
  struct Recorder : StepDrawing {
    std::vector<std::vector<double>> calls;
    void start(double x, double f) override { calls.push_back({x, f}); }
    void step(double p, double fp, double x, double fx) override {
      calls.push_back({p, fp, x, fx});
    }
  } drawing;
  const double values[] = {1.0, 3.0, 2.0, 2.0};
  LoggingEvaluator ev([&values](double x) { return values[static_cast<int>(x)]; });
  const UpperLower ul = rectangleWalk(ev, FunctionInterval{0.0, 3.0, 3, 1.0}, &drawing);
  const std::vector<std::vector<double>> expected = {
      {0, 1}, {0, 1, 1, 3}, {1, 3, 2, 2}, {2, 2, 3, 2}};
  EXPECT_EQ(drawing.calls, expected);
  EXPECT_EQ(ul.SumU, 3.0 + 3.0 + 2.0);
  EXPECT_EQ(ul.SumL, 1.0 + 2.0 + 2.0);
}

// Each rule's shapes come from its own sum's evaluations, in their order:
// no value is evaluated for the picture alone.
TEST_F(Sums, ShapesComeFromTheSumsOwnValues) {
  struct Recorder : ShapeDrawing {
    std::vector<std::vector<double>> shapes;
    void trapezoid(double xa, double ya, double xb, double yb) override {
      shapes.push_back({xa, ya, xb, yb});
    }
    void parabola(double xa, double ya, double xm, double ym, double xb, double yb) override {
      shapes.push_back({xa, ya, xm, ym, xb, yb});
    }
  };
  // f(x) = 10 x + the number of evaluations before: each value is its own.
  const FunctionInterval fi{0.0, 4.0, 4, 1.0};
  for (SumRule rule : {SumRule::UpperLower, SumRule::Left, SumRule::Right, SumRule::Midpoint,
                       SumRule::Trapezoid, SumRule::Simpson}) {
    SCOPED_TRACE(ruleName(rule));
    int count = 0;
    std::vector<double> values;
    LoggingEvaluator ev([&count, &values](double x) { return values.emplace_back(10 * x + count++); });
    Recorder recorder;
    const RiemannSums sums = computeSums(ev, fi, nullptr, rule, &recorder);
    EXPECT_EQ(ev.xs.size(), 300u + 5 + 12 + 5);  // the same evaluations for every rule
    const std::vector<std::vector<double>>& got = recorder.shapes;
    // Where each rule's values were evaluated: Simpson from 300, the
    // midpoint and trapezoid sums from 305, the walk from 317.
    auto at = [&values](int k) { return values[static_cast<size_t>(k)]; };
    std::vector<std::vector<double>> want;
    for (int i = 0; i < 4; ++i) {
      const double xi = i, xh = i + 1;
      switch (rule) {
        case SumRule::Left: want.push_back({xi, at(317 + i), xh, at(317 + i)}); break;
        case SumRule::Right: want.push_back({xi, at(318 + i), xh, at(318 + i)}); break;
        case SumRule::Midpoint: want.push_back({xi, at(305 + 3 * i), xh, at(305 + 3 * i)}); break;
        case SumRule::Trapezoid:
          want.push_back({xi, at(307 + 3 * i), xh, at(306 + 3 * i)});
          break;
        default: break;
      }
    }
    if (rule == SumRule::Simpson) {
      // x1 and x2 first, then x_1 and x_2, then x_3 = x2 - h last.
      want = {{0, at(300), 1, at(302), 2, at(303)}, {2, at(303), 3, at(304), 4, at(301)}};
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(sums.SumLeft, (at(317) + at(318) + at(319) + at(320)) * 1.0);
  }
}

TEST_F(Sums, NaNEndValueFallsToTheNotGreaterBranch) {
  LoggingEvaluator ev([](double x) { return x < 2.5 ? x : std::nan(""); });
  const UpperLower ul = rectangleWalk(ev, FunctionInterval{0.0, 3.0, 3, 1.0}, nullptr);
  EXPECT_EQ(ul.SumU, 1.0 + 2.0 + 2.0);  // the last step adds the previous value
  EXPECT_TRUE(std::isnan(ul.SumL));
}

TEST(Readouts, LinesAndFittingForms) {
  RiemannSums sums;
  sums.SumU = 1e60;    // 60 integer digits: 79 characters in fixed form, still fits
  sums.SumL = 1e61;    // 80: exponent form
  sums.SumT = -1e60;   // the sign makes it 80
  sums.SumM = HUGE_VAL;
  sums.SumS = 7.0;
  sums.Exact = -2.5e300;
  const std::vector<std::string> lines = readouts(sums);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].size(), 79u);
  EXPECT_EQ(lines[0].substr(0, 12), "SumU  = 9999");
  EXPECT_EQ(lines[0].substr(65), "904.0000000000");
  EXPECT_EQ(lines[1], "SumL  = 1.0000000000e+61");
  EXPECT_EQ(lines[2], "SumT  = -1.0000000000e+60");
  EXPECT_EQ(lines[3], "SumM  = inf");
  EXPECT_EQ(lines[4], "Exact = -2.5000000000e+300");

  sums.simpsonShown = true;
  const std::vector<std::string> withSimpson = readouts(sums);
  ASSERT_EQ(withSimpson.size(), 6u);
  EXPECT_EQ(withSimpson[4], "SumS  = 7.0000000000");
}

}  // namespace
}  // namespace tavex
