// SPDX-License-Identifier: GPL-3.0-or-later
// Replaying a tape: one abscissa at a time through its operations' code,
// or up to Tape::kLanes of them together, operation by operation.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "expr/arithmetic.h"
#include "expr/tape.h"

namespace tavex {

namespace {

// The operations in the order the dispatch table lists their code.
#define TAVEX_TAPE_OPERATION(name) Tape::Op::name,
constexpr Tape::Op kDispatchOrder[] = {TAVEX_TAPE_OPERATIONS};
#undef TAVEX_TAPE_OPERATION

constexpr bool inOperationOrder() {
  for (std::size_t k = 0; k < std::size(kDispatchOrder); ++k)
    if (kDispatchOrder[k] != static_cast<Tape::Op>(k)) return false;
  return std::size(kDispatchOrder) == Tape::kOperationCount;
}

}  // namespace

ParseStatus Tape::replay(ExpressionEngine& e, const AbscissaDigits& x) {
  double* s = slots_.data();
  for (const auto& [digit, slot] : digitReads_) s[slot] = x.digit(digit) + 48;  // its code
  // Direct threading: each operation jumps straight to the next one's code.
#define TAVEX_TAPE_OPERATION(name) &&do##name,
  static const void* const kCode[] = {TAVEX_TAPE_OPERATIONS};
#undef TAVEX_TAPE_OPERATION
  static_assert(sizeof kCode / sizeof kCode[0] == std::size(kDispatchOrder) && inOperationOrder(),
                "the replay's dispatch table must follow the order of Tape::Op");
  const Step* t = steps_.data();
#define TAVEX_NEXT goto* kCode[static_cast<int>((++t)->op)]
  goto* kCode[static_cast<int>(t->op)];
doLoad: s[t->dst] = *t->cell; TAVEX_NEXT;
doStore: *t->cell = s[t->a]; TAVEX_NEXT;
// A run of variables assigned fixed values: cells and values in the steps
// that follow (b of them), each a Store.
doStoreFixed:
  for (const Step* u = t + 1; u <= t + t->b; ++u) *u->cell = s[u->a];
  t += t->b;
  TAVEX_NEXT;
#define TAVEX_BINARY_CODE(action, level, left, token, right, operation, function, checksDivisor) \
  do##operation: s[t->dst] = arithmetic::function(s[t->a], s[t->b]); TAVEX_NEXT;
  TAVEX_BINARY_OPERATORS(TAVEX_BINARY_CODE)
#undef TAVEX_BINARY_CODE
doCheckedDivide:
  if (s[t->b] == 0.0) {
    s[t->dst] = s[t->a] / 1.0;
    return stop(e, stops_[t->c]);
  }
  s[t->dst] = arithmetic::divide(s[t->a], s[t->b]);
  TAVEX_NEXT;
#define TAVEX_PREFIX_CODE(action, token, operation, function) \
  do##operation: s[t->dst] = arithmetic::function(s[t->a]); TAVEX_NEXT;
  TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX_CODE, TAVEX_NO_OPERATOR)
#undef TAVEX_PREFIX_CODE
doSelect: s[t->dst] = arithmetic::select(s[t->a], s[t->b], s[t->c]); TAVEX_NEXT;
doCall1: s[t->dst] = t->unary(s[t->a]); TAVEX_NEXT;
doCall2: s[t->dst] = t->binary(s[t->a], s[t->b]); TAVEX_NEXT;
doIntegerStart: s[t->dst] = arithmetic::integerStart(s[t->a]); TAVEX_NEXT;
doIntegerDigit: s[t->dst] = arithmetic::integerDigit(s[t->a], s[t->b]); TAVEX_NEXT;
doFractionStart: s[t->dst] = arithmetic::fractionStart(s[t->a]); TAVEX_NEXT;
doFractionDigit: s[t->dst] = arithmetic::fractionDigit(s[t->a], s[t->b]); TAVEX_NEXT;
// Digit by digit, (v * 10 + code) - 48 stays an exact integer below 2^53:
// it is the integer part itself.
doIntegerRun: s[t->dst] = static_cast<double>(x.integerPart); TAVEX_NEXT;
doFractionRun: s[t->dst] = x.fraction >= 0.0 ? x.fraction : fractionValue(x.decimals); TAVEX_NEXT;
doSum: s[t->dst] = s[t->a] + s[t->b]; TAVEX_NEXT;
#undef TAVEX_NEXT
doEnd:
  finishEngine(e);
  return ending_.status;
}

void Tape::finishEngine(ExpressionEngine& e) const {
  const Ending& end = ending_;
  e.status_ = end.status;
  e.inputLine_ = end.line;
  e.inputColumn_ = end.column;
  e.characterStack_.top = end.characterTop;
  e.argumentStack_.top = end.argumentTop;
  if (end.setsError) [[unlikely]] {
    e.errorRecord_ = end.error;
    if (end.messageInBuffer) {
      std::memcpy(e.messageBuffer_, end.message.c_str(), end.message.size() + 1);
      e.errorRecord_.message = e.messageBuffer_;
    }
    ++e.errorsRaised_;
  }
  if (end.status == ParseStatus::StackOverflow) [[unlikely]] e.stackOverflow();
}

