// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/tolerance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tavex {

namespace {

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The power of n in the rule's bound.
int stepPower(BoundRule rule) { return boundOrder(rule); }

// x to 12 significant digits.
double significant12(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.11e", x);
  return std::strtod(text, nullptr);
}

}  // namespace

const char* boundRuleName(BoundRule rule) {
  switch (rule) {
    case BoundRule::Left: return "SumLeft";
    case BoundRule::Right: return "SumRight";
    case BoundRule::Trapezoid: return "SumT";
    case BoundRule::Midpoint: return "SumM";
    case BoundRule::Simpson: return "SumS";
  }
  return "";
}

int boundOrder(BoundRule rule) {
  switch (rule) {
    case BoundRule::Left:
    case BoundRule::Right: return 1;
    case BoundRule::Trapezoid:
    case BoundRule::Midpoint: return 2;
    case BoundRule::Simpson: return 4;
  }
  return 1;
}

double ruleSum(BoundRule rule, const RiemannSums& sums) {
  switch (rule) {
    case BoundRule::Left: return sums.SumLeft;
    case BoundRule::Right: return sums.SumRight;
    case BoundRule::Trapezoid: return sums.SumT;
    case BoundRule::Midpoint: return sums.SumM;
    case BoundRule::Simpson: return sums.SumS;
  }
  return 0.0;
}

double ruleBound(BoundRule rule, double width, double K, double n) {
  const double w = width;
  switch (rule) {
    case BoundRule::Left:
    case BoundRule::Right: return w * w * K / (2 * n);
    case BoundRule::Trapezoid: return w * w * w * K / (12 * n * n);
    case BoundRule::Midpoint: return w * w * w * K / (24 * n * n);
    case BoundRule::Simpson: return w * w * w * w * w * K / (180 * n * n * n * n);
  }
  return 0.0;
}

StepCount boundSteps(BoundRule rule, double width, double K, double tolerance) {
  const bool simpson = rule == BoundRule::Simpson;
  const long long step = simpson ? 2 : 1;
  const double k = significant12(K);
  // The n at which the bound meets the tolerance, then the whole n about it.
  const double estimate =
      std::pow(ruleBound(rule, width, k, 1.0) / tolerance, 1.0 / stepPower(rule));
  if (!(estimate <= static_cast<double>(kMaxBoundSteps)))
    return {false, 0, "above " + std::to_string(kMaxBoundSteps)};
  long long n = std::max<long long>(step, static_cast<long long>(std::ceil(estimate)));
  if (simpson && n % 2 != 0) ++n;
  auto bound = [&](long long m) { return ruleBound(rule, width, k, static_cast<double>(m)); };
  while (n - step >= step && bound(n - step) <= tolerance) n -= step;
  while (bound(n) > tolerance) n += step;
  if (n > kMaxBoundSteps) return {false, 0, "above " + std::to_string(kMaxBoundSteps)};
  return {true, n, {}};
}

std::string toleranceProblem(double tolerance) {
  if (std::isnan(tolerance)) return "is not a number";
  if (tolerance <= 0) return "must be above 0";
  if (std::isinf(tolerance)) return "is infinite";
  return {};
}

ToleranceStudy::ToleranceStudy(const DataEntry* functionRecord, const DataEntry* graphRecord,
                               double tolerance)
    : tolerance_(tolerance) {
  std::copy_n(functionRecord, kFunctionDataEntries, function_);
  data_ = intervalOf(function_);
  curve_ = curveSpanOf(graphRecord);
  for (int i = 0; i < kBoundRules; ++i) rules_[i].rule = kAllBoundRules[i];
}

void ToleranceStudy::beforeEvaluation(std::int64_t made) {
  expected_ = std::max(expected_, madeBefore_ + made + 1);
  if (monitor_ != nullptr) monitor_->progress(madeBefore_ + made, expected_);
}

