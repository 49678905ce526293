// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

// The range [lo, hi] of a and b (a range of one value widened) and the
// window [low, high] with its margins; false where there is none.
struct PaddedRange {
  double lo = 0, hi = 0, low = 0, high = 0;
};
bool padRange(double a, double b, bool zeroWhenNear, PaddedRange& r) {
  if (!std::isfinite(a) || !std::isfinite(b)) return false;
  r.lo = std::min(a, b);
  r.hi = std::max(a, b);
  if (r.hi - r.lo <= std::max(std::fabs(r.lo), std::fabs(r.hi)) * kNoiseWidth) {
    const double mid = r.lo + (r.hi - r.lo) / 2;
    const double pad = mid != 0 ? std::fabs(mid) / 2 : 1;
    r.lo = mid - pad;
    r.hi = mid + pad;
  }
  const double width = r.hi - r.lo;
  if (!std::isfinite(width) || width <= 0) return false;
  r.low = r.lo - width * kMargin;
  r.high = r.hi + width * kMargin;
  if (zeroWhenNear) {
    if (r.lo >= 0 && r.lo <= width) r.low = 0;
    if (r.hi <= 0 && -r.hi <= width) r.high = 0;
  }
  return std::isfinite(r.low) && std::isfinite(r.high);
}

// A window of round steps: from k0 * m * 10^e to k1 * m * 10^e; m is 0
// where none was found.
struct RoundWindow {
  double k0 = 0, k1 = 0;
  int m = 0, e = 0;
};

// The round steps from one that surely gives fewer than 4 intervals down to
// one that surely gives more than 10. Of those giving 4 to 10, the one with
// the narrowest window (the larger step on a tie), first among those giving
// at most 8, so that the labels keep their room.
RoundWindow roundWindow(double low, double high) {
  const int top = static_cast<int>(std::floor(std::log10((high - low) / kMinSteps))) + 1;
  RoundWindow best;
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
      if (best.m != 0 && (crowded > bestCrowded ||
                          (crowded == bestCrowded && windowWidth >= bestWidth)))
        continue;
      best = RoundWindow{k0, k1, m, e};
      bestCrowded = crowded;
      bestWidth = windowWidth;
    }
  }
  return best;
}

}  // namespace

AxisFit fitAxis(double a, double b, bool zeroWhenNear) {
  AxisFit fit;
  PaddedRange range;
  if (!padRange(a, b, zeroWhenNear, range)) return fit;
  const RoundWindow best = roundWindow(range.low, range.high);
  if (best.m == 0 || std::fabs(best.k0) > kExactMultiples || std::fabs(best.k1) > kExactMultiples)
    return fit;
  fit.low = multiple(best.k0, best.m, best.e);
  fit.high = multiple(best.k1, best.m, best.e);
  if (!std::isfinite(fit.low) || !std::isfinite(fit.high) || fit.low > range.lo ||
      fit.high < range.hi)
    return fit;
  if (fit.low == 0) fit.low = 0;  // no negative zero
  if (fit.high == 0) fit.high = 0;
  fit.step = multiple(1, best.m, best.e);
  fit.steps = static_cast<int>(best.k1 - best.k0);
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

namespace {

// f at the count points of the curve across the x window, into fs; what the
// evaluations came to goes into pass. False when the monitor cancelled them.
bool sampleCurve(const PlotContext& context, const DataEntry (&function)[kFunctionDataEntries],
                 const AxisFit& x, int segments, std::vector<double>& fs, PassResult& pass) {
  const long long count = static_cast<long long>(segments) + 1;
  pass.evaluationsExpected = count;
  std::vector<double> xs(static_cast<size_t>(count));
  fs.assign(static_cast<size_t>(count), 0.0);
  const double h = (x.high - x.low) / segments;
  for (long long i = 0; i < count; ++i) xs[static_cast<size_t>(i)] = x.low + static_cast<double>(i) * h;

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
  return !pass.cancelled;
}

// The new lines of the graph data entries the fit sets.
std::vector<std::pair<int, std::string>> fitLines(const DataEntry* graph, const GraphFit& fit) {
  return {
      {kGdX0, compose(graph[kGdX0], entryNumber(fit.x.low))},
      {kGdX1, compose(graph[kGdX1], entryNumber(fit.x.high))},
      {kGdY0, compose(graph[kGdY0], entryNumber(fit.y.low))},
      {kGdY1, compose(graph[kGdY1], entryNumber(fit.y.high))},
      {kGdT1, compose(graph[kGdT1], std::to_string(fit.x.steps))},
      {kGdT2, compose(graph[kGdT2], std::to_string(fit.y.steps))},
  };
}

}  // namespace

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
  std::vector<double> fs;
  if (!sampleCurve(context, function, fit.x, segments, fs, pass)) {
    fit.failure = "cancelled";
    return fit;
  }

  const FiniteRange range = finiteRange(fs.data(), static_cast<long long>(fs.size()));
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
  fit.lines = fitLines(graph, fit);
  return fit;
}

}  // namespace tavex
