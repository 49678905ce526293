// SPDX-License-Identifier: GPL-3.0-or-later
// The Chebyshev fit of f and what it tells: derivative maxima against known
// derivatives, zeros, extrema and inflection points against known answers,
// and what it says where f cannot be resolved.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "plot/analysis.h"
#include "plot/chebyshev.h"
#include "tests/plot/plot_test_support.h"

namespace tavex::testing {
namespace {

using Fn = std::function<double(double)>;

class Analysis : public ::testing::Test {
 protected:
  void TearDown() override { initFunctionData(); }
};

// The largest |g| on [a, b]: the best of a fine grid, refined by golden
// section in the cells beside it.
double trueMax(const Fn& g, double a, double b) {
  constexpr int kCells = 100000;
  const double h = (b - a) / kCells;
  int best = 0;
  for (int i = 1; i <= kCells; ++i)
    if (std::fabs(g(a + i * h)) > std::fabs(g(a + best * h))) best = i;
  double lo = a + std::max(best - 1, 0) * h, hi = a + std::min(best + 1, kCells) * h;
  const double r = (std::sqrt(5.0) - 1) / 2;
  for (int k = 0; k < 100; ++k) {
    const double p = hi - r * (hi - lo), q = lo + r * (hi - lo);
    (std::fabs(g(p)) > std::fabs(g(q)) ? hi : lo) = std::fabs(g(p)) > std::fabs(g(q)) ? q : p;
  }
  return std::max({std::fabs(g(lo)), std::fabs(g(a)), std::fabs(g(b))});
}

// Where g changes sign on (a, b), by a fine grid and bisection.
std::vector<double> signChangesOf(const Fn& g, double a, double b) {
  constexpr int kCells = 100000;
  std::vector<double> roots;
  const double h = (b - a) / kCells;
  for (int i = 0; i < kCells; ++i) {
    double lo = a + i * h, hi = a + (i + 1) * h;
    if (g(lo) == 0 && i > 0) roots.push_back(lo);
    if (g(lo) * g(hi) >= 0) continue;
    for (int k = 0; k < 200 && lo < hi; ++k) {
      const double m = 0.5 * (lo + hi);
      (std::signbit(g(m)) == std::signbit(g(lo)) ? lo : hi) = m;
    }
    roots.push_back(lo);
  }
  return roots;
}

TEST(Chebyshev, SeriesAndTheirSignChanges) {
  // x^2 = 1/2 + T2/2 on [-1, 1], from its values at 5 points.
  const std::vector<double> t = chebPoints(4);
  std::vector<double> values;
  for (double x : t) values.push_back(x * x);
  const std::vector<double> c = chebCoefficients(values);
  ASSERT_EQ(c.size(), 5u);
  EXPECT_NEAR(c[0], 0.5, 1e-16);
  EXPECT_NEAR(c[1], 0.0, 1e-16);
  EXPECT_NEAR(c[2], 0.5, 1e-16);
  const ChebSeries square{0, 2, {1, 1}};  // x on [0, 2]
  EXPECT_DOUBLE_EQ(square(1.5), 1.5);
  EXPECT_DOUBLE_EQ(square.derivative()(0.3), 1.0);
  // T_7 changes sign at cos((2k - 1) pi / 14).
  ChebSeries t7{-1, 1, std::vector<double>(8, 0.0)};
  t7.c[7] = 1;
  const std::vector<SignChange> roots = signChanges(t7, 1e-15);
  ASSERT_EQ(roots.size(), 7u);
  for (int k = 0; k < 7; ++k)
    EXPECT_NEAR(roots[k].x, std::cos((2 * (7 - k) - 1) * std::numbers::pi / 14), 1e-15) << k;
  EXPECT_EQ(roots[0].signBefore, -1);
  // A geometric series is cut where it reaches rounding; it is not cut
  // while it still falls.
  std::vector<double> geometric;
  for (int k = 0; k < 129; ++k) geometric.push_back(std::pow(0.5, k));
  EXPECT_LE(standardChop(geometric, 0x1p-52), 62u);  // 2^-61 is below rounding
  EXPECT_GE(standardChop(geometric, 0x1p-52), 50u);
  EXPECT_EQ(standardChop(std::vector<double>(geometric.begin(), geometric.begin() + 33), 0x1p-52),
            33u);
}

// K of the five smooth functions through the expression engine, against
// the maximum of their known derivatives.
TEST_F(Analysis, DerivativeMaximaOfSmoothFunctions) {
  struct Case {
    const char* y;
    double a, b;
    Fn d1, d2, d4;
  };
  const Case cases[] = {
      {"x*x", 0, 1, [](double x) { return 2 * x; }, [](double) { return 2.0; },
       [](double) { return 0.0; }},
      {"exp(x)", 0, 1, [](double x) { return std::exp(x); }, [](double x) { return std::exp(x); },
       [](double x) { return std::exp(x); }},
      {"sin(x)", 1, 10, [](double x) { return std::cos(x); }, [](double x) { return -std::sin(x); },
       [](double x) { return std::sin(x); }},
      {"1/(1+x*x)", -2, 2, [](double x) { return -2 * x / std::pow(1 + x * x, 2); },
       [](double x) { return (6 * x * x - 2) / std::pow(1 + x * x, 3); },
       [](double x) { return 24 * (5 * std::pow(x, 4) - 10 * x * x + 1) / std::pow(1 + x * x, 5); }},
      {"exp(-x*x)", -2, 2, [](double x) { return -2 * x * std::exp(-x * x); },
       [](double x) { return (4 * x * x - 2) * std::exp(-x * x); },
       [](double x) { return (16 * std::pow(x, 4) - 48 * x * x + 12) * std::exp(-x * x); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.y);
    setFunctionData({{"y", c.y}});
    FunctionEvaluator evaluator(functionData, testEngine());
    const FunctionFit fit = fitFunction(evaluator, c.a, c.b);
    ASSERT_TRUE(fit.complete());
    const struct {
      int order;
      const Fn& d;
      double tolerance;
    } orders[] = {{1, c.d1, 1e-6}, {2, c.d2, 1e-6}, {4, c.d4, 1e-4}};
    for (const auto& o : orders) {
      const DerivativeMax m = derivativeMax(fit, o.order, functionData);
      ASSERT_TRUE(m.known) << m.why;
      const double truth = trueMax(o.d, c.a, c.b);
      EXPECT_LE(std::fabs(m.value - truth), o.tolerance * std::max(truth, 1e-300) + 1e-12)
          << "order " << o.order << ": " << m.value << " against " << truth;
      EXPECT_NEAR(std::fabs(o.d(m.at)), m.value, o.tolerance * std::max(m.value, 1.0));
    }
  }
}

// --find's examples: every zero, extremum and inflection point, none extra,
// zeros to 1e-10 and the others to 1e-7 relative.
TEST_F(Analysis, FeaturesAgainstKnownAnswers) {
  struct Case {
    const char* y;
    double a, b;
    Fn f, d1, d2;
  };
  const Case cases[] = {
      {"sin(x)", 1, 10, [](double x) { return std::sin(x); }, [](double x) { return std::cos(x); },
       [](double x) { return -std::sin(x); }},
      {"x*x*x - 2*x", -2, 2, [](double x) { return x * x * x - 2 * x; },
       [](double x) { return 3 * x * x - 2; }, [](double x) { return 6 * x; }},
      {"exp(-x*x)*cos(3*x)", -2, 2, [](double x) { return std::exp(-x * x) * std::cos(3 * x); },
       [](double x) { return std::exp(-x * x) * (-2 * x * std::cos(3 * x) - 3 * std::sin(3 * x)); },
       [](double x) {
         return std::exp(-x * x) * ((4 * x * x - 11) * std::cos(3 * x) + 12 * x * std::sin(3 * x));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.y);
    setFunctionData({{"y", c.y}});
    FunctionEvaluator evaluator(functionData, testEngine());
    const FunctionFit fit = fitFunction(evaluator, c.a, c.b);
    const std::vector<Feature> found = findFeatures(evaluator, fit);
    std::vector<Feature> expected;
    for (double x : signChangesOf(c.f, c.a, c.b)) expected.push_back({FeatureKind::Zero, x, 0});
    for (double x : signChangesOf(c.d1, c.a, c.b))
      expected.push_back({c.d2(x) < 0 ? FeatureKind::Maximum : FeatureKind::Minimum, x, 0});
    for (double x : signChangesOf(c.d2, c.a, c.b)) expected.push_back({FeatureKind::Inflection, x, 0});
    ASSERT_EQ(found.size(), expected.size());
    for (const Feature& e : expected) {
      const double tolerance = (e.kind == FeatureKind::Zero ? 1e-10 : 1e-7) * std::max(1.0, std::fabs(e.x));
      int matches = 0;
      for (const Feature& f : found)
        matches += f.kind == e.kind && std::fabs(f.x - e.x) <= tolerance;
      EXPECT_EQ(matches, 1) << featureName(e.kind) << " at " << e.x;
    }
    for (size_t i = 1; i < found.size(); ++i) EXPECT_LE(found[i - 1].x, found[i].x + 1e-9);
    for (const Feature& f : found)
      EXPECT_NEAR(f.f, f.kind == FeatureKind::Zero ? 0.0 : c.f(f.x), 1e-13) << featureName(f.kind);
  }
}

// Where f cannot be resolved, K says why; the finder keeps to the pieces.
TEST_F(Analysis, WhatCannotBeResolvedIsSaid) {
  struct Case {
    const char* what;
    Fn f;
    double a, b;
    int order;
    const char* why;  // empty: K known
  };
  const Case cases[] = {
      {"pole", [](double x) { return 1 / (x - 0.3); }, 0, 1, 1,
       "f could not be resolved near x = 0.30000 (a pole, a jump or a kink?)"},
      {"jump", [](double x) { return x > 0.5 ? 1.0 : -1.0; }, 0, 1, 1,
       "f could not be resolved near x = 0.50000 (a pole, a jump or a kink?)"},
      {"NaN", [](double x) { return std::sqrt(x); }, -1, 4, 2, "f is not a number at x = -0.37500"},
      {"infinite", [](double x) { return x == 0.5 ? INFINITY : x; }, 0, 1, 1,
       "f is infinite at x = 0.50000 (a pole?)"},
      {"kink at a piece's end", [](double x) { return std::fabs(x); }, -1, 1, 2,
       "f' jumps at x = 0.00000 (a kink)"},
      {"the kink's slope is fine", [](double x) { return std::fabs(x); }, -1, 1, 1, ""},
      {"no interval", [](double x) { return x; }, 2, 2, 1, "x1 = x2: no interval"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoggingEvaluator evaluator(c.f);
    const FunctionFit fit = fitFunction(evaluator, c.a, c.b);
    EXPECT_LE(fit.evaluations, kFitBudget);
    const DerivativeMax m = derivativeMax(fit, c.order, functionData);
    EXPECT_EQ(m.why, c.why);
    EXPECT_EQ(m.known, std::string(c.why).empty());
  }
  // 1/x meets x = 0 as a point of the fit, where the engine fails.
  setFunctionData({{"y", "1/x"}});
  FunctionEvaluator evaluator(functionData, testEngine());
  const FunctionFit fit = fitFunction(evaluator, -1, 1);
  EXPECT_EQ(derivativeMax(fit, 1, functionData).why,
            "f failed at x = 0.00000 (y: Divide by Zero at column 11)");
  EXPECT_TRUE(findFeatures(evaluator, fit).empty());
}

TEST_F(Analysis, ZerosWithoutASignChangeAndFlatFunctions) {
  LoggingEvaluator square([](double x) { return x * x; });
  const std::vector<Feature> touching = findFeatures(square, fitFunction(square, -1, 1));
  ASSERT_EQ(touching.size(), 2u);
  EXPECT_EQ(touching[0].kind, FeatureKind::Zero);
  EXPECT_EQ(touching[1].kind, FeatureKind::Minimum);
  EXPECT_NEAR(touching[1].x, 0.0, 1e-7);
  for (double value : {0.0, 3.0}) {
    LoggingEvaluator flat([value](double) { return value; });
    const FunctionFit fit = fitFunction(flat, -1, 4);
    EXPECT_TRUE(findFeatures(flat, fit).empty());
    EXPECT_EQ(derivativeMax(fit, 4, functionData).value, 0.0);
  }
}

}  // namespace
}  // namespace tavex::testing
