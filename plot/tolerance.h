// SPDX-License-Identifier: GPL-3.0-or-later
// The n that guarantees a tolerance. For the left, right, trapezoid,
// midpoint and Simpson sums: the constant K of each rule's error bound (the
// largest |f'|, |f''| or |f''''| on [x1, x2], from plot/analysis.h), the
// bound at each n, the smallest n whose bound is within a tolerance, and the
// smallest n whose actual error against the Reference is. The sums at each
// n are those a draw pass at that n shows (plot/convergence.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "plot/analysis.h"
#include "plot/convergence.h"
#include "plot/plot.h"

namespace tavex {

// In the order of the --tolerance lines.
enum class BoundRule { Left, Right, Trapezoid, Midpoint, Simpson };
inline constexpr int kBoundRules = 5;
inline constexpr std::array<BoundRule, kBoundRules> kAllBoundRules{
    BoundRule::Left, BoundRule::Right, BoundRule::Trapezoid, BoundRule::Midpoint,
    BoundRule::Simpson};

// "SumLeft", "SumRight", "SumT", "SumM", "SumS".
const char* boundRuleName(BoundRule rule);
// The derivative whose largest size is the rule's K: 1, 2 or 4.
int boundOrder(BoundRule rule);
// The rule's sum among a draw pass's sums.
double ruleSum(BoundRule rule, const RiemannSums& sums);

// The rule's error bound with n steps over an interval of width w:
// w^2 K / (2n), w^3 K / (12 n^2), w^3 K / (24 n^2) or w^5 K / (180 n^4).
double ruleBound(BoundRule rule, double width, double K, double n);

// The largest n any search goes to.
inline constexpr long long kMaxBoundSteps = 1000000000;
inline constexpr std::int64_t kMaxObservedSteps = kConvergenceMaxN;

// A count of steps, or why there is none.
struct StepCount {
  bool found = false;
  long long n = 0;
  std::string why;  // "above 1000000000", "-" ...
};

// The smallest n (even for Simpson's rule) whose bound is at most tolerance.
// K is taken to 12 significant digits, all that its estimate holds, so that
// a K of 2 gives the textbook n.
StepCount boundSteps(BoundRule rule, double width, double K, double tolerance);

// Why a tolerance cannot be used at all (empty when it can): 0, negative,
// not a number, infinite.
std::string toleranceProblem(double tolerance);

struct RuleTolerance {
  BoundRule rule = BoundRule::Left;
  DerivativeMax K;
  StepCount byBound;
  StepCount observed;
};

// The whole study for a tolerance: the Reference, the fit of f for the K's,
// then the observed n of every rule, searched together by doubling n from 2
// and then by bisection between the last n above the tolerance and the first
// within it (for Simpson's rule among even n). Progress and cancel through
// the monitor, as a draw pass.
class ToleranceStudy : private EvaluationMonitor {
 public:
  // Takes copies of the records.
  ToleranceStudy(const DataEntry* functionRecord, const DataEntry* graphRecord, double tolerance);

  void run(ExpressionEngine& engine, PassMonitor* monitor);

  double tolerance() const { return tolerance_; }
  const ReferenceValue& reference() const { return reference_; }
  const FunctionFit& fit() const { return fit_; }
  const std::array<RuleTolerance, kBoundRules>& rules() const { return rules_; }
  // Why no n is sought (empty when they were): the tolerance is below what
  // the Reference and double precision can tell apart, or there is no
  // Reference.
  const std::string& refusal() const { return refusal_; }
  bool cancelled() const { return cancelled_; }
  // Whether an evaluation of f failed somewhere in the study.
  bool failed() const { return failed_; }
  const DataEntry* functionRecord() const { return function_; }

  // "rule\tK\tat\tnBound\tnObserved", then a line per rule.
  std::string tableText() const;

 private:
  void beforeEvaluation(std::int64_t made) override;
  // The sums of a draw pass at n, computed once.
  const RiemannSums& sumsAt(ExpressionEngine& engine, std::int64_t n);
  void searchObserved(ExpressionEngine& engine);
  void bisect(ExpressionEngine& engine, RuleTolerance& rule, std::int64_t above,
              std::int64_t within);
  bool within(BoundRule rule, const RiemannSums& sums) const;

  DataEntry function_[kFunctionDataEntries];
  FunctionInterval data_;
  CurveSpan curve_;
  double tolerance_;
  ReferenceValue reference_;
  FunctionFit fit_;
  std::array<RuleTolerance, kBoundRules> rules_;
  std::map<std::int64_t, RiemannSums> rows_;
  std::string refusal_;
  bool cancelled_ = false;
  bool failed_ = false;
  PassMonitor* monitor_ = nullptr;
  long long madeBefore_ = 0;
  long long expected_ = 0;
};

}  // namespace tavex
