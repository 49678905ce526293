// SPDX-License-Identifier: GPL-3.0-or-later
// Language, values, statuses, messages and positions of the expression engine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "expr/engine.h"

namespace tavex {
namespace {

// One engine for most tests, as the program has one; tests that need an
// empty symbol table make their own.
ExpressionEngine& engine() {
  static ExpressionEngine shared;
  return shared;
}

ParseStatus run(const std::string& text) {
  engine().resetStacks();
  return engine().runText(text.c_str());
}

double var(const char* name) {
  const SymbolTable& st = engine().symbolTable();
  for (int i = 0; i < st.count; ++i)
    if (std::strcmp(st.entries[i].name, name) == 0) return st.entries[i].value;
  ADD_FAILURE() << "no variable " << name;
  return NAN;
}

bool hasVar(const char* name) {
  const SymbolTable& st = engine().symbolTable();
  for (int i = 0; i < st.count; ++i)
    if (std::strcmp(st.entries[i].name, name) == 0) return true;
  return false;
}

struct ValueCase {
  const char* text;
  double expected;
};

// Each text assigns its result to v.
TEST(EngineValues, OperatorsPrecedenceAndNumbers) {
  const ValueCase cases[] = {
      {"v = 2**3**2", 512},
      {"v = -2**2", 4},
      {"v = 2**-1", 0.5},
      {"v = 1+-2", -1},
      {"v = 7 - 2 - 1", 4},
      {"v = 12 / 3 / 2", 2},
      {"v = 1 + 2 * 3", 7},
      {"v = (1 + 2) * 3", 9},
      {"v = 1 < 2 == 1", 1},
      {"v = 1 + 2 < 2", 0},
      {"v = 2 >= 2 && 3 > 2", 1},
      {"v = 0 || 0", 0},
      {"v = 0 || 3", 1},
      {"v = !0", 1},
      {"v = !5", 0},
      {"v = 1 ? 2 : 3", 2},
      {"v = 0 ? 2 : 0 ? 3 : 4", 4},
      {"v = 1 ? w1 = 5 : 6", 5},
      {"v = 1.", 1},
      {"v = .5", 0.5},
      {"v = 1.e2", 100},
      {"v = 2E+3", 2000},
      {"v = 1e-2", 0.01},
      {"v = 00012", 12},
      {"v = +3", 3},
      {"v = - - 3", 3},
      {"v = 3 != 3", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(run(c.text), ParseStatus::Accepted);
    EXPECT_EQ(var("v"), c.expected);
  }
}

TEST(EngineValues, NumbersAreBuiltDigitByDigit) {
  // The fraction is accumulated right to left with the factor 0.1, so results
  // differ from the correctly rounded literal where the arithmetic rounds.
  ASSERT_EQ(run("v = 0.3"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), 3 * 0.1);
  EXPECT_NE(var("v"), 0.3);
  ASSERT_EQ(run("v = 123.456"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), 123.0 + (4 + (5 + 6 * 0.1) * 0.1) * 0.1);
  ASSERT_EQ(run("v = 1.5e3"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), (1.0 + 5 * 0.1) * std::pow(10.0, 3));
  ASSERT_EQ(run("v = 25e-1"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), 25.0 * std::pow(10.0, -1));
  // The exponent is a wrapping 32-bit integer: 4294967297 wraps to 1.
  ASSERT_EQ(run("v = 3e4294967297"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), 30);
  ASSERT_EQ(run("v = 1e400"), ParseStatus::Accepted);
  EXPECT_TRUE(std::isinf(var("v")));
}

TEST(EngineValues, AssignmentOperatorsAndOrder) {
  ASSERT_EQ(run("p = 10, p += 5, q = p"), ParseStatus::Accepted);
  EXPECT_EQ(var("p"), 15);
  EXPECT_EQ(var("q"), 15);
  ASSERT_EQ(run("p -= 3; p *= 2; p /= 4"), ParseStatus::Accepted);
  EXPECT_EQ(var("p"), 6);
  ASSERT_EQ(run("p /= 0"), ParseStatus::Accepted);  // no zero test: IEEE result
  EXPECT_TRUE(std::isinf(var("p")));
  ASSERT_EQ(run("a1 = 1, b1 = a1 + 1"), ParseStatus::Accepted);
  EXPECT_EQ(var("b1"), 2);
  ASSERT_EQ(run("c1 = c2 = 4"), ParseStatus::Accepted);  // right-associative
  EXPECT_EQ(var("c1"), 4);
  EXPECT_EQ(var("c2"), 4);
  // Both branches are evaluated, so both assignments happen.
  ASSERT_EQ(run("d1 = 1 ? (d2 = 7) : (d3 = 8)"), ParseStatus::Accepted);
  EXPECT_EQ(var("d2"), 7);
  EXPECT_EQ(var("d3"), 8);
  // Functions and variables have separate name spaces.
  ASSERT_EQ(run("sin = 3, v = sin(sin)"), ParseStatus::Accepted);
  EXPECT_EQ(var("v"), std::sin(3.0));
}

TEST(EngineValues, NaNComparisonsAndTruth) {
  ASSERT_EQ(run("n0 = sqrt(-1)"), ParseStatus::Accepted);
  const ValueCase cases[] = {
      {"v = n0 == 1", 1}, {"v = n0 != 1", 0}, {"v = n0 > 1", 1},      {"v = n0 >= 1", 1},
      {"v = n0 < 1", 0},  {"v = n0 <= 1", 0}, {"v = n0 ? 1 : 2", 2},  {"v = n0 && 1", 0},
      {"v = n0 || 0", 0}, {"v = !n0", 1},     {"v = 1 == n0", 1},     {"v = n0 || 1", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(run(c.text), ParseStatus::Accepted);
    EXPECT_EQ(var("v"), c.expected);
  }
}

TEST(EngineValues, Builtins) {
  struct Call {
    const char* text;
    double expected;
  };
  volatile double tenth = 0.1;  // keeps the compiler from folding the calls
  const double x = 3 * tenth;   // how the engine reads "0.3"
  const Call calls[] = {
      {"v = acos(0.3)", std::acos(x)},   {"v = asin(0.3)", std::asin(x)},
      {"v = atan(0.3)", std::atan(x)},   {"v = atan2(0.3, -2)", std::atan2(x, -2.0)},
      {"v = cos(0.3)", std::cos(x)},     {"v = cosh(0.3)", std::cosh(x)},
      {"v = exp(0.3)", std::exp(x)},     {"v = fabs(-0.3)", x},
      {"v = fmod(-7, 3)", std::fmod(-7.0, 3.0)}, {"v = log(0.3)", std::log(x)},
      {"v = log10(0.3)", std::log10(x)}, {"v = sin(0.3)", std::sin(x)},
      {"v = sinh(0.3)", std::sinh(x)},   {"v = sqrt(0.3)", std::sqrt(x)},
      {"v = tan(0.3)", std::tan(x)},     {"v = tanh(0.3)", std::tanh(x)},
      {"v = log(0)", -INFINITY},
  };
  for (const auto& c : calls) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(run(c.text), ParseStatus::Accepted);
    EXPECT_EQ(var("v"), c.expected);
  }
  for (const char* t : {"v = fmod(7, 0)", "v = sqrt(-1)", "v = log(-1)"}) {
    SCOPED_TRACE(t);
    ASSERT_EQ(run(t), ParseStatus::Accepted);
    EXPECT_TRUE(std::isnan(var("v")));
  }
}

struct ErrorCase {
  const char* text;
  ParseStatus status;
  const char* message;
  int line;
  int column;
};

TEST(EngineErrors, MessagesAndPositions) {
  const ParseStatus S = ParseStatus::SyntaxError;
  const ParseStatus E = ParseStatus::SemanticError;
  const ErrorCase cases[] = {
      {"y = 2x", S, "Unexpected 'x'", 1, 6},
      {"1e", S, "Unexpected eof", 1, 3},
      {"1e+", S, "Missing digit", 1, 4},
      {"1e-", S, "Missing digit", 1, 4},
      {"x = .", S, "Missing digit", 1, 6},
      {"2exp(1)", S, "Unexpected 'x'", 1, 3},
      {"x = 1 // note", S, "Unexpected eof", 1, 14},
      {"x = 1 /* note", S, "Unexpected eof", 1, 14},
      {"sin(x", S, "Unexpected eof", 1, 6},
      {"x)", S, "Unexpected ')'", 1, 2},
      {"a & b", S, "Unexpected '&'", 1, 3},
      {"|x|", S, "Unexpected '|'", 1, 1},
      {"1 2", S, "Unexpected digit", 1, 3},
      {"a/ /b", S, "Unexpected '/'", 1, 4},
      {"a < = b", S, "Unexpected '='", 1, 5},
      {"x = (1, 2)", S, "Unexpected ','", 1, 7},
      {"2 = 3", S, "Unexpected '='", 1, 3},
      {"a\\b", S, "Unexepected input", 1, 2},
      {"a \x01", S, "Unexepected input", 1, 3},
      {"a \xe9", S, "Unexepected input", 1, 3},
      {"a #", S, "Unexpected '#'", 1, 3},
      {"\tx #", S, "Unexpected '#'", 1, 11},
      {"x =\t#", S, "Unexpected '#'", 1, 9},
      {"x\n  = 1\n\t+ #", S, "Unexpected '#'", 3, 11},
      {"x\r\f= #", S, "Unexpected '#'", 1, 4},
      {"x\v= #", S, "Unexpected '#'", 1, 5},
      {"/* a\n b */ x ! 1", S, "Unexpected '!'", 2, 9},
      {"x = 0, y = x == 0 ? 1 : 1/x", E, "Divide by Zero", 1, 28},
      {"sin(1, 2)", E, "Wrong Number of Arguments", 1, 10},
      {"atan2(1)", E, "Wrong Number of Arguments", 1, 9},
      {"Sin(1)", E, "Unknown Function", 1, 7},
      {"abs(1) ", E, "Unknown Function", 1, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(run(c.text), c.status);
    EXPECT_EQ(engine().status(), c.status);
    EXPECT_STREQ(engine().errorRecord().message, c.message);
    EXPECT_EQ(engine().errorRecord().errorLine, c.line);
    EXPECT_EQ(engine().errorRecord().errorColumn, c.column);
  }
}

TEST(EngineErrors, AcceptedTextsAndTheRecordKeepsTheLastDiagnostic) {
  run("1e");
  for (const char* t : {"", "   ", ",;,", "a = 1;", ",,", "x = 1 /* note */", "a//b\n", "a**2", "a*-2",
                        "a<=b", "a--b", "f1 = fabs (-1)", "v = (((1)))", "\n\n\t"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(run(t), ParseStatus::Accepted);
  }
  // A new run does not clear the record.
  EXPECT_STREQ(engine().errorRecord().message, "Unexpected eof");
}

TEST(EngineErrors, DefaultReductionsDecideWhatWasAssigned) {
  ASSERT_EQ(run("g1 = 0, g2 = 0"), ParseStatus::Accepted);
  EXPECT_EQ(run("g1 = 5 + 1 #"), ParseStatus::SyntaxError);
  EXPECT_EQ(var("g1"), 6);
  EXPECT_EQ(run("g2 = 5 + #"), ParseStatus::SyntaxError);
  EXPECT_EQ(var("g2"), 0);
  // A semantic error stops the run after the reduction that raised it.
  ASSERT_EQ(run("g3 = 0, g4 = 0"), ParseStatus::Accepted);
  EXPECT_EQ(run("g3 = 1/0, g4 = 9"), ParseStatus::SemanticError);
  EXPECT_EQ(var("g4"), 0);
  // The assignment is a later reduction than the division, so it never happens.
  EXPECT_EQ(var("g3"), 0);
}

TEST(EngineErrors, FirstErrorDecidesStatusLastMessageIsKept) {
  // Unknown Function is raised in the call; its arguments were evaluated first.
  EXPECT_EQ(run("h1 = abs(h2 = 3)"), ParseStatus::SemanticError);
  EXPECT_EQ(var("h2"), 3);
  EXPECT_FALSE(hasVar("h1"));
}

TEST(EngineVariables, UnknownNamesBecomeVariablesForGood) {
  EXPECT_FALSE(hasVar("tt"));
  ASSERT_EQ(run("tt + 1"), ParseStatus::Accepted);
  EXPECT_TRUE(hasVar("tt"));
  EXPECT_EQ(var("tt"), 0);
  // Failed runs keep the variables they created.
  EXPECT_EQ(run("uu = 1 + zz #"), ParseStatus::SyntaxError);
  EXPECT_TRUE(hasVar("zz"));
  EXPECT_EQ(var("uu"), 1);
}

TEST(EngineVariables, TableIsSortedByUnsignedBytes) {
  ASSERT_EQ(run("y = 1, y1 = 2, z = 3, Y = 4, _q = 5, yA = 6"), ParseStatus::Accepted);
  const SymbolTable& st = engine().symbolTable();
  for (int i = 1; i < st.count; ++i)
    EXPECT_LT(std::strcmp(st.entries[i - 1].name, st.entries[i].name), 0);
}

TEST(EngineStacks, CharacterStackOverflowEndsTheRunBeforeTheNameIsUsed) {
  std::string name(1000, 'k');
  ASSERT_EQ(run("kk = 0, " + name + " = 1"), ParseStatus::Accepted);
  EXPECT_EQ(var(name.c_str()), 1);
  std::string longer = "kq = 1, " + std::string(1001, 'm') + " = 2, kr = 3";
  EXPECT_EQ(run(longer), ParseStatus::SemanticError);
  EXPECT_STREQ(engine().errorRecord().message, "Character Stack Overflow");
  EXPECT_FALSE(hasVar("kr"));
  EXPECT_FALSE(hasVar(std::string(1000, 'm').c_str()));
  // Names are on the stack only while read: many short names never overflow it.
  std::string many;
  for (int i = 0; i < 400; ++i) many += "kk = kk + 1,";
  EXPECT_EQ(run(many), ParseStatus::Accepted);
}

TEST(EngineStacks, ArgumentStackFull) {
  std::string args = "v = fmod(1";
  for (int i = 0; i < 200; ++i) args += ",1";
  args += ")";
  EXPECT_EQ(run(args), ParseStatus::SemanticError);
  EXPECT_STREQ(engine().errorRecord().message, "Argument Stack Full");
  // 200 arguments fit; the arity check then fails.
  std::string fits = "v = fmod(1";
  for (int i = 0; i < 199; ++i) fits += ",1";
  fits += ")";
  EXPECT_EQ(run(fits), ParseStatus::SemanticError);
  EXPECT_STREQ(engine().errorRecord().message, "Wrong Number of Arguments");
  EXPECT_EQ(engine().argumentStack().top, 0);
}

TEST(EngineStacks, StacksAreEmptyAfterASuccessfulRun) {
  ASSERT_EQ(run("v = atan2(sin(1), fmod(cos(2), 3)) + abc"), ParseStatus::Accepted);
  EXPECT_EQ(engine().characterStack().top, 0);
  EXPECT_EQ(engine().argumentStack().top, 0);
}

// The table fills up over an engine's whole life: the 101st name gets the
// scratch cell in every run, while the 100 variables go on working.
TEST(SymbolTableFull, HundredFirstNameUsesTheScratchCellInEveryRun) {
  ExpressionEngine e;
  for (int i = 0; e.symbolTable().count < SymbolTable::kCapacity; ++i) {
    std::string text = "v";
    text += std::to_string(i);
    text += " = ";
    text += std::to_string(i);
    e.resetStacks();
    ASSERT_EQ(e.runText(text.c_str()), ParseStatus::Accepted);
  }
  for (int round = 0; round < 2; ++round) {
    e.resetStacks();
    EXPECT_EQ(e.runText("extra = 7, v1 = 11"), ParseStatus::SemanticError);
    EXPECT_STREQ(e.errorRecord().message, "Symbol Table Full");
    EXPECT_EQ(e.scratchCell(), 7);
  }
  e.resetStacks();
  EXPECT_EQ(e.runText("v1 = v2 + 40"), ParseStatus::Accepted);
  EXPECT_EQ(e.symbolTable().count, SymbolTable::kCapacity);
  EXPECT_EQ(e.lookupVariable("v1"), 42);
}

// The trace names each shift and each rule reduced, in order.
TEST(EngineTrace, PrintsShiftsAndReductionsWithTheirRules) {
  ExpressionEngine e;
  std::FILE* trace = std::tmpfile();
  ASSERT_NE(trace, nullptr);
  e.setTrace(trace);
  e.resetStacks();
  EXPECT_EQ(e.runText("y = 2*x"), ParseStatus::Accepted);
  e.setTrace(nullptr);
  std::rewind(trace);
  std::string text;
  for (int c; (c = std::fgetc(trace)) != EOF;) text += static_cast<char>(c);
  std::fclose(trace);
  const char* expected[] = {"reduce name -> LETTER", "shift '='",  "reduce int -> DIGIT",
                            "shift '*'",             "reduce primary -> NAME_", "reduce mul -> mul STAR_ factor",
                            "reduce expr -> NAME_ ASSIGN_ expr", "accept"};
  size_t at = 0;
  for (const char* step : expected) {
    const size_t found = text.find(step, at);
    ASSERT_NE(found, std::string::npos) << step << " after offset " << at << " in\n" << text;
    at = found;
  }
  // A second run without the trace writes nothing more anywhere.
  e.resetStacks();
  EXPECT_EQ(e.runText("y = 3"), ParseStatus::Accepted);
}

}  // namespace
}  // namespace tavex
