// SPDX-License-Identifier: GPL-3.0-or-later
// Recording a tape while the parser runs a text, and the passes that tidy
// the recorded operations before they are replayed.
#include "expr/tape_recorder.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "expr/arithmetic.h"

namespace tavex {

namespace pt = parser_tables;
using arithmetic::truth;

// Whether a step takes slot as an operand (the fused and grouping steps keep
// digit positions and counts in their fields, not slots).
bool Tape::readsSlot(const Step& s, std::int32_t slot) {
  switch (s.op) {
    case Op::Load:
    case Op::StoreFixed:
    case Op::IntegerRun:
    case Op::FractionRun:
    case Op::End: return false;
#define TAVEX_PREFIX_READS(action, token, operation, function) case Op::operation:
      TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX_READS, TAVEX_NO_OPERATOR)
#undef TAVEX_PREFIX_READS
    case Op::Store:
    case Op::Call1:
    case Op::IntegerStart:
    case Op::FractionStart: return s.a == slot;
    case Op::Select: return s.a == slot || s.b == slot || s.c == slot;
    default: return s.a == slot || s.b == slot;
  }
}

// Stores of values that no operation computes (the parameters' "a = 1")
// that follow each other are taken in one loop: a StoreFixed step heads them.
void Tape::groupFixedStores() {
  std::vector<bool> computed(slots_.size(), false);
  for (const Step& s : steps_)
    if (s.op != Op::Store && s.op != Op::StoreFixed)
      computed[static_cast<std::size_t>(s.dst)] = true;
  for (std::int32_t slot : digitSlot_)
    if (slot >= 0) computed[static_cast<std::size_t>(slot)] = true;
  std::vector<Step> grouped;
  const auto fixedStore = [&computed](const Step& s) {
    return s.op == Op::Store && !computed[static_cast<std::size_t>(s.a)];
  };
  for (std::size_t i = 0; i < steps_.size();) {
    std::size_t j = i;
    while (j < steps_.size() && fixedStore(steps_[j])) ++j;
    if (j - i >= 2) {
      Step head{};
      head.op = Op::StoreFixed;
      head.b = static_cast<std::int32_t>(j - i);
      grouped.push_back(head);
    }
    for (std::size_t k = i; k < std::max(j, i + 1); ++k) grouped.push_back(steps_[k]);
    i = std::max(j, i + 1);
  }
  steps_ = std::move(grouped);
}

// Runs of operations that read x's integer or fraction digits one by one
// become one operation that reads them in a loop.
void Tape::fuseDigitRuns(int integerDigits) {
  std::vector<Step> fused;
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const Step& first = steps_[i];
    const Op start = first.op;
    if (start != Op::IntegerStart && start != Op::FractionStart) {
      fused.push_back(first);
      continue;
    }
    const Op next = start == Op::IntegerStart ? Op::IntegerDigit : Op::FractionDigit;
    const int digitStep = start == Op::IntegerStart ? 1 : -1;
    auto digitOf = [this](std::int32_t slot) {
      for (std::size_t k = 0; k < digitSlot_.size(); ++k)
        if (digitSlot_[k] == slot) return static_cast<int>(k);
      return -1;
    };
    int firstDigit = digitOf(first.a), lastDigit = firstDigit;
    std::size_t j = i;
    // Integer digits are read left to right, fraction digits right to left.
    while (firstDigit >= 0 && j + 1 < steps_.size() && steps_[j + 1].op == next) {
      const Step& s = steps_[j + 1];
      const int digit = start == Op::IntegerStart ? digitOf(s.b) : digitOf(s.a);
      const std::int32_t previous = start == Op::IntegerStart ? s.a : s.b;
      if (digit != lastDigit + digitStep || previous != steps_[j].dst) break;
      lastDigit = digit;
      ++j;
    }
    // Only a run over all integer digits or all fraction digits is fused.
    const int low = std::min(firstDigit, lastDigit), high = std::max(firstDigit, lastDigit);
    const bool whole = start == Op::IntegerStart
                           ? low == 0 && high == integerDigits - 1
                           : low == integerDigits &&
                                 high == integerDigits + AbscissaDigits::kFractionDigits - 1;
    if (firstDigit < 0 || !whole || (j == i && start != Op::IntegerStart)) {
      fused.push_back(first);
      continue;
    }
    Step run = steps_[j];
    run.op = start == Op::IntegerStart ? Op::IntegerRun : Op::FractionRun;
    run.a = 0;
    run.b = std::min(firstDigit, lastDigit);
    run.c = std::abs(lastDigit - firstDigit) + 1;
    fused.push_back(run);
    i = j;
  }
  steps_ = std::move(fused);
  groupFixedStores();
  // Digits that only fused operations read need no slot of their own.
  digitReads_.clear();
  for (std::size_t k = 0; k < digitSlot_.size(); ++k) {
    const std::int32_t slot = digitSlot_[k];
    bool read = false;
    for (const Step& s : steps_) read = read || (slot >= 0 && readsSlot(s, slot));
    if (read) digitReads_.emplace_back(static_cast<std::int32_t>(k), slot);
  }
}