void ToleranceStudy::run(ExpressionEngine& engine, PassMonitor* monitor) {
  monitor_ = monitor;
  const double x1 = data_.x1, x2 = data_.x2;
  expected_ = kReferenceStartPanels * 15LL + 65;
  try {
    for (int part = 0; part < 2; ++part) {
      FunctionEvaluator evaluator(function_, engine);
      evaluator.setMonitor(this);
      if (part == 0)
        reference_ = referenceIntegral(evaluator, x1, x2);
      else
        fit_ = fitFunction(evaluator, x1, x2);
      madeBefore_ += evaluator.evaluationCount();
      failed_ = failed_ || evaluator.failureCount() > 0;
    }
    for (RuleTolerance& r : rules_) {
      r.K = derivativeMax(fit_, boundOrder(r.rule), function_);
      r.byBound = r.K.known ? boundSteps(r.rule, std::fabs(x2 - x1), r.K.value, tolerance_)
                            : StepCount{false, 0, "-"};
    }
    if (!reference_.hasValue())
      refusal_ = referenceStatement(reference_, function_);
    else if (tolerance_ <= errorFloor(reference_))
      refusal_ = "tolerance " + formatted("%g", tolerance_) +
                 " is below what double precision can tell apart here (errors below about " +
                 formatted("%.1e", errorFloor(reference_)) + ")";
    if (refusal_.empty()) searchObserved(engine);
  } catch (const PassCancelled&) {
    cancelled_ = true;
  }
  for (RuleTolerance& r : rules_)
    if (!r.observed.found && r.observed.why.empty()) r.observed.why = "-";
  monitor_ = nullptr;
}

const RiemannSums& ToleranceStudy::sumsAt(ExpressionEngine& engine, std::int64_t n) {
  auto known = rows_.find(n);
  if (known != rows_.end()) return known->second;
  expected_ = madeBefore_ + rowEvaluations(n, curve_);
  FunctionEvaluator evaluator(function_, engine);
  evaluator.setMonitor(this);
  const ConvergenceRow row = convergenceRow(evaluator, data_, static_cast<std::int32_t>(n), curve_);
  madeBefore_ += evaluator.evaluationCount();
  failed_ = failed_ || row.failures > 0;
  return rows_.emplace(n, row.sums).first->second;
}

bool ToleranceStudy::within(BoundRule rule, const RiemannSums& sums) const {
  if (rule == BoundRule::Simpson && !sums.simpsonShown) return false;
  return std::fabs(ruleSum(rule, sums) - reference_.value) <= tolerance_;
}

void ToleranceStudy::searchObserved(ExpressionEngine& engine) {
  std::array<std::int64_t, kBoundRules> above{};  // the last n above the tolerance, 0: none
  std::array<bool, kBoundRules> done{};
  for (std::int64_t n = 2; n <= kMaxObservedSteps; n *= 2) {
    bool all = true;
    for (int i = 0; i < kBoundRules; ++i) {
      if (done[i]) continue;
      if (within(rules_[i].rule, sumsAt(engine, n))) {
        done[i] = true;
        bisect(engine, rules_[i], above[i], n);
      } else {
        above[i] = n;
        all = false;
      }
    }
    if (all) break;
  }
  for (int i = 0; i < kBoundRules; ++i)
    if (!done[i]) rules_[i].observed = {false, 0, "above " + std::to_string(kMaxObservedSteps)};
}

void ToleranceStudy::bisect(ExpressionEngine& engine, RuleTolerance& rule, std::int64_t above,
                            std::int64_t within) {
  // Simpson's rule in units of two steps: only even n have its sum.
  const std::int64_t unit = rule.rule == BoundRule::Simpson ? 2 : 1;
  std::int64_t lo = above / unit, hi = within / unit;
  if (above == 0) lo = hi;  // within at the first n tried
  while (hi - lo > 1) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (this->within(rule.rule, sumsAt(engine, mid * unit)))
      hi = mid;
    else
      lo = mid;
  }
  rule.observed = {true, hi * unit, {}};
}

std::string ToleranceStudy::tableText() const {
  std::string text = "rule\tK\tat\tnBound\tnObserved\n";
  for (const RuleTolerance& r : rules_) {
    text += boundRuleName(r.rule);
    if (r.K.known) {
      text += "\t" + formatted("%.10g", r.K.value) + "\t" + formatted("%.10g", r.K.at);
    } else {
      text += "\tcannot be estimated: " + r.K.why + "\t-";
    }
    text += "\t" + (r.byBound.found ? std::to_string(r.byBound.n) : r.byBound.why);
    text += "\t" + (r.observed.found ? std::to_string(r.observed.n) : r.observed.why) + "\n";
  }
  return text;
}

}  // namespace tavex
