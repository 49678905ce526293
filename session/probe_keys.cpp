// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/probe_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "session/pass_runner.h"

namespace tavex {

namespace {

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Tells the pass's monitor of the search's evaluations; it may end them by
// throwing. The count to expect is not known before: a fit of a smooth f
// takes a few hundred.
class SearchMonitor : public EvaluationMonitor {
 public:
  explicit SearchMonitor(PassMonitor* monitor) : monitor_(monitor) {}
  void beforeEvaluation(std::int64_t made) override {
    expected_ = std::max(expected_, static_cast<long long>(made) * 2 + 1024);
    monitor_->progress(made, expected_);
  }

 private:
  PassMonitor* monitor_;
  long long expected_ = 0;
};

bool sameKind(FeatureKind wanted, FeatureKind kind) {
  const bool extremum = kind == FeatureKind::Maximum || kind == FeatureKind::Minimum;
  return wanted == FeatureKind::Maximum || wanted == FeatureKind::Minimum ? extremum
                                                                          : kind == wanted;
}

const char* kindWord(FeatureKind kind) {
  switch (kind) {
    case FeatureKind::Zero: return "zero";
    case FeatureKind::Maximum: return "maximum";
    case FeatureKind::Minimum: return "minimum";
    case FeatureKind::Inflection: return "inflection point";
  }
  return "";
}

const char* soughtWord(FeatureKind kind) {
  return kind == FeatureKind::Maximum || kind == FeatureKind::Minimum ? "extremum" : kindWord(kind);
}

// "zero at x = 3.1415926536, f = 1.2e-16": a zero to its 1e-10, the others
// to the 1e-7 they are found to.
std::string pointText(const Feature& f) {
  if (f.kind == FeatureKind::Zero)
    return std::string("zero at x = ") + formatted("%.10f", f.x) +
           ", f = " + formatted("%.2g", f.f);
  return std::string(kindWord(f.kind)) + " at x = " + formatted("%.7f", f.x) +
         ", f = " + formatted("%.10f", f.f);
}

// The features of f over the frame's x range, as one pass.
struct Search {
  FunctionFit fit;
  std::vector<Feature> features;
  bool cancelled = false;
};
Search searchWindow(const PlotContext& context, const GraphFrame& frame, ProgressView* view) {
  Search search;
  const PassResult pass = runMonitored(context, view, [&](const PlotContext& c) {
    PassResult result;
    result.ran = true;
    const PassRecords records(c);
    FunctionEvaluator evaluator(records.function, c.engine);
    SearchMonitor monitor(c.monitor);
    if (c.monitor != nullptr) evaluator.setMonitor(&monitor);
    try {
      search.fit = fitFunction(evaluator, frame.x0, frame.x1);
      search.features = findFeatures(evaluator, search.fit);
    } catch (const PassCancelled&) {
      result.cancelled = true;
    }
    return result;
  });
  search.cancelled = pass.cancelled;
  return search;
}

// The first gap between x and to, as a clause for the status line.
std::string gapBetween(const FunctionFit& fit, double x, double to, const DataEntry* record) {
  const double lo = std::min(x, to), hi = std::max(x, to);
  for (const FitGap& gap : fit.gaps)
    if (gap.b > lo && gap.a < hi) return "; " + gapText(gap, fit, record);
  return {};
}

}  // namespace

double probeShifted(const GraphFrame& frame, double x, int units) {
  const int from = std::clamp(frame.mapX(x), frame.frameLeft, frame.frameRight);
  const int to = std::clamp(from + units, frame.frameLeft, frame.frameRight);
  return frame.unmapX(to, kClamp);
}

ProbeFind findFromProbe(const PlotContext& context, const GraphFrame& frame, double x,
                        FeatureKind kind, int direction, ProgressView* view) {
  ProbeFind find;
  const Search search = searchWindow(context, frame, view);
  if (search.cancelled) {
    find.cancelled = true;
    find.status = "search cancelled";
    return find;
  }
  const double near = 1e-9 * std::fabs(frame.x1 - frame.x0);
  std::optional<Feature> on, next;
  for (const Feature& f : search.features) {
    if (!sameKind(kind, f.kind)) continue;
    if (std::fabs(f.x - x) <= near)
      on = f;
    else if (direction > 0 && f.x > x && !next)
      next = f;
    else if (direction < 0 && f.x < x)
      next = f;  // the last one left of x
  }
  const double edge = direction > 0 ? std::max(frame.x0, frame.x1) : std::min(frame.x0, frame.x1);
  const std::string sought = soughtWord(kind);
  const std::string already =
      on ? (sought == "zero" ? "on a " : "on an ") + sought + " already; " : "";
  const DataEntry* record = context.functionRecord.data();
  if (next) {
    find.found = true;
    find.x = next->x;
    find.status = already + (on ? "next " : "") + pointText(*next) +
                  gapBetween(search.fit, x, next->x, record);
    return find;
  }
  if (search.fit.complete() && search.fit.vscale == 0.0) {
    find.status = "f is 0 all over the window";
    return find;
  }
  find.status = already + "no " + soughtWord(kind) +
                (direction > 0 ? " to the right" : " to the left") +
                " of x = " + formatted("%.10g", x) + (direction > 0 ? " up to" : " down to") +
                " the window's edge at x = " + formatted("%.10g", edge) +
                gapBetween(search.fit, x, edge, record);
  return find;
}

}  // namespace tavex
