// SPDX-License-Identifier: GPL-3.0-or-later
// Records a tape while the parser runs a composed text for real: the
// observer of the parser that follows where each stack value comes from.
// Internal to the engine; the function evaluator uses recordRun (tape.h).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "expr/engine.h"
#include "expr/parser.h"
#include "expr/tape.h"

namespace tavex {

class TapeRecorder : public detail::Silent {
 public:
  TapeRecorder(ExpressionEngine& engine, const char* text, const AbscissaDigits& x, Tape& tape);

  void shifted(const char* at, int length, int state, int depth);
  void completing(const char* at, int index);
  void extended(int rule, const char* at, int depth, ValueCell value);
  void started(int rule, const char* at, int depth, ValueCell value, int state);
  void popped(int rule, int base, int state);
  void reduced(int rule, int base, const ValueCell* v, ValueCell value,
               const detail::ActionDetail& detail, int state);

  // After the run: completes the tape; false when it must not be replayed.
  bool finish();

 private:
  // Where a value comes from: fixed (the same in every replay: value) or a
  // slot that an operation of the tape fills.
  struct Origin {
    bool fixed = true;
    std::int32_t slot = -1;
    double value = 0.0;
  };
  static Origin fixedValue(double v) { return Origin{true, -1, v}; }

  Origin tokenOrigin(const char* at);
  std::int32_t operand(const Origin& o);
  Origin emit(Tape::Op op, const Origin& a, const Origin& b, const Origin& c);
  Origin emit(Tape::Op op, const Origin& a, const Origin& b);
  Origin emit(Tape::Op op, const Origin& a);
  Origin binary(Tape::Op op, const Origin& a, const Origin& b, double value);
  Origin cellOrigin(double* cell, double value);
  void store(double* cell, const Origin& value);
  Origin numberDigit(int act, const Origin& before, const Origin& digit, double value);
  Origin call(const ValueCell* v, double value, const detail::ActionDetail& d, bool raised);
  Origin compoundAssign(Tape::Op op, double* cell, const Origin& operand, double value);
  Origin divide(const Origin& p, const Origin& q, double divisor, double value);
  Origin action(int act, int base, const ValueCell* v, double value,
                const detail::ActionDetail& d, bool raised);

  ExpressionEngine& e_;
  const char* text_;
  Tape& tape_;
  int integerStart_, fractionStart_, digitCount_, integerDigits_;
  int tableCount_;
  std::uint64_t errorsAtStart_, errorsSeen_;
  bool replayable_ = true;
  Origin origin_[ExpressionEngine::kParseStackSize + 1];
  std::vector<Origin> arguments_;
  std::vector<std::pair<double*, Origin>> cells_;  // variables as this run left them
};

}  // namespace tavex
