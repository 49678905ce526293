// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"

namespace tavex {
namespace {

// One engine for the whole test program, as the program has one.
ExpressionEngine& engine() {
  static ExpressionEngine shared;
  return shared;
}

double variable(const char* name) { return engine().lookupVariable(name); }

// The engine's variables live for the whole process. Scenarios that create a
// variable sorting after y (which would become every later result), or that
// need a fresh engine, run in a newly started copy of this program.
// Where no process can be started (emscripten under node), the scenario runs
// in this one: ctest starts each test in a fresh process of its own.
void inFreshProcess(const std::function<bool()>& scenario) {
#if GTEST_HAS_DEATH_TEST
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const bool ok = scenario();
        std::fflush(nullptr);
        std::_Exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
#else
  EXPECT_TRUE(scenario());
#endif
}

// Reports a mismatch on the child's error stream.
bool same(double actual, double expected, const char* what) {
  if (actual == expected || (std::isnan(actual) && std::isnan(expected))) return true;
  std::fprintf(stderr, "%s: got %.17g, expected %.17g\n", what, actual, expected);
  return false;
}

class Evaluator : public ::testing::Test {
 protected:
  void TearDown() override { initFunctionData(); }
  void setFunction(const char* line) { acceptLine(functionData[kFdFunction], line); }
  void setParameter(int entry, const char* line) { acceptLine(functionData[entry], line); }
};

TEST_F(Evaluator, ComposesTheDefaultText) {
  FunctionEvaluator ev(functionData, engine());
  EXPECT_EQ(ev.parameterLimit(), 6);
  EXPECT_EQ(ev.lastStatus(), 0);
  EXPECT_DOUBLE_EQ(ev.evaluate(0.5), std::exp(std::sin(0.5)));
  EXPECT_STREQ(ev.text(),
               "x =   0.50000000000000,a    = 1,b    = 1,c    = 1,d    = 1,e    = 1,"
               "y    = exp(a*sin(b*x))");
  EXPECT_EQ(std::strlen(ev.text()), 90u);
  EXPECT_EQ(ev.lastStatus(), 0);
}

TEST_F(Evaluator, AbscissaTextAndValue) {
  setFunction("y    = x");
  FunctionEvaluator ev(functionData, engine());
  struct Case {
    double x;
    const char* prefix;
  };
  const Case cases[] = {
      {-0.25, "x =  -0.25000000000000,"},
      {1000.0, "x = 1000.00000000000000,"},
      {-100.0, "x = -100.00000000000000,"},
      {3.0, "x =   3.00000000000000,"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(ev.evaluate(c.x), c.x);  // the minus sign reads back as unary minus
    EXPECT_EQ(std::string(ev.text()).substr(0, std::strlen(c.prefix)), c.prefix);
  }
  // Digits beyond the 14th decimal are lost in the text.
  EXPECT_EQ(ev.evaluate(1e-15), 0.0);
}

TEST_F(Evaluator, StatementsRunInOrderAndVariablesPersist) {
  setParameter(3, "b    = 2*a");
  setParameter(4, "c    = 1; k = k + 1");
  setFunction("y    = b*x + k - k + t");  // t is never assigned: it reads 0
  FunctionEvaluator ev(functionData, engine());
  EXPECT_EQ(ev.evaluate(3.0), 6.0);
  const double k = variable("k");
  EXPECT_EQ(ev.evaluate(3.0), 6.0);
  EXPECT_EQ(variable("k"), k + 1);
  // A second evaluator (the next plot call) sees the same variables.
  FunctionEvaluator next(functionData, engine());
  next.evaluate(1.0);
  EXPECT_EQ(variable("k"), k + 2);
  EXPECT_EQ(variable("t"), 0.0);
}

TEST_F(Evaluator, IntervalEntriesAreNotComposed) {
  setFunction("y    = x1 + x2 + n + x");
  FunctionEvaluator ev(functionData, engine());
  EXPECT_EQ(ev.evaluate(2.0), 2.0);
  EXPECT_EQ(std::string(ev.text()).find("x1   ="), std::string::npos);
}

TEST_F(Evaluator, FailureAtAPoleRepeatsThePreviousValue) {
  setFunction("y    = 1/x");
  FunctionEvaluator ev(functionData, engine());
  EXPECT_EQ(ev.evaluate(4.0), 0.25);
  EXPECT_EQ(ev.lastStatus(), 0);
  EXPECT_FALSE(ev.firstFailure().recorded);
  EXPECT_EQ(ev.evaluate(0.0), 0.25);
  EXPECT_EQ(ev.lastStatus(), 1);
  EXPECT_EQ(variable("x"), 0.0);  // assignments before the failure stay
  EXPECT_EQ(ev.evaluate(2.0), 0.5);
  EXPECT_EQ(ev.lastStatus(), 0);

  const EvaluationFailure& f = ev.firstFailure();
  EXPECT_TRUE(f.recorded);
  EXPECT_EQ(f.evaluation, 1);
  EXPECT_EQ(f.x, 0.0);
  EXPECT_EQ(f.status, ParseStatus::SemanticError);
  EXPECT_STREQ(f.message, "Divide by Zero");
  EXPECT_EQ(f.entry, kFdFunction);
  EXPECT_GE(f.entryColumn, 10);  // at or after the divisor in "y    = 1/x"
  EXPECT_EQ(ev.failureCount(), 1);
  EXPECT_EQ(ev.evaluationCount(), 3);
}

TEST_F(Evaluator, OnlyTheFirstFailureIsKept) {
  setParameter(3, "b    = 2*");
  FunctionEvaluator ev(functionData, engine());
  ev.evaluate(1.0);
  ev.evaluate(2.0);
  EXPECT_EQ(ev.failureCount(), 2);
  const EvaluationFailure& f = ev.firstFailure();
  EXPECT_EQ(f.evaluation, 0);
  EXPECT_EQ(f.x, 1.0);
  EXPECT_EQ(f.status, ParseStatus::SyntaxError);
  EXPECT_STREQ(f.message, "Unexpected ','");
  EXPECT_EQ(f.entry, 3);
  EXPECT_EQ(f.entryColumn, 10);  // the separator after "b    = 2*"
}

TEST_F(Evaluator, SyntaxErrorAfterTheAssignmentStillGivesTheNewValue) {
  setFunction("y    = x*x )");
  FunctionEvaluator ev(functionData, engine());
  EXPECT_EQ(ev.evaluate(3.0), 9.0);
  EXPECT_EQ(ev.lastStatus(), 1);
  EXPECT_EQ(ev.firstFailure().entry, kFdFunction);
  EXPECT_EQ(ev.firstFailure().entryColumn, 12);
}

TEST_F(Evaluator, NonFiniteAbscissaGivesNaNWithoutRunning) {
  FunctionEvaluator ev(functionData, engine());
  ev.evaluate(2.0);
  const double y = variable("y");
  for (double x : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    EXPECT_TRUE(std::isnan(ev.evaluate(x)));
    EXPECT_EQ(ev.lastStatus(), 1);
  }
  EXPECT_EQ(variable("x"), 2.0);
  EXPECT_EQ(variable("y"), y);
  EXPECT_STREQ(ev.firstFailure().message, "Abscissa Not Finite");
  EXPECT_EQ(ev.firstFailure().entry, FunctionEvaluator::kAbscissaStatement);
  EXPECT_EQ(ev.evaluate(2.0), y);
  EXPECT_EQ(ev.lastStatus(), 0);
}

TEST_F(Evaluator, HoldsTheLongestComposition) {
  // A record whose header lists all nine entries as statements, with every
  // line at its full 119 characters, and the widest abscissa text.
  DataEntry record[kFunctionDataEntries];
  for (int i = 0; i < kFunctionDataEntries; ++i) record[i] = functionData[i];
  acceptLine(record[kFdHeader], "fdata =   12");
  for (int i = 1; i < kFunctionDataEntries; ++i) {
    std::string line = i == kFdFunction ? "y    = x*0 + 7" : "q    = 1";
    line.resize(119, ' ');
    acceptLine(record[i], line.c_str());
  }
  FunctionEvaluator ev(record, engine());
  EXPECT_EQ(ev.parameterLimit(), 9);
  EXPECT_EQ(ev.evaluate(-1.5), 7.0);
  EXPECT_EQ(std::strlen(ev.text()), 4u + 18u + 1u + 8u * 120u + 119u);
  ev.evaluate(-1.7976931348623157e308);
  EXPECT_EQ(std::strlen(ev.text()), static_cast<size_t>(FunctionEvaluator::kTextCapacity - 1));
  const std::string text = ev.text();
  EXPECT_EQ(text.substr(text.size() - 119, 14), "y    = x*0 + 7");
}

TEST(EvaluatorFresh, WithoutAnyYTheResultIsXItself) {
  inFreshProcess([] {
    acceptLine(functionData[kFdFunction], "w    = x*x");
    FunctionEvaluator ev(functionData, engine());
    return same(ev.evaluate(3.0), 3.0, "no y yet");
  });
}

TEST(EvaluatorFresh, WSortsBeforeXAndY) {
  inFreshProcess([] {
    FunctionEvaluator ev(functionData, engine());
    const double y = ev.evaluate(0.5);  // the default function creates y
    acceptLine(functionData[kFdFunction], "w    = x*x");
    return same(ev.evaluate(3.0), y, "stale y");
  });
}

TEST(EvaluatorFresh, ZBecomesTheResultFromThenOn) {
  inFreshProcess([] {
    acceptLine(functionData[kFdFunction], "z    = x*x");
    FunctionEvaluator ev(functionData, engine());
    bool ok = same(ev.evaluate(3.0), 9.0, "z = x*x");
    // Mentioning z creates it with 0, and it stays the result.
    acceptLine(functionData[kFdFunction], "y    = x*x + z");
    ok = same(ev.evaluate(2.0), 9.0, "z unchanged") && ok;
    initFunctionData();
    ok = same(ev.evaluate(2.0), 9.0, "default function, z still last") && ok;
    return ok;
  });
}

TEST(EvaluatorFresh, MentionedZReadsZero) {
  inFreshProcess([] {
    acceptLine(functionData[kFdFunction], "y    = x*x + z");
    FunctionEvaluator ev(functionData, engine());
    return same(ev.evaluate(3.0), 0.0, "z created with 0") &&
           same(engine().lookupVariable("y"), 9.0, "y itself");
  });
}

TEST(EvaluatorFresh, ParameterLineAssigningZ) {
  inFreshProcess([] {
    acceptLine(functionData[kFdFirstParameter], "a    = 1, z = 2");
    FunctionEvaluator ev(functionData, engine());
    bool ok = same(ev.evaluate(0.5), 2.0, "first");
    initFunctionData();
    return same(ev.evaluate(1.5), 2.0, "after restoring the defaults") && ok;
  });
}

}  // namespace
}  // namespace tavex
