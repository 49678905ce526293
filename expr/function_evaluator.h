// SPDX-License-Identifier: GPL-3.0-or-later
// f(x) from the function data: composes "x = <x>," with the parameter lines
// and the function line, runs the whole text through the expression engine
// and returns the variable that sorts last in the symbol table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/fixed_format.h"
#include "expr/tape.h"

namespace tavex {

// The first failed evaluation of an evaluator's life (one plot call), kept for
// a status display.
struct EvaluationFailure {
  bool recorded = false;
  std::int64_t evaluation = 0;  // 0-based count of evaluate calls before it
  double x = 0.0;
  ParseStatus status = ParseStatus::Accepted;
  char message[ExpressionEngine::kMessageBufferSize] = {};
  int errorLine = 0;    // position the engine reported in the composed text
  int errorColumn = 0;
  // Where that position lies: the function data entry whose line holds it
  // (kAbscissaStatement for the leading "x = ..." statement) and the 1-based
  // character position within that line.
  int entry = 0;
  int entryColumn = 0;
};

// What failed and where, for a status line: "<entry name or x>: <message or
// status name>", then " at column N" when the column is known.
std::string failureCause(const EvaluationFailure& failure, const DataEntry* record);

// Watches the evaluations of a long pass. Told every so many evaluations how
// many were made before the next; it may end the pass there by throwing, and
// the evaluator is then left as if that next evaluation had not been asked for.
class EvaluationMonitor {
 public:
  virtual ~EvaluationMonitor() = default;
  virtual void beforeEvaluation(std::int64_t evaluationsMade) = 0;
};

class FunctionEvaluator {
 public:
  // Entry number reported for a failure in the composed abscissa statement.
  static constexpr int kAbscissaStatement = 0;
  // Room for the longest composition: "x = ", the widest "%18.14f" text, ",",
  // every line after entry 1 with its comma, then the function line.
  static constexpr int kTextCapacity =
      4 + kFixed14MaxLength + 1 + (kFunctionDataEntries - 2) * DataEntry::kLineSize +
      (DataEntry::kLineSize - 1) + 1;

  // Evaluates the texts of functionData in engine; both must outlive it.
  FunctionEvaluator(const DataEntry (&functionData)[kFunctionDataEntries],
                    ExpressionEngine& engine);
  virtual ~FunctionEvaluator() = default;

  // f(x). A NaN or infinite x gives NaN without running the engine. After a
  // failed run the result is still the last-sorting variable, which may hold
  // a value from an earlier evaluation.
  //
  // The first evaluation of each shape of the abscissa's text ("x = %18.14f"
  // with its sign and integer digits) composes and parses the whole text and
  // records the run on a tape; later ones of that shape replay the tape, with
  // exactly the same effects as parsing their own text (see expr/tape.h).
  // The text is composed and parsed again whenever that cannot be guaranteed:
  // the lines changed, the symbol table grew, or the run could not be kept.
  virtual double evaluate(double x);

  // Whether evaluate may replay tapes (on by default); off, every
  // evaluation composes and parses its text.
  void setReplay(bool on) { replay_ = on; }

  // fs[k] = evaluate(xs[k]) for k = 0 to count - 1, in that order, with
  // exactly the effects of those calls. Runs of abscissae whose texts share a
  // shape replay their tape together, which is several times faster than one
  // at a time; anything else (and a class that evaluates otherwise) goes one
  // evaluate at a time.
  void evaluateMany(const double* xs, double* fs, int count);

  // Tells monitor before every `every`-th evaluation (null: nobody).
  void setMonitor(EvaluationMonitor* monitor, int every = 64) {
    monitor_ = monitor;
    monitorEvery_ = every > 0 ? every : 1;
    monitorCountdown_ = 1;
  }

  int parameterLimit() const { return parameterLimit_; }
  // 0 when the last evaluation was accepted, 1 otherwise.
  int lastStatus() const { return lastStatus_; }
  // The text of the last evaluation (composed now if it was replayed).
  const char* text() const;
  const EvaluationFailure& firstFailure() const { return firstFailure_; }
  std::int64_t failureCount() const { return failureCount_; }
  std::int64_t evaluationCount() const { return evaluationCount_; }
  // Evaluations that replayed a tape.
  std::int64_t replayCount() const { return replayCount_; }

  FunctionEvaluator(const FunctionEvaluator&) = delete;
  FunctionEvaluator& operator=(const FunctionEvaluator&) = delete;

 private:
  // One shape's tape, and how many recordings of that shape were not kept.
  struct ShapeTape {
    std::unique_ptr<Tape> tape;
    int tableCount = -1;
    int refused = 0;
  };
  static constexpr int kRecordingAttempts = 4;

  void noteFailure(double x, ParseStatus status);
  void locateFailure(EvaluationFailure& failure) const;
  ParseStatus runComposed(double x);
  ParseStatus runFast(double x, const AbscissaDigits& digits);
  int replayRun(const double* xs, double* fs, int count);
  ShapeTape& shapeOf(const AbscissaDigits& digits);
  void tellMonitor(int count);
  void compose(double x) const;
  bool linesUnchanged() const;
  void snapshotLines();

  mutable char textBuffer_[kTextCapacity];
  mutable bool textStale_ = false;  // replayed: textBuffer_ is not composed for lastX_
  double lastX_ = 0.0;
  bool replay_ = true;
  ShapeTape tapes_[2][AbscissaDigits::kMaxIntegerDigits];
  // The lines as the tapes were recorded: function line first, then parameters.
  char lines_[kFunctionDataEntries][DataEntry::kLineSize];
  std::uint8_t lineLength_[kFunctionDataEntries];
  std::uint64_t linesVersion_ = 0;  // recordsVersion when the lines were last compared
  const DataEntry (&functionData_)[kFunctionDataEntries];
  ExpressionEngine& engine_;
  std::int32_t parameterLimit_;
  std::int32_t lastStatus_ = 0;
  EvaluationFailure firstFailure_;
  std::int64_t failureCount_ = 0;
  std::int64_t evaluationCount_ = 0;
  std::int64_t replayCount_ = 0;
  EvaluationMonitor* monitor_ = nullptr;
  int monitorEvery_ = 64;
  int monitorCountdown_ = 1;
};

}  // namespace tavex
