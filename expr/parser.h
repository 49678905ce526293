// SPDX-License-Identifier: GPL-3.0-or-later
// The driver of the expression parser: reads a text with the generated
// LALR(1) tables (parser_tables.h, written by tools/lalrgen.cpp) and performs
// each rule's action as it reduces, so that the text is evaluated while it is
// parsed. Internal to the engine.
//
// The driver is a template over an observer that is told of every step: the
// ordinary run uses Silent, whose calls vanish; a trace prints each step.
#pragma once

#include <cassert>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "expr/arithmetic.h"
#include "expr/engine.h"
#include "expr/operators.h"
#include "expr/position.h"
#include "parser_tables.h"

namespace tavex::detail {

namespace pt = parser_tables;

// The terminal class of every byte.
inline constexpr auto kCharClass = [] {
  struct Table {
    std::uint8_t of[256];
  } t{};
  for (int i = 0; i < 256; ++i) t.of[i] = pt::T_OTHER;
  t.of[0] = pt::T_EOF;
  for (int c = 'A'; c <= 'Z'; ++c) t.of[c] = pt::T_LETTER;
  for (int c = 'a'; c <= 'z'; ++c) t.of[c] = pt::T_LETTER;
  for (unsigned char c : {'_'}) t.of[c] = pt::T_LETTER;
  for (unsigned char c : {'E', 'e'}) t.of[c] = pt::T_E;
  for (int c = '0'; c <= '9'; ++c) t.of[c] = pt::T_DIGIT;
  for (unsigned char c : {' ', '\t', '\v', '\f', '\r'}) t.of[c] = pt::T_SP;
  for (unsigned char c : {'\n'}) t.of[c] = pt::T_NL;
  const char* singles = "=:?<>+-*/)(!,;.";
  const std::uint8_t terms[] = {pt::T_ASSIGN, pt::T_COLON, pt::T_QUEST, pt::T_LT,    pt::T_GT,
                                pt::T_PLUS,   pt::T_MINUS, pt::T_STAR,  pt::T_SLASH, pt::T_RPAR,
                                pt::T_LPAR,   pt::T_BANG,  pt::T_COMMA, pt::T_SEMI,  pt::T_DOT};
  for (int k = 0; singles[k]; ++k) t.of[static_cast<unsigned char>(singles[k])] = terms[k];
  return t;
}();

// The two-character terminals that start with a given character.
struct TwoCharTerminal {
  char second;
  std::uint8_t term;
};
struct TwoCharTerminals {
  TwoCharTerminal pair[3];
  int count;
};
constexpr TwoCharTerminals twoCharTerminalsOf(unsigned char c) {
  switch (c) {
    case '*': return {{{'*', pt::T_POW}, {'=', pt::T_MULEQ}, {'/', pt::T_BCCLOSE}}, 3};
    case '+': return {{{'=', pt::T_ADDEQ}}, 1};
    case '-': return {{{'=', pt::T_SUBEQ}}, 1};
    case '/': return {{{'=', pt::T_DIVEQ}, {'*', pt::T_BCOPEN}, {'/', pt::T_LCOPEN}}, 3};
    case '<': return {{{'=', pt::T_LE}}, 1};
    case '>': return {{{'=', pt::T_GE}}, 1};
    case '=': return {{{'=', pt::T_EQEQ}}, 1};
    case '!': return {{{'=', pt::T_NE}}, 1};
    case '&': return {{{'&', pt::T_AND}}, 1};
    case '|': return {{{'|', pt::T_OR}}, 1};
    default: return {{}, 0};
  }
}
inline constexpr auto kTwoChar = [] {
  struct Table {
    TwoCharTerminals of[256];
  } t{};
  for (int i = 0; i < 256; ++i) t.of[i] = twoCharTerminalsOf(static_cast<unsigned char>(i));
  return t;
}();

inline std::int32_t wrapInt(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

// What an action touched beyond the stack: the variable it read or wrote,
// the built-in function it called.
struct ActionDetail {
  double* cell = nullptr;
  const BuiltinEntry* builtin = nullptr;
};

// The observer of an ordinary run: told nothing. An observer is told of each
// step with the stack index it changed (depth is the count of entries after
// the step) and the value the step produced.
struct Silent {
  // A token's value was pushed: at is its first character.
  void shifted(const char* /*at*/, int /*length*/, int /*state*/, int /*depth*/) {}
  // A token that completes a rule stands in the slot at index.
  void completing(const char* /*at*/, int /*index*/) {}
  // The character at extended the symbol on top of the stack to value.
  void extended(int /*rule*/, const char* /*at*/, int /*depth*/, ValueCell /*value*/) {}
  // The character at started a symbol with value on top of the stack.
  void started(int /*rule*/, const char* /*at*/, int /*depth*/, ValueCell /*value*/,
               int /*state*/) {}
  // A rule that keeps one of its right-side values was reduced to base.
  void popped(int /*rule*/, int /*base*/, int /*state*/) {}
  // A rule was reduced to base with its action: v holds the right side.
  void reduced(int /*rule*/, int /*base*/, const ValueCell* /*v*/, ValueCell /*value*/,
               const ActionDetail& /*detail*/, int /*state*/) {}
  void chained(int /*state*/) {}
  void accepted() {}
  void failed(ParseStatus) {}
};

// Prints each step: shifts with the token's characters and the state they
// lead to, reductions with their rule's grammar text.
struct Trace : Silent {
  std::FILE* to;
  explicit Trace(std::FILE* out) : to(out) {}
  void shifted(const char* at, int length, int state, int) {
    std::fprintf(to, "shift '%.*s' -> state %d\n", length, at, state);
  }
  void extended(int rule, const char* at, int, ValueCell) {
    std::fprintf(to, "extend %s with '%c'\n", pt::kRuleText[rule], *at);
  }
  void started(int rule, const char*, int, ValueCell, int state) { reduce(rule, state); }
  void popped(int rule, int, int state) { reduce(rule, state); }
  void reduced(int rule, int, const ValueCell*, ValueCell, const ActionDetail&, int state) {
    reduce(rule, state);
  }
  void chained(int state) { std::fprintf(to, "unit reductions -> state %d\n", state); }
  void accepted() { std::fputs("accept\n", to); }
  void failed(ParseStatus status) { std::fprintf(to, "stop: %s\n", statusName(status)); }

 private:
  void reduce(int rule, int state) {
    std::fprintf(to, "reduce %s -> state %d\n", pt::kRuleText[rule], state);
  }
};

#define TAVEX_STEP [[gnu::always_inline]] inline

template <class Observer>
class Parser {
 public:
  Parser(ExpressionEngine& engine, const char* text, Observer& observer)
      : e_(engine), observer_(observer), p_(text ? text : "") {
    e_.inputLine_ = 1;
    e_.inputColumn_ = 1;
    e_.status_ = ParseStatus::Running;
  }

  // The driver loop: each lookahead's action in the current state is one step.
  ParseStatus run() {
    for (bool going = true; going;) {
      readLookahead();
      const pt::Action action = pt::kAction[state_][term_];
      const int payload = pt::payloadOf(action);
      switch (pt::stepOf(action)) {
        case pt::Step::Extend: going = extendPending(payload); break;
        case pt::Step::Start: going = startSymbol(payload); break;
        case pt::Step::Pop:
          going = saving_ ? reduce(payload, Reduction::Explicit) : popReduce(payload);
          break;
        case pt::Step::Shift: going = shift(payload); break;
        case pt::Step::ShiftReduce: going = reduce(payload, Reduction::WithToken); break;
        case pt::Step::Reduce: going = reduce(payload, Reduction::Explicit); break;
        case pt::Step::Accept: going = accept(); break;
        case pt::Step::Error: going = reduceByDefault(); break;
        default: assert(!"unknown parser step"); going = false;
      }
    }
    if (e_.status_ != ParseStatus::Accepted) observer_.failed(e_.status_);
    return e_.status_;
  }

 private:
  static constexpr int kStackSize = ExpressionEngine::kParseStackSize;

  // How a reduction came about: by an explicit action of the lookahead, by
  // consuming the token that completes the rule, or by the state's default.
  enum class Reduction { Explicit, WithToken, ByDefault };

  // Reads the lookahead in the current state: a two-character terminal is
  // formed only where the state accepts it.
  TAVEX_STEP int lex(const char* at, int& length) const {
    const unsigned char c = static_cast<unsigned char>(*at);
    length = 1;
    const TwoCharTerminals& pairs = kTwoChar.of[c];
    if (pairs.count == 0) return kCharClass.of[c];  // also keeps eof from reading past the text
    const char next = at[1];  // only these ever end a two-character terminal
    if (next != '=' && next != '*' && next != '/' && next != '&' && next != '|')
      return kCharClass.of[c];
    for (int k = 0; k < pairs.count; ++k) {
      if (next == pairs.pair[k].second && pt::accepts(pt::kAction[state_][pairs.pair[k].term])) {
        length = 2;
        return pairs.pair[k].term;
      }
    }
    return kCharClass.of[c];
  }

  // The lookahead is read again only where it could read differently: at a
  // new position, or in a new state when its character may start a
  // two-character terminal.
  TAVEX_STEP void readLookahead() {
    const unsigned char c = static_cast<unsigned char>(*p_);
    if (p_ != lexedAt_ || (kTwoChar.of[c].count != 0 && state_ != lexedState_)) relex();
  }
  TAVEX_STEP void relex() {
    term_ = lex(p_, length_);
    lexedAt_ = p_;
    lexedState_ = state_;
  }

  // Moves past the lookahead; the entries set aside for a diagnosis are free
  // again once a token is consumed.
  TAVEX_STEP void consumeLookahead() {
    for (int k = 0; k < length_; ++k)
      advance(static_cast<unsigned char>(p_[k]), e_.inputLine_, e_.inputColumn_);
    p_ += length_;
    saved_ = 0;
    saving_ = false;
  }

  // Where the next lookahead is first examined, to restore on a syntax error.
  TAVEX_STEP void markExamined() {
    examinedState_ = state_;
    examinedDepth_ = depth_;
  }

  TAVEX_STEP void push(int state, ValueCell value) {
    assert(depth_ >= 0 && depth_ < kStackSize);
    stackState_[depth_] = static_cast<std::int16_t>(state);
    stackValue_[depth_] = value;
    ++depth_;
  }

  // The stack is full: the run ends (the engine reports it).
  TAVEX_STEP bool overflow() {
    e_.stackOverflow();
    return false;
  }

  // After a goto that starts a chain of action-free unit reductions, take the
  // whole chain the lookahead (read in the goto's state) leads to.
  TAVEX_STEP void followChain(pt::Goto g) {
    relex();
    state_ = pt::kChain[pt::chainRow(g)][term_];
    observer_.chained(state_);
  }

  // A character that only extends the pending symbol (a name, an integer
  // part, an exponent, white space or a comment) is consumed in place.
  TAVEX_STEP bool extendPending(int rule) {
    const unsigned char c = static_cast<unsigned char>(*p_);
    ValueCell& top = stackValue_[depth_ - 1];
    switch (pt::kRules[rule].act) {
      case pt::A_NAMEN:
        e_.pushNameChar(static_cast<char>(c));
        top.i += 1;
        break;
      case pt::A_INTN: top.d = arithmetic::integerDigit(top.d, c); break;
      case pt::A_EXPON: top.i = wrapInt(static_cast<std::int64_t>(top.i) * 10 + (c - 48)); break;
      default: break;  // white space and comments carry no value
    }
    observer_.extended(rule, p_, depth_, top);
    consumeLookahead();
    markExamined();
    return e_.status_ == ParseStatus::Running;
  }

  // The first character of a name, an integer part, an exponent or white
  // space starts its symbol: one new entry.
  TAVEX_STEP bool startSymbol(int rule) {
    const pt::Rule& r = pt::kRules[rule];
    const unsigned char c = static_cast<unsigned char>(*p_);
    ValueCell v;
    switch (r.act) {
      case pt::A_NAME1: v.i = 1; break;
      case pt::A_INT1: v.d = arithmetic::integerStart(c); break;
      case pt::A_EXPO1: v.i = c - 48; break;
      default: v.i = c; break;  // white space
    }
    const char* at = p_;
    consumeLookahead();
    if (depth_ >= kStackSize) return overflow();
    if (r.act == pt::A_NAME1) e_.pushNameChar(static_cast<char>(c));
    const pt::Goto g = pt::kGoto[state_][r.lhs];
    push(state_, v);
    state_ = pt::gotoState(g);
    observer_.started(rule, at, depth_, v, state_);
    markExamined();
    if (e_.status_ != ParseStatus::Running) return false;
    if (pt::hasChain(g)) followChain(g);
    return true;
  }

  TAVEX_STEP bool shift(int target) {
    if (depth_ >= kStackSize) return overflow();
    const unsigned char c = static_cast<unsigned char>(*p_);
    ValueCell token;
    token.i = c;
    push(state_, token);
    observer_.shifted(p_, length_, target, depth_);
    consumeLookahead();
    // A run of characters that each take an entry in the same state (the
    // digits of a fraction part) is pushed in a tight loop.
    if (target == state_ && kTwoChar.of[c].count == 0 && !shiftRun()) return false;
    state_ = target;
    markExamined();
    return true;
  }
  TAVEX_STEP bool shiftRun() {
    while (kCharClass.of[static_cast<unsigned char>(*p_)] == term_) {
      if (depth_ >= kStackSize) return overflow();
      ValueCell token;
      token.i = static_cast<unsigned char>(*p_);
      push(state_, token);
      observer_.shifted(p_, 1, state_, depth_);
      ++e_.inputColumn_;  // a digit: one column
      ++p_;
    }
    return true;
  }

  TAVEX_STEP bool accept() {
    e_.status_ = ParseStatus::Accepted;
    observer_.accepted();
    return false;
  }

  // A rule whose value is that of one of its right-side symbols only pops
  // entries and changes the state, then takes the chain of unit reductions
  // the lookahead starts.
  TAVEX_STEP bool popReduce(int rule) {
    const pt::Rule& r = pt::kRules[rule];
    assert(depth_ >= r.length);
    const int base = depth_ - r.length;
    if (r.act == pt::A_COPY1) stackValue_[base] = stackValue_[base + 1];
    depth_ = base + 1;
    const pt::Goto g = pt::kGoto[stackState_[base]][r.lhs];
    state_ = pt::gotoState(g);
    observer_.popped(rule, base, state_);
    if (pt::hasChain(g)) {
      if (kTwoChar.of[static_cast<unsigned char>(*p_)].count != 0) {
        term_ = lex(p_, length_);
        lexedState_ = state_;
      }
      state_ = pt::kChain[pt::chainRow(g)][term_];
      observer_.chained(state_);
    }
    return true;
  }

  // No explicit action: reduce by the state's default rule, setting aside
  // what the diagnosis needs, or report the syntax error.
  TAVEX_STEP bool reduceByDefault() {
    const int rule = pt::kDefaultRule[state_];
    if (rule >= 0) return reduce(rule, Reduction::ByDefault);
    state_ = examinedState_;  // the configuration of the first examination
    depth_ = examinedDepth_;
    e_.syntaxError(p_, term_, examinedState_);
    return false;
  }

  // Pops the right side, performs the rule's action, pushes the left side.
  TAVEX_STEP bool reduce(int rule, Reduction how) {
    const pt::Rule& r = pt::kRules[rule];
    ValueCell token;
    token.i = static_cast<unsigned char>(*p_);
    const char* tokenAt = p_;
    int popCount = r.length;
    if (how == Reduction::WithToken) {
      consumeLookahead();
      popCount -= 1;
    } else if (how == Reduction::ByDefault) {
      saving_ = true;
    }
    assert(depth_ >= popCount);
    const int base = depth_ - popCount;
    const int fromState = popCount > 0 ? stackState_[base] : state_;
    // A completing token stands as the last right-side symbol; the slot
    // beyond the entries holds it when the stack is full.
    if (how == Reduction::WithToken) {
      stackValue_[depth_] = token;
      observer_.completing(tokenAt, depth_);
    }
    if (saving_) ++saved_;
    if (base + 1 + saved_ > kStackSize) return overflow();

    ActionDetail detail;
    const ValueCell value = applyAction(r, &stackValue_[base], detail);
    pt::Goto g = pt::kGoto[fromState][r.lhs];
    observer_.reduced(rule, base, &stackValue_[base], value, detail, pt::gotoState(g));
    stackState_[base] = static_cast<std::int16_t>(fromState);
    stackValue_[base] = value;
    depth_ = base + 1;
    state_ = pt::gotoState(g);
    if (r.act == pt::A_FRACN || r.act == pt::A_FRAC1) g = foldFraction(g);
    if (how == Reduction::WithToken) markExamined();
    if (e_.status_ != ParseStatus::Running) return false;
    if (pt::hasChain(g) && !saving_) followChain(g);
    return true;
  }

  // The digits of a fraction part reduce right to left, one after another.
  TAVEX_STEP pt::Goto foldFraction(pt::Goto g) {
    constexpr pt::Action again = pt::makeAction(pt::Step::Reduce, pt::kFractionRule);
    constexpr int lhs = pt::kRules[pt::kFractionRule].lhs;
    while (!saving_ && pt::kAction[state_][term_] == again) {
      const int base = depth_ - 2;
      ValueCell value;
      value.d = arithmetic::fractionDigit(stackValue_[base].i, stackValue_[base + 1].d);
      g = pt::kGoto[stackState_[base]][lhs];
      observer_.reduced(pt::kFractionRule, base, &stackValue_[base], value, ActionDetail{},
                        pt::gotoState(g));
      stackValue_[base] = value;
      depth_ = base + 1;
      state_ = pt::gotoState(g);
    }
    return g;
  }

  // The value of a rule's left side from the values of its right side.
  TAVEX_STEP ValueCell applyAction(const pt::Rule& rule, const ValueCell* v, ActionDetail& d) {
    ValueCell r;
    r.d = 0.0;
    if (rule.length > 0) r = v[0];
    switch (rule.act) {
      case pt::A_NONE:
      case pt::A_COPY0: break;
      case pt::A_COPY1: r = v[1]; break;
      case pt::A_ASSIGN: variable(v[0].i, d) = v[2].d, r.d = v[2].d; break;
#define TAVEX_ASSIGNMENT(action, token, operation, function) \
  case pt::A_##action: r.d = assignWith<arithmetic::function>(v, d); break;
      TAVEX_ASSIGNMENT_OPERATORS(TAVEX_ASSIGNMENT)
#undef TAVEX_ASSIGNMENT
      case pt::A_COND: r.d = arithmetic::select(v[0].d, v[2].d, v[4].d); break;
#define TAVEX_BINARY(action, level, left, token, right, operation, function, checksDivisor) \
  case pt::A_##action: r.d = operate<arithmetic::function, checksDivisor>(v[0].d, v[2].d); break;
      TAVEX_BINARY_OPERATORS(TAVEX_BINARY)
#undef TAVEX_BINARY
#define TAVEX_PREFIX(action, token, operation, function) \
  case pt::A_##action: r.d = arithmetic::function(v[1].d); break;
      TAVEX_PREFIX_OPERATORS(TAVEX_PREFIX, TAVEX_NO_OPERATOR)
#undef TAVEX_PREFIX
      case pt::A_VAR: r.d = variable(v[0].i, d); break;
      case pt::A_CALL: r.d = e_.callBuiltin(v[0].i, v[2].i, &d.builtin); break;
      case pt::A_ARGS0: r.i = 0; break;
      case pt::A_ARG1: e_.pushArgument(v[0].d), r.i = 1; break;
      case pt::A_ARGN: e_.pushArgument(v[2].d), r.i = v[0].i + 1; break;
      case pt::A_EXP_PLUS: r.d = v[0].d * std::pow(10.0, v[2].i); break;
      case pt::A_EXP_PLUS_SIGN: r.d = v[0].d * std::pow(10.0, v[3].i); break;
      case pt::A_EXP_MINUS:
        r.d = v[0].d * std::pow(10.0, wrapInt(-static_cast<std::int64_t>(v[3].i)));
        break;
      case pt::A_INT_FRAC: r.d = v[0].d + v[2].d; break;
      case pt::A_INT1: r.d = arithmetic::integerStart(v[0].i); break;
      case pt::A_INTN: r.d = arithmetic::integerDigit(v[0].d, v[1].i); break;
      case pt::A_FRAC1: r.d = arithmetic::fractionStart(v[0].i); break;
      case pt::A_FRACN: r.d = arithmetic::fractionDigit(v[0].i, v[1].d); break;
      case pt::A_EXPO1: r.i = v[0].i - 48; break;
      case pt::A_EXPON:
        r.i = wrapInt(static_cast<std::int64_t>(v[0].i) * 10 + (v[1].i - 48));
        break;
      case pt::A_NAME1: e_.pushNameChar(static_cast<char>(v[0].i)), r.i = 1; break;
      case pt::A_NAMEN: e_.pushNameChar(static_cast<char>(v[1].i)), r.i = v[0].i + 1; break;
    }
    return r;
  }

  // "name op= expression": the variable's new value.
  template <double (*Operation)(double, double)>
  TAVEX_STEP double assignWith(const ValueCell* v, ActionDetail& d) {
    double& cell = variable(v[0].i, d);
    cell = Operation(cell, v[2].d);
    return cell;
  }

  // The variable whose name's characters are on top of the name stack.
  TAVEX_STEP double& variable(int nameLength, ActionDetail& d) {
    double& cell = e_.lookupVariable(e_.popName(nameLength));
    d.cell = &cell;
    return cell;
  }

  // A binary operator's value; where the operator checks its divisor ("/"),
  // a zero divisor raises the error and divides by 1 instead.
  template <double (*Operation)(double, double), bool checksDivisor>
  TAVEX_STEP double operate(double p, double q) {
    if (checksDivisor && q == 0.0) {
      e_.raiseError("Divide by Zero");
      return p / 1.0;
    }
    return Operation(p, q);
  }

  ExpressionEngine& e_;
  Observer& observer_;
  const char* p_;       // the unconsumed input
  int state_ = 0;
  int depth_ = 0;       // entries on the stack
  int term_ = 0;        // the lookahead, its length, where and in which state it was read
  int length_ = 1;
  const char* lexedAt_ = nullptr;
  int lexedState_ = -1;
  int examinedState_ = 0;  // where the lookahead was first examined
  int examinedDepth_ = 0;
  int saved_ = 0;          // entries the default reductions since then set aside
  bool saving_ = false;
  // Entry k: the state from which its symbol was shifted and the symbol's value.
  std::int16_t stackState_[kStackSize];
  ValueCell stackValue_[kStackSize + 1];
};

#undef TAVEX_STEP

}  // namespace tavex::detail
