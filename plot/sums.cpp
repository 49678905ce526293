// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/sums.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tavex {

namespace {

constexpr double kNodes[5] = {0.148874338981631, 0.433395394129247, 0.679409568299024,
                              0.865063366688985, 0.973906528517172};
constexpr double kWeights[5] = {0.295524224714753, 0.269266719309996, 0.219086362515982,
                                0.149451349150581, 0.066671344308688};
constexpr double kHalf = 0.5;
constexpr double kThird = 0.3333333333333333;

// Grid point i, computed from i alone.
inline double gridPoint(std::int64_t i, const FunctionInterval& interval) {
  return static_cast<double>(i) * interval.h + interval.x1;
}

// Evaluations go in blocks of up to this many points, through one call of
// evaluateMany each: the same evaluations in the same order as one by one.
constexpr int kBlockPoints = 64;

// The values of f at the points of steps first to last, step after step:
// pointsOf(k, xs) writes step k's points, in the order of their evaluations,
// and returns how many. The loops below take the values in that order and
// compute the points again, with the same arithmetic, where they need them.
template <class PointsOf>
void evaluateSteps(FunctionEvaluator& evaluator, std::int64_t first, std::int64_t last,
                   PointsOf pointsOf, double* fs) {
  double xs[kBlockPoints];
  int count = 0;
  for (std::int64_t k = first; k <= last; ++k) count += pointsOf(k, xs + count);
  evaluator.evaluateMany(xs, fs, count);
}

// The walk's steps as the rectangles of the left or the right sum.
class SideRectangles : public StepDrawing {
 public:
  SideRectangles(ShapeDrawing* shapes, bool left) : shapes_(shapes), left_(left) {}
  void start(double, double) override {}
  void step(double p, double fp, double x, double fx) override {
    const double height = left_ ? fp : fx;
    shapes_->trapezoid(p, height, x, height);
  }

 private:
  ShapeDrawing* shapes_;
  bool left_;
};

constexpr const char* kRuleNames[kSumRules] = {"Upper and Lower", "Left",      "Right",
                                               "Midpoint",        "Trapezoid", "Simpson"};
constexpr const char* kRuleKeywords[kSumRules] = {"upperlower", "left",      "right",
                                                  "midpoint",   "trapezoid", "simpson"};

}  // namespace

const char* ruleName(SumRule rule) { return kRuleNames[static_cast<int>(rule)]; }

const char* ruleKeyword(SumRule rule) { return kRuleKeywords[static_cast<int>(rule)]; }

bool ruleFromKeyword(const char* keyword, SumRule& rule) {
  for (int i = 0; i < kSumRules; ++i) {
    if (std::strcmp(keyword, kRuleKeywords[i]) != 0) continue;
    rule = static_cast<SumRule>(i);
    return true;
  }
  return false;
}

double gaussLegendre10(FunctionEvaluator& evaluator, double a, double b, int panels) {
  if (panels < 1) return 0.0;
  const double w = (b - a) / panels;
  const double d = w * kHalf;
  double sum = 0.0;
  for (int i = 1; i <= panels; ++i) {
    const double m = (i * w + a) - d;
    const double m2 = m + m;
    double f[10];  // right point of each pair first
    evaluateSteps(evaluator, 0, 4, [d, m, m2](std::int64_t j, double* xs) {
      xs[0] = d * kNodes[j] + m;
      xs[1] = m2 - xs[0];
      return 2;
    }, f);
    for (int j = 0; j < 5; ++j) {
      sum = f[2 * j] * d * kWeights[j] + sum;
      sum = f[2 * j + 1] * d * kWeights[j] + sum;
    }
  }
  return sum;
}

double simpsonSum(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                  ShapeDrawing* shapes) {
  const double h = interval.h;
  const double first = evaluator.evaluate(interval.x1);
  double s = first;
  const double last = evaluator.evaluate(interval.x2);
  s = last + s;
  // The even point before the next pair of steps, for its parabola.
  double px = interval.x1, pf = first;
  const std::int64_t pairs = interval.n / 2 - 1;
  constexpr std::int64_t kBlock = kBlockPoints / 2;
  double f[kBlockPoints];
  for (std::int64_t j0 = 1; j0 <= pairs; j0 += kBlock) {
    const std::int64_t j1 = std::min(j0 + kBlock - 1, pairs);
    evaluateSteps(evaluator, j0, j1, [&](std::int64_t j, double* xs) {
      xs[0] = gridPoint(2 * j - 1, interval);  // odd point x_k
      xs[1] = xs[0] + h;                       // even point x_k + h
      return 2;
    }, f);
    for (std::int64_t j = j0; j <= j1; ++j) {
      const double odd = f[2 * (j - j0)], even = f[2 * (j - j0) + 1];
      s = 4.0 * odd + s;
      s = 2.0 * even + s;
      if (shapes == nullptr) continue;
      const double xOdd = gridPoint(2 * j - 1, interval);
      shapes->parabola(px, pf, xOdd, odd, xOdd + h, even);
      px = xOdd + h;
      pf = even;
    }
  }
  const double beforeLast = evaluator.evaluate(interval.x2 - h);
  s = 4.0 * beforeLast + s;
  if (shapes != nullptr) shapes->parabola(px, pf, interval.x2 - h, beforeLast, interval.x2, last);
  return (h * kThird) * s;
}

