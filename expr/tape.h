// SPDX-License-Identifier: GPL-3.0-or-later
// A recorded run of one composed text, replayed for other abscissae.
//
// The parse of a text depends only on its characters, never on values: for
// one function text the runs for two abscissae whose "x = %18.14f" texts have
// the same shape (sign and number of integer digits) take exactly the same
// steps, and differ only in the values of x's digits. A tape is recorded
// while one such run happens for real: every action whose value depends on
// x's digits or on a variable read from the symbol table becomes an
// operation on numbered slots, in the order the parser performed it, with the
// very same arithmetic; every other value is the constant the run computed.
// Replaying the operations for another x's digits leaves the engine exactly
// as a run of that x's text would: the same variables and values, status,
// error record, position and stack-overflow line.
//
// A tape is only kept when that holds for every x of its shape: a run that
// created a variable (the replay would not), or that stopped at an error
// that depends on a value (a zero divisor), is not kept.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "expr/abscissa.h"
#include "expr/engine.h"
#include "expr/operators.h"

namespace tavex {

// Every operation of a tape, in the order of Tape::Op: TAVEX_TAPE_OPERATION(name)
// for each, defined where the list is read (the replay makes its dispatch
// table from it too). The operators' operations come from expr/operators.h.
#define TAVEX_TAPE_OPERATIONS                                                \
  TAVEX_TAPE_OPERATION(Load)                                                 \
  TAVEX_TAPE_OPERATION(Store)                                                \
  TAVEX_TAPE_OPERATION(StoreFixed)                                           \
  TAVEX_BINARY_OPERATORS(TAVEX_BINARY_TAPE_OPERATION)                        \
  TAVEX_TAPE_OPERATION(CheckedDivide)                                        \
  TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX_TAPE_OPERATION, TAVEX_NO_OPERATOR)     \
  TAVEX_TAPE_OPERATION(Select)                                               \
  TAVEX_TAPE_OPERATION(Call1)                                                \
  TAVEX_TAPE_OPERATION(Call2)                                                \
  TAVEX_TAPE_OPERATION(IntegerStart)                                         \
  TAVEX_TAPE_OPERATION(IntegerDigit)                                         \
  TAVEX_TAPE_OPERATION(FractionStart)                                        \
  TAVEX_TAPE_OPERATION(FractionDigit)                                        \
  TAVEX_TAPE_OPERATION(IntegerRun)                                           \
  TAVEX_TAPE_OPERATION(FractionRun)                                          \
  TAVEX_TAPE_OPERATION(Sum)                                                  \
  TAVEX_TAPE_OPERATION(End) /* the last step of every tape */
#define TAVEX_BINARY_TAPE_OPERATION(action, level, left, token, right, operation, function, \
                                    checksDivisor)                                        \
  TAVEX_TAPE_OPERATION(operation)
#define TAVEX_PREFIX_TAPE_OPERATION(action, token, operation, function) \
  TAVEX_TAPE_OPERATION(operation)

class Tape;

// Runs text (whose abscissa statement "x = ..." has the shape of x) in engine
// exactly as runText does, and records the run into tape. kept tells whether
// the tape replays every x of that shape exactly.
ParseStatus recordRun(ExpressionEngine& engine, const char* text, const AbscissaDigits& x,
                      Tape& tape, bool& kept);

class Tape {
 public:
  enum class Op : std::uint8_t {
#define TAVEX_TAPE_OPERATION(name) name,
    TAVEX_TAPE_OPERATIONS
#undef TAVEX_TAPE_OPERATION
  };
  static constexpr int kOperationCount = static_cast<int>(Op::End) + 1;

  // Replays the run for x's digits (of the recorded shape) in engine, whose
  // symbol table must be the one recorded against. Returns the run's status.
  ParseStatus replay(ExpressionEngine& engine, const AbscissaDigits& x);

  // Up to this many abscissae are replayed together.
  static constexpr int kLanes = 64;

  // Replays the run for count abscissae of the recorded shape (count up to
  // kLanes), in order, leaving engine exactly as count calls of replay would
  // and setting results[k] to what the variable at resultCell holds after
  // the k-th. Each operation is done for all of them before the next one.
  // Only a batchable() tape can; returns false, having changed nothing, when
  // some abscissa meets a zero divisor (those must go one at a time).
  bool replayMany(ExpressionEngine& engine, const AbscissaDigits* xs, int count,
                  const double* resultCell, double* results);
  // Whether the runs of this tape depend on each other only through what
  // replayMany takes care of: it is accepted, raises no error and reads no
  // variable it also writes.
  bool batchable() const { return batchable_; }

  std::size_t operationCount() const { return steps_.size(); }

 private:
  friend class TapeRecorder;

  struct Step {
    Op op;
    std::int32_t dst = 0, a = 0, b = 0, c = 0;
    union {
      double* cell;
      double (*unary)(double);
      double (*binary)(double, double);
    };
  };
  // Where a replay stops at a zero divisor: the engine's position and stacks then.
  struct Stop {
    int line, column, characterTop, argumentTop;
  };
  // The engine's state at the end of the recorded run.
  struct Ending {
    ParseStatus status = ParseStatus::Accepted;
    bool setsError = false;
    ErrorRecord error;
    bool messageInBuffer = false;
    std::string message;
    int line = 1, column = 1;
    int characterTop = 0, argumentTop = 0;
  };

  [[gnu::cold]] ParseStatus stop(ExpressionEngine& engine, const Stop& at) const;
  void fuseDigitRuns(int integerDigits);
  void prepareLanes();
  bool runLanes(const Step& t, const AbscissaDigits* xs, int n);
  double* lane(std::int32_t slot) {
    return lanes_.data() + static_cast<std::ptrdiff_t>(slot) * kLanes;
  }
  void finishEngine(ExpressionEngine& engine) const;
  void groupFixedStores();
  static bool readsSlot(const Step& s, std::int32_t slot);

  std::vector<Step> steps_;
  std::vector<double> slots_;
  std::vector<std::int32_t> digitSlot_;  // the slot of each of x's digits, -1 if none
  std::vector<std::pair<std::int32_t, std::int32_t>> digitReads_;  // digit, slot: filled per replay
  std::vector<Stop> stops_;
  Ending ending_;
  bool batchable_ = false;
  std::vector<double> lanes_;  // slot s of lane k at [s * kLanes + k]
};

}  // namespace tavex
