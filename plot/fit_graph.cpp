#include "plot/fit_graph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/records.h"

namespace tavex {

namespace {

constexpr double kMargin = 0.05;
// Widths below this share of the magnitude are rounding noise of one value.
constexpr double kNoiseWidth = 1e-12;
// Room for the rounding of low / step when low is itself a multiple.
constexpr double kSlack = 1e-9;
// Multiples beyond this lose their exactness in doubles.
constexpr double kExactMultiples = 4503599627370496.0;  // 2^52
constexpr int kMinSteps = 4;
constexpr int kMaxSteps = 10;
constexpr int kRoomySteps = 8;

// k * m * 10^e, divided rather than multiplied for negative e, so that
// 3 * 1 * 10^-1 gives the double nearest 0.3.
double multiple(double k, int m, int e) {
  return e >= 0 ? k * m * std::pow(10.0, e) : k * m / std::pow(10.0, -e);
}

// Tells the pass's monitor of the evaluations; it may end them by throwing.
class SampleMonitor : public EvaluationMonitor {
 public:
  SampleMonitor(PassMonitor* monitor, long long expected) : monitor_(monitor), expected_(expected) {}
  void beforeEvaluation(std::int64_t made) override { monitor_->progress(made, expected_); }

 private:
  PassMonitor* monitor_;
  long long expected_;
};

std::string compose(const DataEntry& entry, const std::string& value) {
  return std::string(entry.name) + " = " + value;
}

}  // namespace

AxisFit fitAxis(double a, double b, bool zeroWhenNear) {
  AxisFit fit;
  if (!std::isfinite(a) || !std::isfinite(b)) return fit;
  double lo = std::min(a, b);
  double hi = std::max(a, b);
  if (hi - lo <= std::max(std::fabs(lo), std::fabs(hi)) * kNoiseWidth) {
    const double mid = lo + (hi - lo) / 2;
    const double pad = mid != 0 ? std::fabs(mid) / 2 : 1;
    lo = mid - pad;
    hi = mid + pad;
  }
  const double width = hi - lo;
  if (!std::isfinite(width) || width <= 0) return fit;
  double low = lo - width * kMargin;
  double high = hi + width * kMargin;
  if (zeroWhenNear) {
    if (lo >= 0 && lo <= width) low = 0;
    if (hi <= 0 && -hi <= width) high = 0;
  }
  if (!std::isfinite(low) || !std::isfinite(high)) return fit;

  // The round steps from one that surely gives fewer than 4 intervals down to
  // one that surely gives more than 10. Of those giving 4 to 10, the one with
  // the narrowest window (the larger step on a tie), first among those giving
  // at most 8, so that the labels keep their room.
  const int top = static_cast<int>(std::floor(std::log10((high - low) / kMinSteps))) + 1;
  double bestK0 = 0;
  double bestK1 = 0;
  int bestM = 0;
  int bestE = 0;
  bool bestCrowded = true;
  double bestWidth = 0;
  for (int e = top; e >= top - 2; --e) {
    for (int m : {5, 2, 1}) {
      const double step = multiple(1, m, e);
      if (!(step > 0) || !std::isfinite(step)) continue;
      const double k0 = std::floor(low / step + kSlack);
      const double k1 = std::ceil(high / step - kSlack);
      const double count = k1 - k0;
      if (count < kMinSteps || count > kMaxSteps) continue;
      const bool crowded = count > kRoomySteps;
      const double windowWidth = count * step;
      if (bestM != 0 && (crowded > bestCrowded ||
                         (crowded == bestCrowded && windowWidth >= bestWidth)))
        continue;
      bestK0 = k0;
      bestK1 = k1;
      bestM = m;
      bestE = e;
      bestCrowded = crowded;
      bestWidth = windowWidth;
    }
  }
  if (bestM == 0 || std::fabs(bestK0) > kExactMultiples || std::fabs(bestK1) > kExactMultiples)
    return fit;
  fit.low = multiple(bestK0, bestM, bestE);
  fit.high = multiple(bestK1, bestM, bestE);
  if (!std::isfinite(fit.low) || !std::isfinite(fit.high) || fit.low > lo || fit.high < hi)
    return fit;
  if (fit.low == 0) fit.low = 0;  // no negative zero
  if (fit.high == 0) fit.high = 0;
  fit.step = multiple(1, bestM, bestE);
  fit.steps = static_cast<int>(bestK1 - bestK0);
  fit.fitted = true;
  return fit;
}

FiniteRange finiteRange(const double* values, long long count) {
  FiniteRange range;
  for (long long i = 0; i < count; ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) continue;
    if (range.finite == 0 || v < range.low) range.low = v;
    if (range.finite == 0 || v > range.high) range.high = v;
    ++range.finite;
  }
  return range;
}

