#include "expr/engine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "parser_tables.h"

namespace tavex {

namespace pt = parser_tables;

namespace {

// Character classes of the lexer, indexed by unsigned byte.
constexpr auto kCharClass = [] {
  struct Table {
    std::uint8_t c[256];
  } t{};
  for (int i = 0; i < 256; ++i) t.c[i] = pt::T_OTHER;
  auto at = [&t](unsigned char ch) -> std::uint8_t& { return t.c[ch]; };
  t.c[0] = pt::T_EOF;
  for (int ch = 'A'; ch <= 'Z'; ++ch) at(static_cast<unsigned char>(ch)) = pt::T_LETTER;
  for (int ch = 'a'; ch <= 'z'; ++ch) at(static_cast<unsigned char>(ch)) = pt::T_LETTER;
  at('_') = pt::T_LETTER;
  at('E') = pt::T_E;
  at('e') = pt::T_E;
  for (int ch = '0'; ch <= '9'; ++ch) at(static_cast<unsigned char>(ch)) = pt::T_DIGIT;
  at(' ') = at('\t') = at('\v') = at('\f') = at('\r') = pt::T_SP;
  at('\n') = pt::T_NL;
  at('=') = pt::T_ASSIGN;
  at(':') = pt::T_COLON;
  at('?') = pt::T_QUEST;
  at('<') = pt::T_LT;
  at('>') = pt::T_GT;
  at('+') = pt::T_PLUS;
  at('-') = pt::T_MINUS;
  at('*') = pt::T_STAR;
  at('/') = pt::T_SLASH;
  at(')') = pt::T_RPAR;
  at('(') = pt::T_LPAR;
  at('!') = pt::T_BANG;
  at(',') = pt::T_COMMA;
  at(';') = pt::T_SEMI;
  at('.') = pt::T_DOT;
  return t;
}();

// Two-character terminals by first character: second character and terminal.
struct Pair {
  char second;
  std::uint8_t term;
};
struct PairList {
  Pair p[3];
  int n;
};
constexpr PairList pairsFor(unsigned char c) {
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
constexpr auto kPairs = [] {
  struct Table {
    PairList l[256];
  } t{};
  for (int i = 0; i < 256; ++i) t.l[i] = pairsFor(static_cast<unsigned char>(i));
  return t;
}();

// Truth of a value: a NaN counts as false (zero).
inline bool truth(double v) { return v < 0.0 || v > 0.0; }

// Moves the position over one consumed character.
constexpr auto kPlainColumn = [] {
  struct Table {
    bool c[256];
  } t{};
  for (int i = 0; i < 256; ++i) t.c[i] = i != '\n' && i != '\t' && i != '\f' && i != '\r';
  return t;
}();
inline void advance(unsigned char c, int& line, int& column) {
  if (kPlainColumn.c[c]) {
    ++column;
    return;
  }
  switch (c) {
    case '\n':
      ++line;
      column = 1;
      break;
    case '\t':
      column += 8 - ((column - 1) % 8);
      break;
    case '\f':
    case '\r':
      break;
    default:
      ++column;
  }
}

inline std::int32_t wrapInt(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

// Built-in functions: each checks its arity first.
template <double (*F)(double)>
double unary(int argc, const double* args) {
  if (argc != 1) {
    ExpressionEngine::instance().raiseError("Wrong Number of Arguments");
    return 0.0;
  }
  return F(args[0]);
}
template <double (*F)(double, double)>
double binary(int argc, const double* args) {
  if (argc != 2) {
    ExpressionEngine::instance().raiseError("Wrong Number of Arguments");
    return 0.0;
  }
  return F(args[0], args[1]);
}
double fAcos(double x) { return std::acos(x); }
double fAsin(double x) { return std::asin(x); }
double fAtan(double x) { return std::atan(x); }
double fAtan2(double y, double x) { return std::atan2(y, x); }
double fCos(double x) { return std::cos(x); }
double fCosh(double x) { return std::cosh(x); }
double fExp(double x) { return std::exp(x); }
double fFabs(double x) { return std::fabs(x); }
double fFmod(double x, double y) { return std::fmod(x, y); }
double fLog(double x) { return std::log(x); }
double fLog10(double x) { return std::log10(x); }
double fSin(double x) { return std::sin(x); }
double fSinh(double x) { return std::sinh(x); }
double fSqrt(double x) { return std::sqrt(x); }
double fTan(double x) { return std::tan(x); }
double fTanh(double x) { return std::tanh(x); }

}  // namespace

const BuiltinEntry BuiltinTable::entries[BuiltinTable::kSize] = {
    {"acos", unary<fAcos>},   {"asin", unary<fAsin>},   {"atan", unary<fAtan>},
    {"atan2", binary<fAtan2>}, {"cos", unary<fCos>},     {"cosh", unary<fCosh>},
    {"exp", unary<fExp>},     {"fabs", unary<fFabs>},   {"fmod", binary<fFmod>},
    {"log", unary<fLog>},     {"log10", unary<fLog10>}, {"sin", unary<fSin>},
    {"sinh", unary<fSinh>},   {"sqrt", unary<fSqrt>},   {"tan", unary<fTan>},
    {"tanh", unary<fTanh>},
};

const char* statusName(ParseStatus status) {
  switch (status) {
    case ParseStatus::Running: return "Running";
    case ParseStatus::Accepted: return "Accepted";
    case ParseStatus::SyntaxError: return "SyntaxError";
    case ParseStatus::StackOverflow: return "StackOverflow";
    case ParseStatus::SemanticError: return "SemanticError";
  }
  return "Unknown";
}

ExpressionEngine& ExpressionEngine::instance() {
  static ExpressionEngine engine;
  return engine;
}

ExpressionEngine::~ExpressionEngine() {
  for (int i = 0; i < symbolTable_.count; ++i) delete[] symbolTable_.entries[i].name;
}

void ExpressionEngine::resetStacks() {
  characterStack_.top = 0;
  argumentStack_.top = 0;
}

void ExpressionEngine::pushNameChar(char c) {
  if (characterStack_.top >= CharacterStack::kCapacity) {
    raiseError("Character Stack Overflow");
    return;
  }
  characterStack_.chars[characterStack_.top++] = c;
}

const char* ExpressionEngine::popName(int n) {
  CharacterStack& cs = characterStack_;
  cs.chars[cs.top] = '\0';
  if (n > cs.top) n = cs.top;  // a count never exceeds what was pushed; guard anyway
  if (n < 0) n = 0;
  cs.top -= n;
  return &cs.chars[cs.top];
}

double& ExpressionEngine::lookupVariable(const char* name) {
  SymbolTable& st = symbolTable_;
  int low = 0, high = st.count - 1;
  const unsigned char first = static_cast<unsigned char>(name[0]);
  while (low <= high) {
    int middle = (low + high) / 2;
    const char* other = st.entries[middle].name;
    // Most names differ in their first byte: decide those without a call.
    int c = static_cast<int>(first) - static_cast<unsigned char>(other[0]);
    if (c == 0 && first != 0) c = std::strcmp(name + 1, other + 1);
    if (c == 0) return st.entries[middle].value;
    if (c < 0) high = middle - 1;
    else low = middle + 1;
  }
  if (st.count >= SymbolTable::kCapacity) {
    raiseError("Symbol Table Full");
    return scratchCell_;
  }
  std::memmove(&st.entries[low + 1], &st.entries[low],
               static_cast<size_t>(st.count - low) * sizeof(SymbolEntry));
  size_t len = std::strlen(name);
  char* copy = new char[len + 1];
  std::memcpy(copy, name, len + 1);
  st.entries[low] = SymbolEntry{copy, 0.0};
  ++st.count;
  return st.entries[low].value;
}

void ExpressionEngine::pushArgument(double value) {
  if (argumentStack_.top >= ArgumentStack::kCapacity) {
    raiseError("Argument Stack Full");
    return;
  }
  argumentStack_.values[argumentStack_.top++] = value;
}

const double* ExpressionEngine::popArguments(int n) {
  ArgumentStack& as = argumentStack_;
  if (n > as.top) n = as.top;
  if (n < 0) n = 0;
  as.top -= n;
  return &as.values[as.top];
}

double ExpressionEngine::callBuiltin(int nameLength, int argumentCount) {
  const char* name = popName(nameLength);
  const double* args = popArguments(argumentCount);
  int low = 0, high = BuiltinTable::kSize - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    int c = std::strcmp(name, BuiltinTable::entries[middle].name);
    if (c == 0) return BuiltinTable::entries[middle].function(argumentCount, args);
    if (c < 0) high = middle - 1;
    else low = middle + 1;
  }
  raiseError("Unknown Function");
  return 0.0;
}

void ExpressionEngine::raiseError(const char* message) {
  if (status_ == ParseStatus::Running) status_ = ParseStatus::SemanticError;
  errorRecord_.message = message;
  errorRecord_.errorLine = inputLine_;
  errorRecord_.errorColumn = inputColumn_;
}

void ExpressionEngine::stackOverflow() {
  status_ = ParseStatus::StackOverflow;
  std::fprintf(stderr, "\nParser stack overflow, line %d, column %d\n", inputLine_, inputColumn_);
}

void ExpressionEngine::syntaxError(const char* at, int term, int examinedState) {
  status_ = ParseStatus::SyntaxError;
  int sole = pt::kSoleTerminal[examinedState];
  auto named = [](int t) -> const char* {
    if (t == pt::T_EOF) return "eof";
    if (t == pt::T_DIGIT) return "digit";
    return nullptr;
  };
  unsigned char c = static_cast<unsigned char>(*at);
  if (sole >= 0 && named(sole)) {
    std::snprintf(messageBuffer_, sizeof messageBuffer_, "Missing %s", named(sole));
  } else if (named(term)) {
    std::snprintf(messageBuffer_, sizeof messageBuffer_, "Unexpected %s", named(term));
  } else if (c >= 0x20 && c <= 0x7E && c != '\\') {
    std::snprintf(messageBuffer_, sizeof messageBuffer_, "Unexpected '%c'", c);
  } else {
    std::snprintf(messageBuffer_, sizeof messageBuffer_, "Unexepected input");
  }
  raiseError(messageBuffer_);
  if (c != 0) advance(c, inputLine_, inputColumn_);
}

ParseStatus ExpressionEngine::runText(const char* text) {
  const char* p = text ? text : "";
  inputLine_ = 1;
  inputColumn_ = 1;
  status_ = ParseStatus::Running;

  // Entry k holds the state from which its symbol was shifted and the symbol's value.
  // One value slot beyond the entries holds a token that is reduced as soon as it
  // is read; it never becomes an entry.
  std::int16_t stackState[kParseStackSize];
  ValueCell stackValue[kParseStackSize + 1];
  int depth = 0;
  int state = 0;
  // Where the current lookahead was first examined, for the diagnosis, and how
  // many entries the default reductions since then have set aside to restore it.
  int examinedState = 0;
  int examinedDepth = 0;
  int saved = 0;
  bool saving = false;

  // Reads the lookahead in the current state: a two-character terminal is
  // formed only where the state accepts it.
  auto lex = [&state](const char* at, int& length) -> int {
    const unsigned char ch = static_cast<unsigned char>(*at);
    length = 1;
    const PairList& pairs = kPairs.l[ch];
    if (pairs.n == 0) return kCharClass.c[ch];  // also keeps eof from reading past the text
    // Only these characters ever end a two-character terminal.
    const char next = at[1];
    if (next != '=' && next != '*' && next != '/' && next != '&' && next != '|')
      return kCharClass.c[ch];
    for (int k = 0; k < pairs.n; ++k) {
      if (at[1] == pairs.p[k].second && pt::kAction[state][pairs.p[k].term] != 0) {
        length = 2;
        return pairs.p[k].term;
      }
    }
    return kCharClass.c[ch];
  };

  // The lookahead is read again only where it could read differently: at a
  // new position, or in a new state when its character may start a
  // two-character terminal.
  const char* lexedAt = nullptr;
  int lexedState = -1;
  int term = 0;
  int length = 1;
  static const int fracnRule = [] {
    for (int r = 0; r < pt::kNumRules; ++r)
      if (pt::kRules[r].act == pt::A_FRACN) return r;
    return 0;
  }();
  for (;;) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (p != lexedAt || (kPairs.l[c].n && state != lexedState)) {
      term = lex(p, length);
      lexedAt = p;
      lexedState = state;
    }
    std::uint16_t action = pt::kAction[state][term];
    int kind = action >> 14;
    int payload = action & 0x3FFF;

    // A character that only extends the pending symbol (a name, an integer
    // part, an exponent, white space or a comment) is consumed in place.
    if (kind == pt::K_SHIFT_REDUCE && pt::kExtendRule[payload]) {
      ValueCell& top = stackValue[depth - 1];
      switch (pt::kRules[payload].act) {
        case pt::A_NAMEN:
          pushNameChar(static_cast<char>(c));
          top.i += 1;
          break;
        case pt::A_INTN: top.d = top.d * 10 + c - 48; break;
        case pt::A_EXPON: top.i = wrapInt(static_cast<std::int64_t>(top.i) * 10 + (c - 48)); break;
        default: break;
      }
      for (int k = 0; k < length; ++k) advance(static_cast<unsigned char>(p[k]), inputLine_, inputColumn_);
      p += length;
      saved = 0;
      saving = false;
      examinedState = state;
      examinedDepth = depth;
      if (status_ != ParseStatus::Running) return status_;
      continue;
    }

    // The first character of a name, an integer part, an exponent or white
    // space starts its symbol: one new entry.
    if (kind == pt::K_SHIFT_REDUCE && payload != 0 && pt::kRules[payload].length == 1) {
      const pt::Rule& rr = pt::kRules[payload];
      ValueCell v;
      bool handled = true;
      switch (rr.act) {
        case pt::A_NAME1:
          v.i = 1;
          break;
        case pt::A_INT1: v.d = c - 48; break;
        case pt::A_EXPO1: v.i = c - 48; break;
        case pt::A_NONE: v.i = c; break;
        default: handled = false;
      }
      if (handled) {
        for (int k = 0; k < length; ++k) advance(static_cast<unsigned char>(p[k]), inputLine_, inputColumn_);
        p += length;
        saved = 0;
        saving = false;
        if (depth >= kParseStackSize) {
          stackOverflow();
          return status_;
        }
        if (rr.act == pt::A_NAME1) pushNameChar(static_cast<char>(c));
        stackState[depth] = static_cast<std::int16_t>(state);
        stackValue[depth] = v;
        const std::uint32_t g = pt::kGoto[state][rr.lhs];
        ++depth;
        state = static_cast<int>(g & 0xFFFF);
        examinedState = state;
        examinedDepth = depth;
        if (status_ != ParseStatus::Running) return status_;
        if (g >> 16) {
          term = lex(p, length);
          lexedAt = p;
          lexedState = state;
          state = pt::kChain[(g >> 16) - 1][term];
        }
        continue;
      }
    }

    // Explicit reductions whose value is that of a right-side symbol (a unit
    // rule, a token folding its white space, a parenthesised expression) only
    // pop entries and change the state: take them, and the chain of unit
    // reductions the lookahead starts, at once.
    if (kind == pt::K_REDUCE && !saving) {
      const pt::Rule& rr = pt::kRules[payload];
      const bool copy = rr.act == pt::A_NONE || rr.act == pt::A_COPY0 || rr.act == pt::A_COPY1;
      if (copy && rr.length >= 1) {
        const int base = depth - rr.length;
        if (rr.act == pt::A_COPY1) stackValue[base] = stackValue[base + 1];
        depth = base + 1;
        std::uint32_t g = pt::kGoto[stackState[base]][rr.lhs];
        state = static_cast<int>(g & 0xFFFF);
        if (g >> 16) {
          if (kPairs.l[c].n) {
            term = lex(p, length);
            lexedState = state;
          }
          state = pt::kChain[(g >> 16) - 1][term];
        }
        continue;
      }
    }

    bool byDefault = false;
    if (kind == pt::K_ERROR) {
      int rule = pt::kDefaultRule[state];
      if (rule < 0) {
        state = examinedState;  // restore the configuration of the first examination
        depth = examinedDepth;
        syntaxError(p, term, examinedState);
        return status_;
      }
      kind = pt::K_REDUCE;
      payload = rule;
      byDefault = true;
    }

    ValueCell tokenValue;
    tokenValue.i = c;
    int rule;
    int popCount;
    if (kind == pt::K_SHIFT) {
      if (depth >= kParseStackSize) {
        stackOverflow();
        return status_;
      }
      stackState[depth] = static_cast<std::int16_t>(state);
      stackValue[depth] = tokenValue;
      ++depth;
      for (int k = 0; k < length; ++k) advance(static_cast<unsigned char>(p[k]), inputLine_, inputColumn_);
      p += length;
      if (payload == state && !kPairs.l[c].n) {
        // A run of characters that each hold an entry in the same state (the
        // digits of a fraction part): push them in a tight loop.
        while (kCharClass.c[static_cast<unsigned char>(*p)] == term) {
          if (depth >= kParseStackSize) {
            stackOverflow();
            return status_;
          }
          stackState[depth] = static_cast<std::int16_t>(state);
          stackValue[depth].i = static_cast<unsigned char>(*p);
          ++depth;
          ++inputColumn_;
          ++p;
        }
      }
      state = payload;
      examinedState = state;
      examinedDepth = depth;
      saved = 0;
      saving = false;
      continue;
    }
    if (kind == pt::K_SHIFT_REDUCE) {
      rule = payload;
      if (rule == 0) {
        status_ = ParseStatus::Accepted;
        return status_;
      }
      for (int k = 0; k < length; ++k) advance(static_cast<unsigned char>(p[k]), inputLine_, inputColumn_);
      p += length;
      saved = 0;
      saving = false;
      popCount = pt::kRules[rule].length - 1;
    } else {
      rule = payload;
      popCount = pt::kRules[rule].length;
      if (byDefault) saving = true;
    }

    // Reduce: pop the right side, perform the action, push the left side.
    int base = depth - popCount;
    int fromState = popCount > 0 ? stackState[base] : state;
    ValueCell* v = &stackValue[base];
    if (kind == pt::K_SHIFT_REDUCE) {
      stackValue[depth] = tokenValue;  // the token stands as the last right-side symbol
    }
    if (saving) ++saved;
    if (base + 1 + saved > kParseStackSize) {
      stackOverflow();
      return status_;
    }

    ValueCell r;
    r.d = 0.0;
    if (pt::kRules[rule].length > 0) r = v[0];
    const pt::Act act = pt::kRules[rule].act;
    if (act != pt::A_NONE && act != pt::A_COPY0) switch (act) {
      case pt::A_NONE:
      case pt::A_COPY0:
        break;
      case pt::A_COPY1:
        r = v[1];
        break;
      case pt::A_ASSIGN: {
        double& cell = lookupVariable(popName(v[0].i));
        cell = v[2].d;
        r.d = v[2].d;
        break;
      }
      case pt::A_ADD_ASSIGN: {
        double& cell = lookupVariable(popName(v[0].i));
        cell = cell + v[2].d;
        r.d = cell;
        break;
      }
      case pt::A_SUB_ASSIGN: {
        double& cell = lookupVariable(popName(v[0].i));
        cell = cell - v[2].d;
        r.d = cell;
        break;
      }
      case pt::A_MUL_ASSIGN: {
        double& cell = lookupVariable(popName(v[0].i));
        cell = cell * v[2].d;
        r.d = cell;
        break;
      }
      case pt::A_DIV_ASSIGN: {
        double& cell = lookupVariable(popName(v[0].i));
        cell = cell / v[2].d;
        r.d = cell;
        break;
      }
      case pt::A_COND: r.d = truth(v[0].d) ? v[2].d : v[4].d; break;
      case pt::A_OR: r.d = (truth(v[0].d) || truth(v[2].d)) ? 1.0 : 0.0; break;
      case pt::A_AND: r.d = (truth(v[0].d) && truth(v[2].d)) ? 1.0 : 0.0; break;
      // With a NaN operand "==", ">" and ">=" give 1, "!=", "<" and "<=" give 0.
      case pt::A_EQ: r.d = !(v[0].d < v[2].d || v[0].d > v[2].d) ? 1.0 : 0.0; break;
      case pt::A_NE: r.d = (v[0].d < v[2].d || v[0].d > v[2].d) ? 1.0 : 0.0; break;
      case pt::A_LT: r.d = v[0].d < v[2].d ? 1.0 : 0.0; break;
      case pt::A_LE: r.d = v[0].d <= v[2].d ? 1.0 : 0.0; break;
      case pt::A_GT: r.d = !(v[0].d <= v[2].d) ? 1.0 : 0.0; break;
      case pt::A_GE: r.d = !(v[0].d < v[2].d) ? 1.0 : 0.0; break;
      case pt::A_ADD: r.d = v[0].d + v[2].d; break;
      case pt::A_SUB: r.d = v[0].d - v[2].d; break;
      case pt::A_MUL: r.d = v[0].d * v[2].d; break;
      case pt::A_DIV:
        if (v[2].d == 0.0) {
          raiseError("Divide by Zero");
          r.d = v[0].d / 1.0;
        } else {
          r.d = v[0].d / v[2].d;
        }
        break;
      case pt::A_POW: r.d = std::pow(v[0].d, v[2].d); break;
      case pt::A_VAR: r.d = lookupVariable(popName(v[0].i)); break;
      case pt::A_CALL: r.d = callBuiltin(v[0].i, v[2].i); break;
      case pt::A_NEG: r.d = -v[1].d; break;
      case pt::A_NOT: r.d = truth(v[1].d) ? 0.0 : 1.0; break;
      case pt::A_ARGS0: r.i = 0; break;
      case pt::A_ARG1:
        pushArgument(v[0].d);
        r.i = 1;
        break;
      case pt::A_ARGN:
        pushArgument(v[2].d);
        r.i = v[0].i + 1;
        break;
      case pt::A_EXP_PLUS: r.d = v[0].d * std::pow(10.0, v[2].i); break;
      case pt::A_EXP_PLUS_SIGN: r.d = v[0].d * std::pow(10.0, v[3].i); break;
      case pt::A_EXP_MINUS: r.d = v[0].d * std::pow(10.0, wrapInt(-static_cast<std::int64_t>(v[3].i))); break;
      case pt::A_INT_FRAC: r.d = v[0].d + v[2].d; break;
      case pt::A_INT1: r.d = v[0].i - 48; break;
      case pt::A_INTN: r.d = v[0].d * 10 + v[1].i - 48; break;
      case pt::A_FRAC1: r.d = (v[0].i - 48) * 0.1; break;
      case pt::A_FRACN: r.d = ((v[0].i - 48) + v[1].d) * 0.1; break;
      case pt::A_EXPO1: r.i = v[0].i - 48; break;
      case pt::A_EXPON: r.i = wrapInt(static_cast<std::int64_t>(v[0].i) * 10 + (v[1].i - 48)); break;
      case pt::A_NAME1:
        pushNameChar(static_cast<char>(v[0].i));
        r.i = 1;
        break;
      case pt::A_NAMEN:
        pushNameChar(static_cast<char>(v[1].i));
        r.i = v[0].i + 1;
        break;
    }

    stackState[base] = static_cast<std::int16_t>(fromState);
    stackValue[base] = r;
    depth = base + 1;
    std::uint32_t g = pt::kGoto[fromState][pt::kRules[rule].lhs];
    state = static_cast<int>(g & 0xFFFF);
    if (act == pt::A_FRACN || act == pt::A_FRAC1) {
      // The digits of a fraction part reduce right to left, one after another.
      const std::uint16_t again = static_cast<std::uint16_t>(pt::K_REDUCE << 14 | fracnRule);
      while (!saving && pt::kAction[state][term] == again) {
        base = depth - 2;
        fromState = stackState[base];
        stackValue[base].d = ((stackValue[base].i - 48) + stackValue[base + 1].d) * 0.1;
        depth = base + 1;
        g = pt::kGoto[fromState][pt::kRules[fracnRule].lhs];
        state = static_cast<int>(g & 0xFFFF);
      }
    }
    if (kind == pt::K_SHIFT_REDUCE) {
      examinedState = state;
      examinedDepth = depth;
    }
    if (status_ != ParseStatus::Running) return status_;
    // Follow the chain of action-free unit reductions the next lookahead starts.
    if ((g >> 16) && !saving) {
      term = lex(p, length);
      lexedAt = p;
      lexedState = state;
      state = pt::kChain[(g >> 16) - 1][term];
    }
  }
}

}  // namespace tavex