namespace {

template <double (*F)(double)>
void eachLane(double* d, const double* a, int n) {
  for (int k = 0; k < n; ++k) d[k] = F(a[k]);
}
template <double (*F)(double, double)>
void eachLane(double* d, const double* a, const double* b, int n) {
  for (int k = 0; k < n; ++k) d[k] = F(a[k], b[k]);
}

double sum(double a, double b) { return a + b; }

}  // namespace

// One operation for the first n lanes; false at a zero divisor.
bool Tape::runLanes(const Step& t, const AbscissaDigits* xs, int n) {
  double* d = lane(t.dst);
  const double* a = lane(t.a);
  const double* b = lane(t.b);
  const double* c = lane(t.c);
  switch (t.op) {
    case Op::Load: std::fill(d, d + n, *t.cell); break;
    case Op::Store:
    case Op::StoreFixed:
    case Op::End: break;  // the last run's values are stored at the end
#define TAVEX_BINARY_LANES(action, level, left, token, right, operation, function, checksDivisor) \
  case Op::operation: eachLane<arithmetic::function>(d, a, b, n); break;
    TAVEX_BINARY_OPERATORS(TAVEX_BINARY_LANES)
#undef TAVEX_BINARY_LANES
    case Op::CheckedDivide:
      for (int k = 0; k < n; ++k)
        if (b[k] == 0.0) return false;
      eachLane<arithmetic::divide>(d, a, b, n);
      break;
#define TAVEX_PREFIX_LANES(action, token, operation, function) \
  case Op::operation: eachLane<arithmetic::function>(d, a, n); break;
    TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX_LANES, TAVEX_NO_OPERATOR)
#undef TAVEX_PREFIX_LANES
    case Op::Select:
      for (int k = 0; k < n; ++k) d[k] = arithmetic::select(a[k], b[k], c[k]);
      break;
    case Op::Call1: for (int k = 0; k < n; ++k) d[k] = t.unary(a[k]); break;
    case Op::Call2: for (int k = 0; k < n; ++k) d[k] = t.binary(a[k], b[k]); break;
    case Op::IntegerStart: eachLane<arithmetic::integerStart>(d, a, n); break;
    case Op::IntegerDigit: eachLane<arithmetic::integerDigit>(d, a, b, n); break;
    case Op::FractionStart: eachLane<arithmetic::fractionStart>(d, a, n); break;
    case Op::FractionDigit: eachLane<arithmetic::fractionDigit>(d, a, b, n); break;
    case Op::IntegerRun:
      for (int k = 0; k < n; ++k) d[k] = static_cast<double>(xs[k].integerPart);
      break;
    case Op::FractionRun:
      for (int k = 0; k < n; ++k)
        d[k] = xs[k].fraction >= 0.0 ? xs[k].fraction : fractionValue(xs[k].decimals);
      break;
    case Op::Sum: eachLane<sum>(d, a, b, n); break;
  }
  return true;
}

bool Tape::replayMany(ExpressionEngine& e, const AbscissaDigits* xs, int n,
                      const double* resultCell, double* results) {
  for (const auto& [digit, slot] : digitReads_)
    for (int k = 0; k < n; ++k) lane(slot)[k] = xs[k].digit(digit) + 48;
  for (const Step& t : steps_)
    if (!runLanes(t, xs, n)) return false;
  // Each variable ends with what the last run stored; the result of run k is
  // what run k stored last into the result's cell, or the cell's value.
  const double* resultSlot = nullptr;
  for (const Step& t : steps_) {
    if (t.op != Op::Store) continue;
    *t.cell = lane(t.a)[n - 1];
    if (t.cell == resultCell) resultSlot = lane(t.a);
  }
  for (int k = 0; k < n; ++k) results[k] = resultSlot != nullptr ? resultSlot[k] : *resultCell;
  finishEngine(e);
  return true;
}

// The lanes of replayMany: fixed values in every lane, once; and whether the
// tape's runs may go together at all.
void Tape::prepareLanes() {
  batchable_ = ending_.status == ParseStatus::Accepted && !ending_.setsError;
  for (const Step& load : steps_)
    if (load.op == Op::Load)
      for (const Step& store : steps_)
        if (store.op == Op::Store && store.cell == load.cell) batchable_ = false;
  if (!batchable_) return;
  lanes_.assign(slots_.size() * kLanes, 0.0);
  for (std::size_t slot = 0; slot < slots_.size(); ++slot)
    std::fill_n(lanes_.begin() + static_cast<std::ptrdiff_t>(slot * kLanes), kLanes, slots_[slot]);
}

ParseStatus Tape::stop(ExpressionEngine& e, const Stop& at) const {
  e.inputLine_ = at.line;
  e.inputColumn_ = at.column;
  e.characterStack_.top = at.characterTop;
  e.argumentStack_.top = at.argumentTop;
  e.status_ = ParseStatus::Running;
  e.raiseError("Divide by Zero");
  return e.status_;
}

}  // namespace tavex