TapeRecorder::TapeRecorder(ExpressionEngine& engine, const char* text, const AbscissaDigits& x,
                           Tape& tape)
    : e_(engine), text_(text), tape_(tape) {
  // "x = " and the number right-aligned in at least 18 characters.
  const int width = std::max(18, (x.negative ? 1 : 0) + x.integerDigits + 15);
  integerDigits_ = x.integerDigits;
  digitCount_ = x.count();
  integerStart_ = 4 + width - 15 - x.integerDigits;
  fractionStart_ = 4 + width - 14;
  tableCount_ = engine.symbolTable().count;
  errorsAtStart_ = errorsSeen_ = engine.errorsRaised();
  tape_ = Tape{};
  tape_.slots_.push_back(0.0);  // slot 0: read by operations that take no operand
  tape_.digitSlot_.assign(static_cast<std::size_t>(digitCount_), -1);
}

TapeRecorder::Origin TapeRecorder::tokenOrigin(const char* at) {
  const int offset = static_cast<int>(at - text_);
  int digit = -1;
  if (offset >= integerStart_ && offset < integerStart_ + integerDigits_)
    digit = offset - integerStart_;
  if (offset >= fractionStart_ && offset < fractionStart_ + AbscissaDigits::kFractionDigits)
    digit = integerDigits_ + offset - fractionStart_;
  if (digit < 0) return fixedValue(static_cast<unsigned char>(*at));
  std::int32_t& slot = tape_.digitSlot_[static_cast<std::size_t>(digit)];
  if (slot < 0) {
    slot = static_cast<std::int32_t>(tape_.slots_.size());
    tape_.slots_.push_back(0.0);
  }
  return Origin{false, slot, 0.0};
}

std::int32_t TapeRecorder::operand(const Origin& o) {
  if (!o.fixed) return o.slot;
  tape_.slots_.push_back(o.value);
  return static_cast<std::int32_t>(tape_.slots_.size() - 1);
}

TapeRecorder::Origin TapeRecorder::emit(Tape::Op op, const Origin& a, const Origin& b,
                                        const Origin& c) {
  Tape::Step step{};
  step.op = op;
  step.a = operand(a);
  step.b = operand(b);
  step.c = operand(c);
  step.dst = static_cast<std::int32_t>(tape_.slots_.size());
  tape_.slots_.push_back(0.0);
  step.cell = nullptr;
  tape_.steps_.push_back(step);
  return Origin{false, step.dst, 0.0};
}

TapeRecorder::Origin TapeRecorder::emit(Tape::Op op, const Origin& a, const Origin& b) {
  return emit(op, a, b, Origin{false, 0, 0.0});  // slot 0: no operand
}

TapeRecorder::Origin TapeRecorder::emit(Tape::Op op, const Origin& a) {
  return emit(op, a, Origin{false, 0, 0.0}, Origin{false, 0, 0.0});
}

TapeRecorder::Origin TapeRecorder::binary(Tape::Op op, const Origin& a, const Origin& b,
                                          double value) {
  return a.fixed && b.fixed ? fixedValue(value) : emit(op, a, b);
}

TapeRecorder::Origin TapeRecorder::cellOrigin(double* cell, double value) {
  for (const auto& [c, o] : cells_)
    if (c == cell) return o;
  Tape::Step step{};
  step.op = Tape::Op::Load;
  step.dst = static_cast<std::int32_t>(tape_.slots_.size());
  tape_.slots_.push_back(0.0);
  step.cell = cell;
  tape_.steps_.push_back(step);
  (void)value;
  const Origin loaded{false, step.dst, 0.0};
  cells_.emplace_back(cell, loaded);
  return loaded;
}

