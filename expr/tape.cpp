#include "expr/tape.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "expr/arithmetic.h"
#include "expr/fixed_format.h"
#include "expr/parser.h"
#include "expr/tape_recorder.h"

namespace tavex {

namespace pt = parser_tables;
using arithmetic::truth;
namespace op = arithmetic;

bool readAbscissa(double x, AbscissaDigits& out) {
  // The same exact reading as formatFixed14.
  const std::uint64_t bits = doubleBits(x);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0x7FF || !(std::fabs(x) < 65536.0)) return false;
  constexpr std::uint64_t kScale = kFixed14Scale;
  const std::uint64_t q = scaledFixed14(x);
  out.negative = (bits >> 63) != 0;
  out.integerPart = q / kScale;
  out.decimals = q % kScale;
  const std::uint64_t i = out.integerPart;
  out.integerDigits = i < 10 ? 1 : i < 100 ? 2 : i < 1000 ? 3 : i < 10000 ? 4 : 5;
  return i < 100000;
}

int AbscissaDigits::digit(int k) const {
  std::uint64_t v = k < integerDigits ? integerPart : decimals;
  const int fromRight = k < integerDigits ? integerDigits - 1 - k : count() - 1 - k;
  for (int j = 0; j < fromRight; ++j) v /= 10;
  return static_cast<int>(v % 10);
}

namespace {

// The value of the last k fraction digits of `digits` as the parser folds
// them, right to left: (code - 48) * 0.1 for the last, then ((code - 48) +
// v) * 0.1 for each digit before it.
double foldFraction(std::uint32_t digits, int k, double v, bool last) {
  for (int j = 0; j < k; ++j, digits /= 10) {
    const int d = static_cast<int>(digits % 10);
    v = last && j == 0 ? d * 0.1 : (d + v) * 0.1;
  }
  return v;
}

// The fold of every four-digit ending, computed once by the same arithmetic.
const double* lastFourDigits() {
  static const auto table = [] {
    auto t = std::make_unique<double[]>(10000);
    for (std::uint32_t i = 0; i < 10000; ++i) t[i] = foldFraction(i, 4, 0.0, true);
    return t;
  }();
  return table.get();
}

}  // namespace

// The digits of 0 to 99 as doubles: [k][0] the units, [k][1] the tens.
constexpr auto kDigitPairs = [] {
  struct Table {
    double digit[100][2];
  } t{};
  for (int k = 0; k < 100; ++k) {
    t.digit[k][0] = k % 10;
    t.digit[k][1] = k / 10;
  }
  return t;
}();

// Folds five digits (below 100000) into v, right to left: two pairs and the
// leading digit, each digit ((digit + v) * 0.1) as the parser does.
inline double foldFive(std::uint32_t five, double v) {
  const std::uint32_t low = five % 100, middle = five / 100 % 100, lead = five / 10000;
  v = (kDigitPairs.digit[low][0] + v) * 0.1;
  v = (kDigitPairs.digit[low][1] + v) * 0.1;
  v = (kDigitPairs.digit[middle][0] + v) * 0.1;
  v = (kDigitPairs.digit[middle][1] + v) * 0.1;
  return (static_cast<double>(lead) + v) * 0.1;
}

double fractionValue(std::uint64_t decimals) {
  static const double* const table = lastFourDigits();
  const std::uint64_t upper = decimals / 10000;  // the other ten digits
  const double v = table[decimals % 10000];
  return foldFive(static_cast<std::uint32_t>(upper / 100000),
                  foldFive(static_cast<std::uint32_t>(upper % 100000), v));
}