std::string entryNumber(double value) {
  if (value == 0) value = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

GraphFit fitGraph(const PlotContext& context, PassResult& pass) {
  const PassRecords records(context);
  const auto& function = records.function;
  const auto& graph = records.graph;
  pass = PassResult{};
  pass.ran = true;
  pass.probeEnabled = context.probeEnabled;

  GraphFit fit;
  const FunctionInterval interval = intervalOf(function);
  fit.x = fitAxis(interval.x1, interval.x2, false);
  if (!fit.x.fitted) {
    fit.failure = "x1 = " + entryNumber(interval.x1) + " and x2 = " + entryNumber(interval.x2) +
                  " give no window";
    return fit;
  }

  const int points = readInteger(graph[kGdPoints].value);
  const int segments = points >= 1 ? curveSegments(points) : kFitFallbackSegments;
  const long long count = static_cast<long long>(segments) + 1;
  pass.evaluationsExpected = count;
  std::vector<double> xs(static_cast<size_t>(count));
  std::vector<double> fs(static_cast<size_t>(count));
  const double h = (fit.x.high - fit.x.low) / segments;
  for (long long i = 0; i < count; ++i) xs[static_cast<size_t>(i)] = fit.x.low + static_cast<double>(i) * h;

  FunctionEvaluator evaluator(function, context.engine);
  SampleMonitor monitor(context.monitor, count);
  if (context.monitor != nullptr) evaluator.setMonitor(&monitor);
  constexpr int kBlock = 64;
  try {
    for (long long i = 0; i < count; i += kBlock)
      evaluator.evaluateMany(xs.data() + i, fs.data() + i, static_cast<int>(std::min<long long>(kBlock, count - i)));
  } catch (const PassCancelled&) {
    pass.cancelled = true;
    pass.cancelledAt = "the fit, point " + std::to_string(evaluator.evaluationCount() + 1) +
                       " of " + std::to_string(count);
  }
  pass.report.evaluations = evaluator.evaluationCount();
  pass.report.failures = evaluator.failureCount();
  pass.report.firstFailure = evaluator.firstFailure();
  if (pass.cancelled) {
    fit.failure = "cancelled";
    return fit;
  }

  const FiniteRange range = finiteRange(fs.data(), count);
  if (range.finite == 0) {
    fit.failure = "f has no finite value between x = " + entryNumber(fit.x.low) + " and x = " +
                  entryNumber(fit.x.high);
    return fit;
  }
  fit.y = fitAxis(range.low, range.high, true);
  if (!fit.y.fitted) {
    fit.failure = "the values of f (" + entryNumber(range.low) + " to " + entryNumber(range.high) +
                  ") give no window";
    return fit;
  }
  fit.lines = {
      {kGdX0, compose(graph[kGdX0], entryNumber(fit.x.low))},
      {kGdX1, compose(graph[kGdX1], entryNumber(fit.x.high))},
      {kGdY0, compose(graph[kGdY0], entryNumber(fit.y.low))},
      {kGdY1, compose(graph[kGdY1], entryNumber(fit.y.high))},
      {kGdT1, compose(graph[kGdT1], std::to_string(fit.x.steps))},
      {kGdT2, compose(graph[kGdT2], std::to_string(fit.y.steps))},
  };
  return fit;
}

}  // namespace tavex
