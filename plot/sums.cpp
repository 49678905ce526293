#include "plot/sums.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

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

// Announces the abscissae of the next evaluations, in their order, so that
// the evaluator reads their digits together (FunctionEvaluator::expect):
// pointsOf(k, xs) writes the points of step k into xs and returns how many.
// The loops below compute the same points again, with the same arithmetic.
template <class PointsOf>
void announce(FunctionEvaluator& evaluator, std::int64_t first, std::int64_t last,
              PointsOf pointsOf) {
  double xs[FunctionEvaluator::kExpected];
  int count = 0;
  for (std::int64_t k = first; k <= last; ++k) count += pointsOf(k, xs + count);
  evaluator.expect(xs, count);
}

}  // namespace

double gaussLegendre10(FunctionEvaluator& evaluator, double a, double b, int panels) {
  if (panels < 1) return 0.0;
  const double w = (b - a) / panels;
  const double d = w * kHalf;
  double sum = 0.0;
  for (int i = 1; i <= panels; ++i) {
    const double m = (i * w + a) - d;
    const double m2 = m + m;
    announce(evaluator, 0, 4, [d, m, m2](std::int64_t j, double* xs) {
      xs[0] = d * kNodes[j] + m;
      xs[1] = m2 - xs[0];
      return 2;
    });
    for (int j = 0; j < 5; ++j) {
      const double u = d * kNodes[j] + m;
      sum = evaluator.evaluate(u) * d * kWeights[j] + sum;
      const double v = m2 - u;
      sum = evaluator.evaluate(v) * d * kWeights[j] + sum;
    }
  }
  return sum;
}

double simpsonSum(FunctionEvaluator& evaluator, const FunctionInterval& interval) {
  const double h = interval.h;
  double s = evaluator.evaluate(interval.x1);
  s = evaluator.evaluate(interval.x2) + s;
  const std::int64_t pairs = interval.n / 2 - 1;
  constexpr std::int64_t kBlock = FunctionEvaluator::kExpected / 2;
  for (std::int64_t j = 1; j <= pairs; ++j) {
    if ((j - 1) % kBlock == 0)
      announce(evaluator, j, std::min(j + kBlock - 1, pairs), [&](std::int64_t k, double* xs) {
        xs[0] = gridPoint(2 * k - 1, interval);
        xs[1] = xs[0] + h;
        return 2;
      });
    const double xk = gridPoint(2 * j - 1, interval);
    s = 4.0 * evaluator.evaluate(xk) + s;
    s = 2.0 * evaluator.evaluate(xk + h) + s;
  }
  s = 4.0 * evaluator.evaluate(interval.x2 - h) + s;
  return (h * kThird) * s;
}

MidpointTrapezoid midpointTrapezoidSums(FunctionEvaluator& evaluator,
                                        const FunctionInterval& interval) {
  const double h = interval.h;
  MidpointTrapezoid r;
  constexpr std::int64_t kBlock = FunctionEvaluator::kExpected / 3;
  for (std::int64_t i = 0; i < interval.n; ++i) {
    if (i % kBlock == 0)
      announce(evaluator, i, std::min<std::int64_t>(i + kBlock, interval.n) - 1, [&](std::int64_t k, double* xs) {
        const double xk = gridPoint(k, interval);
        xs[0] = h * kHalf + xk;
        xs[1] = xk + h;
        xs[2] = xk;
        return 3;
      });
    const double xi = gridPoint(i, interval);
    r.SumM = evaluator.evaluate(h * kHalf + xi) * h + r.SumM;
    const double right = evaluator.evaluate(xi + h);
    r.SumT = ((evaluator.evaluate(xi) + right) * h) * kHalf + r.SumT;
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
  constexpr std::int64_t kBlock = FunctionEvaluator::kExpected;
  for (std::int64_t i = 1; i <= interval.n; ++i) {
    if ((i - 1) % kBlock == 0)
      announce(evaluator, i, std::min<std::int64_t>(i + kBlock - 1, interval.n), [&](std::int64_t k, double* xs) {
        xs[0] = gridPoint(k, interval);
        return 1;
      });
    const double x = gridPoint(i, interval);
    const double fx = evaluator.evaluate(x);
    if (drawing) drawing->step(p, fp, x, fx);
    if (fx > fp) {
      r.SumU = fx * h + r.SumU;
      r.SumL = fp * h + r.SumL;
    } else {  // also when either value is NaN
      r.SumU = fp * h + r.SumU;
      r.SumL = fx * h + r.SumL;
    }
    p = x;
    fp = fx;
  }
  return r;
}

RiemannSums computeSums(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                        StepDrawing* drawing) {
  RiemannSums sums;
  if (!sumsWanted(interval)) return sums;
  sums.simpsonShown = simpsonShown(interval);
  sums.Exact = gaussLegendre10(evaluator, interval.x1, interval.x2, kExactPanels);
  if (sums.simpsonShown) sums.SumS = simpsonSum(evaluator, interval);
  const MidpointTrapezoid mt = midpointTrapezoidSums(evaluator, interval);
  sums.SumM = mt.SumM;
  sums.SumT = mt.SumT;
  const UpperLower ul = rectangleWalk(evaluator, interval, drawing);
  sums.SumU = ul.SumU;
  sums.SumL = ul.SumL;
  return sums;
}

ReadoutLines sumReadouts(const RiemannSums& sums) {
  ReadoutLines out;
  auto add = [&out](const char* label, double value) {
    char* line = out.lines[out.count++];
    // A fixed text longer than the line (magnitudes from about 1e60) would be
    // cut into a wrong-looking number; the exponent form always fits.
    int n = std::snprintf(line, ReadoutLines::kLineSize, "%s = %.10f", label, value);
    if (n < 0 || n >= ReadoutLines::kLineSize)
      std::snprintf(line, ReadoutLines::kLineSize, "%s = %.10e", label, value);
  };
  add("SumU ", sums.SumU);
  add("SumL ", sums.SumL);
  add("SumT ", sums.SumT);
  add("SumM ", sums.SumM);
  if (sums.simpsonShown) add("SumS ", sums.SumS);
  add("Exact", sums.Exact);
  return out;
}

}  // namespace tavex
