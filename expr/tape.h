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

#include "expr/engine.h"

namespace tavex {

// The digits of an abscissa as "%18.14f" writes it: the sign and the number
// of integer digits give the shape of the text.
struct AbscissaDigits {
  static constexpr int kFractionDigits = 14;
  static constexpr int kMaxIntegerDigits = 5;
  bool negative = false;
  int integerDigits = 0;
  std::uint64_t integerPart = 0;  // the integer digits
  std::uint64_t decimals = 0;     // the 14 fraction digits, below 10^14
  double fraction = -1.0;         // fractionValue(decimals) when worked out already, else -1
  int count() const { return integerDigits + kFractionDigits; }
  // Digit k of the text: the integer digits, most significant first, then
  // the fraction digits.
  int digit(int k) const;
};

// x's digits, exactly as formatFixed14 prints them; false where there is no
// fast reading (x not finite, or |x| of 65536 or more).
bool readAbscissa(double x, AbscissaDigits& out);

class Tape;

// The value of x's 14 fraction digits as the parser reads them.
double fractionValue(std::uint64_t decimals);

// Runs text (whose abscissa statement "x = ..." has the shape of x) in engine
// exactly as runText does, and records the run into tape. kept tells whether
// the tape replays every x of that shape exactly.
ParseStatus recordRun(ExpressionEngine& engine, const char* text, const AbscissaDigits& x,
                      Tape& tape, bool& kept);

class Tape {
 public:
  enum class Op : std::uint8_t {
    Load, Store, StoreFixed,
    Add, Subtract, Multiply, Divide, CheckedDivide, Power, Negate,
    Not, Or, And, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Select,
    Call1, Call2,
    IntegerStart, IntegerDigit, FractionStart, FractionDigit, IntegerRun, FractionRun, Sum,
    End,  // the last step of every tape
  };

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
