// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study: the six sums of a draw pass for n = n0, 2n0, 4n0, …
// against a reference value more accurate than Exact, with each rule's error
// and its observed order. Every row evaluates f exactly as a draw pass at its
// n does (the curve's points, then the sums), so its sums are the readouts
// such a pass shows. No Qt: the desktop window and the command line share it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "plot/plot.h"
#include "plot/sums.h"

namespace tavex {

// The largest n a table goes to, and the time a row may take by default.
inline constexpr std::int64_t kConvergenceMaxN = std::int64_t{1} << 20;
inline constexpr double kDefaultRowSeconds = 1.0;
// A row that turns out to take longer than this gets a note.
inline constexpr double kLongRowSeconds = 10.0;

// The curve a draw pass evaluates first: the graph data's x range in as many
// segments as curveSegments gives for its n.
struct CurveSpan {
  double x0 = 0.0;
  double x1 = 0.0;
  int segments = 0;
};
CurveSpan curveSpanOf(const DataEntry* graphRecord);

// f at the curve's points in GraphFrame::plotCurve's order, values dropped.
void evaluateCurve(FunctionEvaluator& evaluator, const CurveSpan& curve);

// The interval of the function data with n steps instead of its own.
FunctionInterval intervalWithSteps(const FunctionInterval& data, std::int32_t n);

struct ConvergenceRow {
  std::int32_t n = 0;
  RiemannSums sums;
  long long evaluations = 0;
  long long failures = 0;
  EvaluationFailure firstFailure;
  double seconds = 0.0;
};

// One row: the curve, then computeSums without drawing, as a draw pass.
ConvergenceRow convergenceRow(FunctionEvaluator& evaluator, const FunctionInterval& data,
                              std::int32_t n, const CurveSpan& curve);

// The reference value: adaptive Gauss-Kronrod (7 and 15 points), starting
// from 30 equal panels and halving the panel with the largest error estimate
// until the estimates add up to 1e-13 of the integral (of the integral of |f|
// when that is larger than five times the integral's size).
struct ReferenceValue {
  enum class Status {
    Reached,     // value within the target
    NotReached,  // value with a larger estimated accuracy
    Failed,      // an evaluation of f failed: no value
    NotFinite,   // f gave NaN or an infinity: no value
    NoInterval,  // x1 or x2 is not finite: no value
  };
  Status status = Status::NoInterval;
  double value = 0.0;
  double accuracy = 0.0;  // estimated bound of |value - integral|
  int panels = 0;
  long long evaluations = 0;
  double badX = 0.0;  // where f failed or was not finite
  EvaluationFailure failure;
  bool hasValue() const { return status == Status::Reached || status == Status::NotReached; }
};
inline constexpr double kReferenceTarget = 1e-13;
inline constexpr int kReferenceStartPanels = 30;
inline constexpr int kReferenceMaxPanels = 1 << 14;
ReferenceValue referenceIntegral(FunctionEvaluator& evaluator, double a, double b);

// "f failed at x = 0.00000 (y: Divide by Zero at column 11)", naming the
// entry of record that holds the failure.
std::string failureText(const EvaluationFailure& failure, const DataEntry* record);

// The reference as a sentence: its value and accuracy, or why there is none.
std::string referenceStatement(const ReferenceValue& reference, const DataEntry* record);

// Which rows a table has: n0 (the data's n, at least 2) doubling up to the
// limit. A requested limit of 0 asks for the default: rows while each takes
// under about kDefaultRowSeconds, at most kConvergenceMaxN.
struct ConvergencePlan {
  std::int32_t dataN = 0;
  std::int32_t n0 = 2;
  long long requested = 0;
  std::int64_t limit = kConvergenceMaxN;  // the last n is at most this
  bool timed = true;                      // the default: rows also stop by time
  std::vector<std::string> notes;         // what was done instead of what was asked
};
ConvergencePlan planConvergence(std::int32_t dataN, long long requestedLimit);

// Evaluations of f in the row for n.
long long rowEvaluations(std::int64_t n, const CurveSpan& curve);

// How many seconds, in words: "about 3 minutes".
std::string durationText(double seconds);

// The table's columns: n, SumU, SumL, SumT, SumM, SumS, SumLeft, SumRight,
// Exact, Reference, then each sum's error and observed order in that order,
// then Exact's error.
std::vector<std::string> convergenceHeader();
// One row's cells; previous is the row before (null for the first). The
// sums are as the readouts write them; SumS, its error and order are empty
// for odd n; errors and orders are empty without a reference value.
std::vector<std::string> convergenceCells(const ConvergenceRow& row, const ConvergenceRow* previous,
                                          const ReferenceValue& reference);
// The observed order log2(|e_prev| / |e|) of successive errors e_prev, e;
// NaN where it says nothing: an error that is not finite, or at the
// reference's accuracy (floor) or below.
double observedOrder(double previousError, double error, double floor);
// Errors at or below this are at the reference's accuracy.
double errorFloor(const ReferenceValue& reference);

// A whole study: the reference first, then the rows, with progress and
// cancel through monitor (which throws PassCancelled to stop).
class ConvergenceStudy : private EvaluationMonitor {
 public:
  // Takes copies of the records.
  ConvergenceStudy(const DataEntry* functionRecord, const DataEntry* graphRecord,
                   long long requestedLimit);

  // Computes everything; changed() runs after the reference, after each row
  // and when a note comes during a row. A cancel keeps the rows done and
  // sets cancelled().
  void run(ExpressionEngine& engine, PassMonitor* monitor,
           const std::function<void()>& changed = nullptr);

  const ConvergencePlan& plan() const { return plan_; }
  const ReferenceValue& reference() const { return reference_; }
  bool referenceDone() const { return referenceDone_; }
  const std::vector<ConvergenceRow>& rows() const { return rows_; }
  const DataEntry* functionRecord() const { return function_; }
  bool cancelled() const { return cancelled_; }
  // The plan's notes, then those of the run: a row predicted to take long,
  // where the default limit stopped, and where a cancel stopped.
  std::vector<std::string> notes() const;
  // The run's notes alone, in the order they came.
  const std::vector<std::string>& runNotes() const { return runNotes_; }
  // The first row in which f failed (null: none), and a sentence on the rows
  // that had failures (empty: none).
  const ConvergenceRow* firstFailedRow() const;
  std::string failureNote() const;

  // Header and rows, cells separated by separator (tab or comma), one line each.
  std::string tableText(char separator) const;

 private:
  // Progress for the monitor; notes a row that turns out to take long.
  void beforeEvaluation(std::int64_t made) override;
  // Whether the row for n comes next; notes where the default limit stops.
  bool nextRowWanted(std::int64_t n, double secondsPerEvaluation);

  DataEntry function_[kFunctionDataEntries];
  FunctionInterval data_;
  CurveSpan curve_;
  ConvergencePlan plan_;
  ReferenceValue reference_;
  bool referenceDone_ = false;
  std::vector<ConvergenceRow> rows_;
  std::vector<std::string> runNotes_;
  bool cancelled_ = false;
  PassMonitor* monitor_ = nullptr;
  std::function<void()> changed_;
  long long madeBefore_ = 0;  // evaluations of the evaluators before the current one
  long long expected_ = 0;
  // The row being computed: its n, the evaluations it makes (0: none is),
  // when it started, and whether a long row was noted.
  std::int64_t rowN_ = 0;
  long long rowExpected_ = 0;
  std::chrono::steady_clock::time_point rowStart_;
  bool longRowNoted_ = false;
};

}  // namespace tavex
