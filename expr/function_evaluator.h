// f(x) from the function data: composes "x = <x>," with the parameter lines
// and the function line, runs the whole text through the expression engine
// and returns the variable that sorts last in the symbol table.
#pragma once

#include <cstdint>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/fixed_format.h"

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
  virtual double evaluate(double x);

  int parameterLimit() const { return parameterLimit_; }
  // 0 when the last evaluation was accepted, 1 otherwise.
  int lastStatus() const { return lastStatus_; }
  // The text of the last composition.
  const char* text() const { return textBuffer_; }
  const EvaluationFailure& firstFailure() const { return firstFailure_; }
  std::int64_t failureCount() const { return failureCount_; }
  std::int64_t evaluationCount() const { return evaluationCount_; }

  FunctionEvaluator(const FunctionEvaluator&) = delete;
  FunctionEvaluator& operator=(const FunctionEvaluator&) = delete;

 private:
  void noteFailure(double x, ParseStatus status);
  void locateFailure(EvaluationFailure& failure) const;

  char textBuffer_[kTextCapacity];
  const DataEntry (&functionData_)[kFunctionDataEntries];
  ExpressionEngine& engine_;
  std::int32_t parameterLimit_;
  std::int32_t lastStatus_ = 0;
  EvaluationFailure firstFailure_;
  std::int64_t failureCount_ = 0;
  std::int64_t evaluationCount_ = 0;
};

}  // namespace tavex
