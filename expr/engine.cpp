// SPDX-License-Identifier: GPL-3.0-or-later
#include "expr/engine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "expr/parser.h"

namespace tavex {

namespace pt = parser_tables;

namespace {

// Built-in functions: each checks its arity first.
template <double (*F)(double)>
double unary(ExpressionEngine& engine, int argc, const double* args) {
  if (argc != 1) {
    engine.raiseError("Wrong Number of Arguments");
    return 0.0;
  }
  return F(args[0]);
}
template <double (*F)(double, double)>
double binary(ExpressionEngine& engine, int argc, const double* args) {
  if (argc != 2) {
    engine.raiseError("Wrong Number of Arguments");
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

#define TAVEX_UNARY(name, f) {name, unary<f>, f, nullptr}
#define TAVEX_BINARY(name, f) {name, binary<f>, nullptr, f}
const BuiltinEntry BuiltinTable::entries[BuiltinTable::kSize] = {
    TAVEX_UNARY("acos", fAcos),   TAVEX_UNARY("asin", fAsin),   TAVEX_UNARY("atan", fAtan),
    TAVEX_BINARY("atan2", fAtan2), TAVEX_UNARY("cos", fCos),     TAVEX_UNARY("cosh", fCosh),
    TAVEX_UNARY("exp", fExp),     TAVEX_UNARY("fabs", fFabs),   TAVEX_BINARY("fmod", fFmod),
    TAVEX_UNARY("log", fLog),     TAVEX_UNARY("log10", fLog10), TAVEX_UNARY("sin", fSin),
    TAVEX_UNARY("sinh", fSinh),   TAVEX_UNARY("sqrt", fSqrt),   TAVEX_UNARY("tan", fTan),
    TAVEX_UNARY("tanh", fTanh),
};
#undef TAVEX_UNARY
#undef TAVEX_BINARY

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

ExpressionEngine::ExpressionEngine() {
  const char* trace = std::getenv("TAVEX_TRACE_PARSE");
  if (trace != nullptr && *trace != '\0') trace_ = stderr;
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

double ExpressionEngine::callBuiltin(int nameLength, int argumentCount,
                                     const BuiltinEntry** called) {
  const char* name = popName(nameLength);
  const double* args = popArguments(argumentCount);
  int low = 0, high = BuiltinTable::kSize - 1;
  while (low <= high) {
    int middle = (low + high) / 2;
    int c = std::strcmp(name, BuiltinTable::entries[middle].name);
    if (c == 0) {
      if (called != nullptr) *called = &BuiltinTable::entries[middle];
      return BuiltinTable::entries[middle].function(*this, argumentCount, args);
    }
    if (c < 0) high = middle - 1;
    else low = middle + 1;
  }
  raiseError("Unknown Function");
  return 0.0;
}

void ExpressionEngine::raiseError(const char* message) {
  ++errorsRaised_;
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
  if (trace_ != nullptr) [[unlikely]] {
    detail::Trace trace{trace_};
    return detail::Parser<detail::Trace>(*this, text, trace).run();
  }
  detail::Silent silent;
  return detail::Parser<detail::Silent>(*this, text, silent).run();
}

}  // namespace tavex
