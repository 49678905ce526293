// SPDX-License-Identifier: GPL-3.0-or-later
// Where the 37-entry parse stack overflows.
#include <gtest/gtest.h>

#include <string>

#include "expr/engine.h"

namespace tavex {
namespace {

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct OverflowCase {
  std::string label;
  std::string text;
  bool overflows;
};

TEST(EngineOverflow, PointsFollowFromTheStackSize) {
  const std::string later = "x =   0.5,a    = 1,";
  const std::vector<OverflowCase> cases = {
      {"32 fraction digits, first statement", "x = 0." + repeat("1", 32), false},
      {"33 fraction digits, first statement", "x = 0." + repeat("1", 33), true},
      {"30 fraction digits, later statement", later + "b    = 0." + repeat("1", 30), false},
      {"31 fraction digits, later statement", later + "b    = 0." + repeat("1", 31), true},
      {"30 parentheses", later + "y = " + repeat("(", 30) + "x" + repeat(")", 30), false},
      {"31 parentheses", later + "y = " + repeat("(", 31) + "x" + repeat(")", 31), true},
      {"30 parentheses, blank after each", later + "y = " + repeat("( ", 30) + "x" + repeat(") ", 30),
       true},
      {"30 parentheses, blanks inside only", later + "y = " + repeat("( ", 30) + "x" + repeat(")", 30),
       false},
      {"15 nested calls", later + "y = " + repeat("sin(", 15) + "x" + repeat(")", 15), false},
      {"16 nested calls", later + "y = " + repeat("sin(", 16) + "x" + repeat(")", 16), true},
      {"long integer part", "x = " + repeat("9", 5000), false},
      {"long comment", "x = 1 /*" + repeat("ab *", 3000) + "*/", false},
      {"long blank run", "x = 1" + repeat(" \t\n", 3000), false},
      {"deep prefix operators", "x = " + repeat("-", 40) + "1", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ExpressionEngine e;
    e.resetStacks();
    e.runText("q9 = 1 + #");  // leaves a known diagnostic in the record
    const std::string before = e.errorRecord().message;
    const int beforeColumn = e.errorRecord().errorColumn;
    e.resetStacks();
    testing::internal::CaptureStderr();
    ParseStatus s = e.runText(c.text.c_str());
    std::string err = testing::internal::GetCapturedStderr();
    if (c.overflows) {
      EXPECT_EQ(s, ParseStatus::StackOverflow);
      EXPECT_EQ(err.rfind("\nParser stack overflow, line 1, column ", 0), 0u) << err;
      // The error record is untouched by an overflow.
      EXPECT_EQ(before, e.errorRecord().message);
      EXPECT_EQ(beforeColumn, e.errorRecord().errorColumn);
    } else {
      EXPECT_EQ(s, ParseStatus::Accepted) << e.errorRecord().message;
      EXPECT_EQ(err, "");
    }
  }
}

TEST(EngineOverflow, ReportsThePositionOfTheEntryThatDidNotFit) {
  ExpressionEngine e;
  e.resetStacks();
  testing::internal::CaptureStderr();
  // Entries: leading white space, name, "=", integer part, ".", then 32 digits.
  e.runText(("x = 0." + repeat("1", 33)).c_str());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "\nParser stack overflow, line 1, column 39\n");
}

}  // namespace
}  // namespace tavex