ParseStatus Tape::replay(ExpressionEngine& e, const AbscissaDigits& x) {
  double* s = slots_.data();
  for (const auto& [digit, slot] : digitReads_) s[slot] = x.digit(digit) + 48;  // its code
  // Direct threading: each operation jumps straight to the next one's code.
  static const void* const kCode[] = {
      &&load,          &&store,         &&storeFixed, &&add,         &&subtract,     &&multiply,
      &&divide,        &&checkedDivide, &&power,      &&negate,      &&logicalNot,   &&logicalOr,
      &&logicalAnd,    &&equal,         &&notEqual,   &&less,        &&lessEqual,    &&greater,
      &&greaterEqual,  &&select,        &&call1,      &&call2,       &&integerStart, &&integerDigit,
      &&fractionStart, &&fractionDigit, &&integerRun, &&fractionRun, &&sum,          &&end};
  const Step* t = steps_.data();
#define TAVEX_NEXT goto* kCode[static_cast<int>((++t)->op)]
  goto* kCode[static_cast<int>(t->op)];
load: s[t->dst] = *t->cell; TAVEX_NEXT;
store: *t->cell = s[t->a]; TAVEX_NEXT;
// A run of variables assigned fixed values: cells and values in the steps
// that follow (b of them), each a Store.
storeFixed:
  for (const Step* u = t + 1; u <= t + t->b; ++u) *u->cell = s[u->a];
  t += t->b;
  TAVEX_NEXT;
add: s[t->dst] = op::add(s[t->a], s[t->b]); TAVEX_NEXT;
subtract: s[t->dst] = op::subtract(s[t->a], s[t->b]); TAVEX_NEXT;
multiply: s[t->dst] = op::multiply(s[t->a], s[t->b]); TAVEX_NEXT;
divide: s[t->dst] = op::divide(s[t->a], s[t->b]); TAVEX_NEXT;
checkedDivide:
  if (s[t->b] == 0.0) {
    s[t->dst] = s[t->a] / 1.0;
    return stop(e, stops_[t->c]);
  }
  s[t->dst] = op::divide(s[t->a], s[t->b]);
  TAVEX_NEXT;
power: s[t->dst] = std::pow(s[t->a], s[t->b]); TAVEX_NEXT;
negate: s[t->dst] = -s[t->a]; TAVEX_NEXT;
logicalNot: s[t->dst] = op::logicalNot(s[t->a]); TAVEX_NEXT;
logicalOr: s[t->dst] = op::logicalOr(s[t->a], s[t->b]); TAVEX_NEXT;
logicalAnd: s[t->dst] = op::logicalAnd(s[t->a], s[t->b]); TAVEX_NEXT;
equal: s[t->dst] = op::equal(s[t->a], s[t->b]); TAVEX_NEXT;
notEqual: s[t->dst] = op::notEqual(s[t->a], s[t->b]); TAVEX_NEXT;
less: s[t->dst] = op::less(s[t->a], s[t->b]); TAVEX_NEXT;
lessEqual: s[t->dst] = op::lessEqual(s[t->a], s[t->b]); TAVEX_NEXT;
greater: s[t->dst] = op::greater(s[t->a], s[t->b]); TAVEX_NEXT;
greaterEqual: s[t->dst] = op::greaterEqual(s[t->a], s[t->b]); TAVEX_NEXT;
select: s[t->dst] = op::select(s[t->a], s[t->b], s[t->c]); TAVEX_NEXT;
call1: s[t->dst] = t->unary(s[t->a]); TAVEX_NEXT;
call2: s[t->dst] = t->binary(s[t->a], s[t->b]); TAVEX_NEXT;
integerStart: s[t->dst] = op::integerStart(s[t->a]); TAVEX_NEXT;
integerDigit: s[t->dst] = op::integerDigit(s[t->a], s[t->b]); TAVEX_NEXT;
fractionStart: s[t->dst] = op::fractionStart(s[t->a]); TAVEX_NEXT;
fractionDigit: s[t->dst] = op::fractionDigit(s[t->a], s[t->b]); TAVEX_NEXT;
// Digit by digit, (v * 10 + code) - 48 stays an exact integer below 2^53:
// it is the integer part itself.
integerRun: s[t->dst] = static_cast<double>(x.integerPart); TAVEX_NEXT;
fractionRun: s[t->dst] = x.fraction >= 0.0 ? x.fraction : fractionValue(x.decimals); TAVEX_NEXT;
sum: s[t->dst] = s[t->a] + s[t->b]; TAVEX_NEXT;
#undef TAVEX_NEXT
end:
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

double negate(double a) { return -a; }
double sum(double a, double b) { return a + b; }
double power(double a, double b) { return std::pow(a, b); }

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
    case Op::Add: eachLane<op::add>(d, a, b, n); break;
    case Op::Subtract: eachLane<op::subtract>(d, a, b, n); break;
    case Op::Multiply: eachLane<op::multiply>(d, a, b, n); break;
    case Op::Divide: eachLane<op::divide>(d, a, b, n); break;
    case Op::CheckedDivide:
      for (int k = 0; k < n; ++k)
        if (b[k] == 0.0) return false;
      eachLane<op::divide>(d, a, b, n);
      break;
    case Op::Power: eachLane<power>(d, a, b, n); break;
    case Op::Negate: eachLane<negate>(d, a, n); break;
    case Op::Not: eachLane<op::logicalNot>(d, a, n); break;
    case Op::Or: eachLane<op::logicalOr>(d, a, b, n); break;
    case Op::And: eachLane<op::logicalAnd>(d, a, b, n); break;
    case Op::Equal: eachLane<op::equal>(d, a, b, n); break;
    case Op::NotEqual: eachLane<op::notEqual>(d, a, b, n); break;
    case Op::Less: eachLane<op::less>(d, a, b, n); break;
    case Op::LessEqual: eachLane<op::lessEqual>(d, a, b, n); break;
    case Op::Greater: eachLane<op::greater>(d, a, b, n); break;
    case Op::GreaterEqual: eachLane<op::greaterEqual>(d, a, b, n); break;
    case Op::Select: for (int k = 0; k < n; ++k) d[k] = op::select(a[k], b[k], c[k]); break;
    case Op::Call1: for (int k = 0; k < n; ++k) d[k] = t.unary(a[k]); break;
    case Op::Call2: for (int k = 0; k < n; ++k) d[k] = t.binary(a[k], b[k]); break;
    case Op::IntegerStart: eachLane<op::integerStart>(d, a, n); break;
    case Op::IntegerDigit: eachLane<op::integerDigit>(d, a, b, n); break;
    case Op::FractionStart: eachLane<op::fractionStart>(d, a, n); break;
    case Op::FractionDigit: eachLane<op::fractionDigit>(d, a, b, n); break;
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

// Whether a step takes slot as an operand (the fused and grouping steps keep
// digit positions and counts in their fields, not slots).
bool Tape::readsSlot(const Step& s, std::int32_t slot) {
  switch (s.op) {
    case Op::Load:
    case Op::StoreFixed:
    case Op::IntegerRun:
    case Op::FractionRun:
    case Op::End: return false;
    case Op::Store:
    case Op::Negate:
    case Op::Not:
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
    case pt::A_ADD_ASSIGN:
    case pt::A_SUB_ASSIGN:
    case pt::A_MUL_ASSIGN:
    case pt::A_DIV_ASSIGN: {
      const Op op = act == pt::A_ADD_ASSIGN   ? Op::Add
                    : act == pt::A_SUB_ASSIGN ? Op::Subtract
                    : act == pt::A_MUL_ASSIGN ? Op::Multiply
                                              : Op::Divide;
      const Origin result = binary(op, cellOrigin(d.cell, 0.0), o[2], value);
      store(d.cell, result);
      return result;
    }
    case pt::A_VAR: return cellOrigin(d.cell, value);
    case pt::A_COND:
      return o[0].fixed ? (truth(o[0].value) ? o[2] : o[4]) : emit(Op::Select, o[0], o[2], o[4]);
    case pt::A_OR: return binary(Op::Or, o[0], o[2], value);
    case pt::A_AND: return binary(Op::And, o[0], o[2], value);
    case pt::A_EQ: return binary(Op::Equal, o[0], o[2], value);
    case pt::A_NE: return binary(Op::NotEqual, o[0], o[2], value);
    case pt::A_LT: return binary(Op::Less, o[0], o[2], value);
    case pt::A_LE: return binary(Op::LessEqual, o[0], o[2], value);
    case pt::A_GT: return binary(Op::Greater, o[0], o[2], value);
    case pt::A_GE: return binary(Op::GreaterEqual, o[0], o[2], value);
    case pt::A_ADD: return binary(Op::Add, o[0], o[2], value);
    case pt::A_SUB: return binary(Op::Subtract, o[0], o[2], value);
    case pt::A_MUL: return binary(Op::Multiply, o[0], o[2], value);
    case pt::A_DIV: return divide(o[0], o[2], v[2].d, value);
    case pt::A_POW: return binary(Op::Power, o[0], o[2], value);
    case pt::A_INT_FRAC: return binary(Op::Sum, o[0], o[2], value);
    case pt::A_NEG: return o[1].fixed ? fixedValue(value) : emit(Op::Negate, o[1]);
    case pt::A_NOT: return o[1].fixed ? fixedValue(value) : emit(Op::Not, o[1]);
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