void TapeRecorder::store(double* cell, const Origin& value) {
  Tape::Step step{};
  step.op = Tape::Op::Store;
  step.a = operand(value);
  step.cell = cell;
  tape_.steps_.push_back(step);
  for (auto& [c, o] : cells_)
    if (c == cell) {
      o = value;
      return;
    }
  cells_.emplace_back(cell, value);
}

void TapeRecorder::shifted(const char* at, int, int, int depth) {
  origin_[depth - 1] = tokenOrigin(at);
}

void TapeRecorder::completing(const char* at, int index) { origin_[index] = tokenOrigin(at); }

TapeRecorder::Origin TapeRecorder::numberDigit(int act, const Origin& before, const Origin& digit,
                                               double value) {
  switch (act) {
    case pt::A_INT1: return digit.fixed ? fixedValue(value) : emit(Tape::Op::IntegerStart, digit);
    case pt::A_INTN: return binary(Tape::Op::IntegerDigit, before, digit, value);
    case pt::A_FRAC1: return digit.fixed ? fixedValue(value) : emit(Tape::Op::FractionStart, digit);
    case pt::A_FRACN: return binary(Tape::Op::FractionDigit, digit, before, value);
    default:
      // Exponents and names never hold x's digits; a value they carry is fixed.
      if (!digit.fixed || !before.fixed) replayable_ = false;
      return fixedValue(value);
  }
}

void TapeRecorder::extended(int rule, const char* at, int depth, ValueCell value) {
  const int act = pt::kRules[rule].act;
  if (act == pt::A_NONE) return;  // white space and comments
  Origin& top = origin_[depth - 1];
  top = numberDigit(act, top, tokenOrigin(at), act == pt::A_INTN ? value.d : 0.0);
}

void TapeRecorder::started(int rule, const char* at, int depth, ValueCell value, int) {
  const int act = pt::kRules[rule].act;
  origin_[depth - 1] = act == pt::A_NONE ? fixedValue(0.0)
                                         : numberDigit(act, Origin{}, tokenOrigin(at),
                                                       act == pt::A_INT1 ? value.d : 0.0);
}

void TapeRecorder::popped(int rule, int base, int) {
  if (pt::kRules[rule].act == pt::A_COPY1) origin_[base] = origin_[base + 1];
}

void TapeRecorder::reduced(int rule, int base, const ValueCell* v, ValueCell value,
                           const detail::ActionDetail& detail, int) {
  const bool raised = e_.errorsRaised() != errorsSeen_;
  errorsSeen_ = e_.errorsRaised();
  const pt::Rule& r = pt::kRules[rule];
  // Integer-valued symbols (name lengths, argument counts, exponents) are fixed.
  origin_[base] = r.length == 0 ? fixedValue(value.d)
                                : action(r.act, base, v, value.d, detail, raised);
}

TapeRecorder::Origin TapeRecorder::action(int act, int base, const ValueCell* v, double value,
                                          const detail::ActionDetail& d, bool raised) {
  const Origin* o = &origin_[base];
  using Op = Tape::Op;
  switch (act) {
    case pt::A_NONE:
    case pt::A_COPY0: return o[0];
    case pt::A_COPY1: return o[1];
    case pt::A_ASSIGN: store(d.cell, o[2]); return o[2];
#define TAVEX_ASSIGNMENT_RECORD(action, token, operation, function) \
  case pt::A_##action: return compoundAssign(Op::operation, d.cell, o[2], value);
      TAVEX_ASSIGNMENT_OPERATORS(TAVEX_ASSIGNMENT_RECORD)
#undef TAVEX_ASSIGNMENT_RECORD
    case pt::A_VAR: return cellOrigin(d.cell, value);
    case pt::A_COND:
      return o[0].fixed ? (truth(o[0].value) ? o[2] : o[4]) : emit(Op::Select, o[0], o[2], o[4]);
#define TAVEX_BINARY_RECORD(action, level, left, token, right, operation, function, checksDivisor) \
  case pt::A_##action:                                                                         \
    return checksDivisor ? divide(o[0], o[2], v[2].d, value)                                   \
                         : binary(Op::operation, o[0], o[2], value);
      TAVEX_BINARY_OPERATORS(TAVEX_BINARY_RECORD)
#undef TAVEX_BINARY_RECORD
    case pt::A_INT_FRAC: return binary(Op::Sum, o[0], o[2], value);
#define TAVEX_PREFIX_RECORD(action, token, operation, function) \
  case pt::A_##action: return o[1].fixed ? fixedValue(value) : emit(Op::operation, o[1]);
      TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX_RECORD, TAVEX_NO_OPERATOR)
#undef TAVEX_PREFIX_RECORD
    case pt::A_ARG1:
    case pt::A_ARGN:
      if (!raised) arguments_.push_back(act == pt::A_ARG1 ? o[0] : o[2]);
      return fixedValue(0.0);
    case pt::A_CALL: return call(v, value, d, raised);
    case pt::A_INT1:
    case pt::A_FRAC1: return numberDigit(act, Origin{}, o[0], value);
    case pt::A_INTN: return numberDigit(act, o[0], o[1], value);
    case pt::A_FRACN: return numberDigit(act, o[1], o[0], value);
    case pt::A_EXP_PLUS:
    case pt::A_EXP_PLUS_SIGN:
    case pt::A_EXP_MINUS:
      if (!o[0].fixed) replayable_ = false;
      return fixedValue(value);
    default: return fixedValue(value);  // names, exponents, empty argument lists
  }
}

