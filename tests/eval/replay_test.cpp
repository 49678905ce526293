// SPDX-License-Identifier: GPL-3.0-or-later
// The evaluator's replayed tapes against composing and parsing every text:
// after every evaluation both leave exactly the same observable state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "tests/support/observable_state.h"

namespace tavex {
namespace {

struct Side {
  ExpressionEngine engine;
  DataEntry data[kFunctionDataEntries];
  std::unique_ptr<FunctionEvaluator> evaluator;
};

struct ReplayCase {
  const char* title;
  std::vector<std::pair<int, const char*>> lines;  // entry, line
  const char* preload;                             // run once in both engines first
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> abscissae() {
  std::vector<double> xs = {0.5, 1.25, 0.0, -0.0, 2.0, -1.5, 3.75, 1e-20, -1e-20, 999.999,
                            1000.0, -100.0, -1000.0, 12345.678, 65535.99, 70000.0, 1e300,
                            -7.25, 4.0, 0.1, 1.0, kNaN, 2.5, 99999.0, -99999.0};
  for (int i = 0; i <= 24; ++i) xs.push_back(1.0 + i * 0.125);
  for (int i = 0; i <= 10; ++i) xs.push_back(-2.0 + i * 0.4);
  return xs;
}

std::int64_t replays = 0;

void compare(const ReplayCase& c) {
  SCOPED_TRACE(c.title);
  testing::StderrCapture err;
  Side fast, slow;
  for (Side* side : {&fast, &slow}) {
    initFunctionData();
    for (int i = 0; i < kFunctionDataEntries; ++i) side->data[i] = functionData[i];
    for (const auto& [entry, line] : c.lines) acceptLine(side->data[entry], line);
    if (c.preload != nullptr) {
      side->engine.resetStacks();
      side->engine.runText(c.preload);
    }
    side->evaluator = std::make_unique<FunctionEvaluator>(side->data, side->engine);
  }
  slow.evaluator->setReplay(false);
  err.take();
  int step = 0;
  for (double x : abscissae()) {
    const double a = fast.evaluator->evaluate(x);
    const std::string fastState = testing::observableState(fast.engine, *fast.evaluator, a);
    const std::string fastErr = err.take();
    const double b = slow.evaluator->evaluate(x);
    const std::string slowState = testing::observableState(slow.engine, *slow.evaluator, b);
    ASSERT_EQ(fastState, slowState) << "evaluation " << step << " at x = " << x;
    ASSERT_EQ(fastErr, err.take()) << "evaluation " << step << " at x = " << x;
    ++step;
  }
  // Runs of abscissae replayed together leave the same state as one by one,
  // and give the same values.
  for (int first = 0; first < 256; first += 37) {
    std::vector<double> xs;
    for (int k = first; k < first + 100; ++k) xs.push_back(k % 23 == 0 ? 0.0 : 1.0 + k * 0.0371);
    std::vector<double> together(xs.size()), apart(xs.size());
    fast.evaluator->evaluateMany(xs.data(), together.data(), static_cast<int>(xs.size()));
    const std::string fastErr = err.take();
    for (size_t k = 0; k < xs.size(); ++k) apart[k] = slow.evaluator->evaluate(xs[k]);
    for (size_t k = 0; k < xs.size(); ++k)
      ASSERT_EQ(std::memcmp(&together[k], &apart[k], sizeof(double)), 0) << "value " << k;
    ASSERT_EQ(testing::observableState(fast.engine, *fast.evaluator, together.back()),
              testing::observableState(slow.engine, *slow.evaluator, apart.back()));
    ASSERT_EQ(fastErr, err.take());
  }
  replays += fast.evaluator->replayCount();
}

TEST(Replay, LeavesTheSameStateAsParsingEveryText) {
  std::string deep = "y    = ";  // appended: GCC 12 at -O3 misreads "text" + string
  deep.append(29, '(').append("x").append(29, ')');
  const std::string nearFull = [] {
    std::string text;
    for (int i = 0; i < 96; ++i) text.append("v").append(std::to_string(i)).append(" = ")
        .append(std::to_string(i)).append(",");
    return text;
  }();
  const ReplayCase cases[] = {
      {"default function", {}, nullptr},
      {"a variable counts its evaluations", {{2, "a    = 1, s = s + 1"}, {1, "y    = s*x"}}, nullptr},
      {"compound assignments", {{1, "y    = 2, y += x, y *= x, y -= 1, y /= x"}}, nullptr},
      {"both branches run", {{1, "y    = x > 0 ? (t = 1/x) : (u = x*x)"}}, nullptr},
      {"both operands of && and ||", {{1, "y    = (x > 1) && (w = 1/(x-2)) || !x"}}, nullptr},
      {"an error in the middle keeps what came before",
       {{1, "y    = x, q = 1/(x - 1), r = 2"}}, nullptr},
      {"a pole repeats the stale value", {{1, "y    = 1/x"}}, nullptr},
      {"a variable after y takes over", {{1, "y    = x*x + z"}, {3, "b    = 1; z = x - 1"}}, nullptr},
      {"the function line names w", {{1, "w    = x*x"}}, nullptr},
      {"syntax error in the function", {{1, "y    = sin("}}, nullptr},
      {"syntax error after the assignment", {{1, "y    = x + 1 #"}}, nullptr},
      {"unknown function and wrong count", {{1, "y    = x + Sin(x)"}, {4, "c    = fmod(x)"}}, nullptr},
      {"literals and powers", {{1, "y    = 1e3*x + 2.5E-1 - .5e+1 + x**2**0.5 + (-x)**0.5"}}, nullptr},
      {"NaN comparisons", {{1, "y    = (sqrt(x - 2) == sqrt(x - 2)) + (log(-x) < 1) + !sqrt(-x)"}}, nullptr},
      {"NaN signs through + and *", {{1, "y    = sqrt(-1) * -sqrt(x - 5) + -sqrt(-1) + x"}}, nullptr},
      {"every operator of the language",
       {{2, "a    = (x < 1) + 2*(x <= 1) + 4*(x > 1) + 8*(x >= 1)"},
        {3, "b    = 16*(x == 1) + 32*(x != 1) + 64*(x > 0 && x < 3)"},
        {4, "c    = 128*(x < 0 || x > 3) - x**2/3 + -x + !x + +x"}, {1, "y    = a + b + c"}},
       nullptr},
      {"two-argument functions", {{1, "y    = atan2(x, 1 - x) + fmod(x, 0.75)"}}, nullptr},
      {"comments, tabs and newlines", {{1, "y    =\tx /* c\n */ + 1\n// d\n"}}, nullptr},
      {"an unterminated line comment", {{1, "y    = x // d"}}, nullptr},
      {"nesting that overflows", {{1, deep.c_str()}}, nullptr},
      {"a symbol table full from the start", {{1, "y    = x + later"}}, nearFull.c_str()},
      {"a symbol table that fills up on the way",
       {{2, "a    = 1, w1 = 1, w2 = 2"}, {1, "y    = x > 2 ? (w3 = x) : (w4 = x)"}}, nearFull.c_str()},
      {"names with digits and assignments in arguments", {{1, "y    = sin(x1x = x) + x1x + e2"}}, nullptr},
      {"a parameter line that assigns x", {{6, "e    = 1, x = x*2"}, {1, "y    = x"}}, nullptr},
  };
  for (const ReplayCase& c : cases) compare(c);
  EXPECT_GT(replays, 500);  // the tapes were replayed, not only recorded
}

// An edit between two evaluations of one evaluator (as in a test or a pass
// that reads the record afresh) is seen at the next evaluation.
TEST(Replay, AnEditedLineIsParsedAfresh) {
  Side side;
  initFunctionData();
  for (int i = 0; i < kFunctionDataEntries; ++i) side.data[i] = functionData[i];
  FunctionEvaluator ev(side.data, side.engine);
  EXPECT_EQ(ev.evaluate(2.0), std::exp(std::sin(2.0)));
  EXPECT_EQ(ev.evaluate(1.5), std::exp(std::sin(1.5)));
  acceptLine(side.data[kFdFunction], "y    = x*x");
  EXPECT_EQ(ev.evaluate(3.0), 9.0);
  EXPECT_EQ(ev.evaluate(1.5), 2.25);
  EXPECT_STREQ(ev.text(),
               "x =   1.50000000000000,a    = 1,b    = 1,c    = 1,d    = 1,e    = 1,y    = x*x");
}

}  // namespace
}  // namespace tavex