MidpointTrapezoid midpointTrapezoidSums(FunctionEvaluator& evaluator,
                                        const FunctionInterval& interval, SumRule rule,
                                        ShapeDrawing* shapes) {
  if (rule != SumRule::Midpoint && rule != SumRule::Trapezoid) shapes = nullptr;
  const double h = interval.h;
  const std::int64_t n = interval.n;
  MidpointTrapezoid r;
  constexpr std::int64_t kBlock = kBlockPoints / 3;
  double f[kBlockPoints];
  for (std::int64_t i0 = 0; i0 < n; i0 += kBlock) {
    const std::int64_t i1 = std::min(i0 + kBlock, n) - 1;
    evaluateSteps(evaluator, i0, i1, [&](std::int64_t i, double* xs) {
      const double xi = gridPoint(i, interval);
      xs[0] = h * kHalf + xi;  // midpoint, right end, left end
      xs[1] = xi + h;
      xs[2] = xi;
      return 3;
    }, f);
    for (std::int64_t i = i0; i <= i1; ++i) {
      const double* v = f + 3 * (i - i0);
      r.SumM = v[0] * h + r.SumM;
      r.SumT = ((v[2] + v[1]) * h) * kHalf + r.SumT;
      if (shapes == nullptr) continue;
      const double xi = gridPoint(i, interval);
      if (rule == SumRule::Midpoint) shapes->trapezoid(xi, v[0], xi + h, v[0]);
      else shapes->trapezoid(xi, v[2], xi + h, v[1]);
    }
  }
  return r;
}

UpperLower rectangleWalk(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                         StepDrawing* drawing) {
  const double h = interval.h;
  UpperLower r;
  double p = interval.x1;
  double fp = evaluator.evaluate(p);
  if (drawing) drawing->start(p, fp);
  double f[kBlockPoints];
  for (std::int64_t i0 = 1; i0 <= interval.n; i0 += kBlockPoints) {
    const std::int64_t i1 = std::min<std::int64_t>(i0 + kBlockPoints - 1, interval.n);
    evaluateSteps(evaluator, i0, i1, [&](std::int64_t i, double* xs) {
      xs[0] = gridPoint(i, interval);
      return 1;
    }, f);
    for (std::int64_t i = i0; i <= i1; ++i) {
      const double x = gridPoint(i, interval);
      const double fx = f[i - i0];
      if (drawing) drawing->step(p, fp, x, fx);
      if (fx > fp) {
        r.SumU = fx * h + r.SumU;
        r.SumL = fp * h + r.SumL;
      } else {  // also when either value is NaN
        r.SumU = fp * h + r.SumU;
        r.SumL = fx * h + r.SumL;
      }
      r.SumLeft = fp * h + r.SumLeft;
      r.SumRight = fx * h + r.SumRight;
      p = x;
      fp = fx;
    }
  }
  return r;
}

RiemannSums computeSums(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                        StepDrawing* drawing, SumRule rule, ShapeDrawing* shapes) {
  RiemannSums sums;
  if (!sumsWanted(interval)) return sums;
  if (rule == SumRule::UpperLower) shapes = nullptr;
  else drawing = nullptr;
  SideRectangles sides(shapes, rule == SumRule::Left);
  if (shapes != nullptr && (rule == SumRule::Left || rule == SumRule::Right)) drawing = &sides;
  sums.simpsonShown = simpsonShown(interval);
  sums.Exact = gaussLegendre10(evaluator, interval.x1, interval.x2, kExactPanels);
  if (sums.simpsonShown)
    sums.SumS = simpsonSum(evaluator, interval, rule == SumRule::Simpson ? shapes : nullptr);
  const MidpointTrapezoid mt = midpointTrapezoidSums(evaluator, interval, rule, shapes);
  sums.SumM = mt.SumM;
  sums.SumT = mt.SumT;
  const UpperLower ul = rectangleWalk(evaluator, interval, drawing);
  sums.SumU = ul.SumU;
  sums.SumL = ul.SumL;
  sums.SumLeft = ul.SumLeft;
  sums.SumRight = ul.SumRight;
  return sums;
}

namespace {

void addReadout(ReadoutLines& out, const char* label, double value) {
  char* line = out.lines[out.count++];
  // A fixed text longer than the line (magnitudes from about 1e60) would be
  // cut into a wrong-looking number; the exponent form always fits.
  int n = std::snprintf(line, ReadoutLines::kLineSize, "%s = %.10f", label, value);
  if (n < 0 || n >= ReadoutLines::kLineSize)
    std::snprintf(line, ReadoutLines::kLineSize, "%s = %.10e", label, value);
}

}  // namespace

ReadoutLines sumReadouts(const RiemannSums& sums) {
  ReadoutLines out;
  addReadout(out, "SumU ", sums.SumU);
  addReadout(out, "SumL ", sums.SumL);
  addReadout(out, "SumT ", sums.SumT);
  addReadout(out, "SumM ", sums.SumM);
  if (sums.simpsonShown) addReadout(out, "SumS ", sums.SumS);
  addReadout(out, "Exact", sums.Exact);
  return out;
}

ReadoutLines sideReadouts(const RiemannSums& sums) {
  ReadoutLines out;
  addReadout(out, "SumLeft ", sums.SumLeft);
  addReadout(out, "SumRight", sums.SumRight);
  return out;
}

}  // namespace tavex