// "name op= expression": the variable's new value, stored into it.
TapeRecorder::Origin TapeRecorder::compoundAssign(Tape::Op op, double* cell,
                                                  const Origin& operand, double value) {
  const Origin result = binary(op, cellOrigin(cell, 0.0), operand, value);
  store(cell, result);
  return result;
}

TapeRecorder::Origin TapeRecorder::divide(const Origin& p, const Origin& q, double divisor,
                                          double value) {
  if (q.fixed) {
    // A fixed divisor: the error, if any, is the same in every replay.
    return binary(Tape::Op::Divide, p, q.value == 0.0 ? fixedValue(1.0) : q, value);
  }
  if (divisor == 0.0) replayable_ = false;  // this run stopped where others go on
  const Origin result = emit(Tape::Op::CheckedDivide, p, q);
  tape_.steps_.back().c = static_cast<std::int32_t>(tape_.stops_.size());
  tape_.stops_.push_back(Tape::Stop{e_.inputLine(), e_.inputColumn(), e_.characterStack().top,
                                    e_.argumentStack().top});
  return result;
}

TapeRecorder::Origin TapeRecorder::call(const ValueCell* v, double value,
                                        const detail::ActionDetail& d, bool raised) {
  const int count = std::min(std::max(v[2].i, 0), static_cast<int>(arguments_.size()));
  std::vector<Origin> args(arguments_.end() - count, arguments_.end());
  arguments_.resize(arguments_.size() - static_cast<std::size_t>(count));
  bool fixed = true;
  for (const Origin& a : args) fixed = fixed && a.fixed;
  if (raised || d.builtin == nullptr || fixed) return fixedValue(value);
  if (count < 1 || count > 2) {
    replayable_ = false;
    return fixedValue(value);
  }
  if ((count == 1) != (d.builtin->unary != nullptr)) {
    replayable_ = false;
    return fixedValue(value);
  }
  const Origin result = count == 1 ? emit(Tape::Op::Call1, args[0])
                                   : emit(Tape::Op::Call2, args[0], args[1]);
  if (count == 1) tape_.steps_.back().unary = d.builtin->unary;
  else tape_.steps_.back().binary = d.builtin->binary;
  return result;
}

bool TapeRecorder::finish() {
  if (!replayable_ || e_.symbolTable().count != tableCount_) return false;
  Tape::Ending& end = tape_.ending_;
  end.status = e_.status();
  end.line = e_.inputLine();
  end.column = e_.inputColumn();
  end.characterTop = e_.characterStack().top;
  end.argumentTop = e_.argumentStack().top;
  end.setsError = e_.errorsRaised() != errorsAtStart_;
  if (end.setsError) {
    end.error = e_.errorRecord();
    end.messageInBuffer = end.error.message == e_.messageBuffer_;
    if (end.messageInBuffer) end.message = end.error.message;
  }
  tape_.fuseDigitRuns(integerDigits_);
  Tape::Step last{};
  last.op = Tape::Op::End;
  tape_.steps_.push_back(last);
  tape_.prepareLanes();
  return true;
}

ParseStatus recordRun(ExpressionEngine& engine, const char* text, const AbscissaDigits& x,
                      Tape& tape, bool& kept) {
  TapeRecorder recorder(engine, text, x, tape);
  const ParseStatus status = detail::Parser<TapeRecorder>(engine, text, recorder).run();
  kept = recorder.finish();
  return status;
}

}  // namespace tavex
