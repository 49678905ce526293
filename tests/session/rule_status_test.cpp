// SPDX-License-Identifier: GPL-3.0-or-later
// What a draw pass with a rule's picture tells: the rule and its value at
// the start of the status line, or why it has none; the left and right
// sums in Copy Readouts.
#include <gtest/gtest.h>

#include <string>

#include "data/records.h"
#include "graphics/null_canvas.h"
#include "session/plot_status.h"
#include "session/plot_tools.h"
#include "session/state.h"

namespace tavex {
namespace {

class RuleStatus : public ::testing::Test {
 protected:
  void SetUp() override { initFunctionData(), initGraphData(); }
  void TearDown() override {
    initFunctionData(), initGraphData();
    setCurrentRule(SumRule::UpperLower);
  }
  static PassResult draw(SumRule rule) {
    setCurrentRule(rule);
    NullWindow window;
    GraphFrame frame(&window);
    PassResult pass = plot(programContext(), frame, kDrawPass, kToWindow);
    finishOutput(frame);
    return pass;
  }
};

TEST_F(RuleStatus, TheRuleAndItsValueOrWhyNot) {
  struct Case {
    SumRule rule;
    const char* n;
    std::string status;
  };
  const Case cases[] = {
      {SumRule::UpperLower, "12", ""},
      {SumRule::Left, "12", "Left: 5.3877848038"},
      {SumRule::Right, "12", "Right: 4.9251316441"},
      {SumRule::Midpoint, "12", "Midpoint: 5.1686823794"},
      {SumRule::Trapezoid, "12", "Trapezoid: 5.1564582239"},
      {SumRule::Simpson, "12", "Simpson: 5.1646833897"},
      {SumRule::Simpson, "7", "Simpson: n = 7 is odd; Simpson's rule needs an even n"},
      {SumRule::Midpoint, "1", "Midpoint: no sums for n = 1 (n must be at least 2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(ruleName(c.rule)) + " n = " + c.n);
    acceptLine(functionData[kFdSteps], ("n    = " + std::string(c.n)).c_str());
    EXPECT_EQ(plotStatusLine(draw(c.rule)), c.status);
  }
  // The rule comes first, the pass's own news after it.
  acceptLine(functionData[kFdFunction], "y    = 1/(x - 2.5)");
  acceptLine(functionData[kFdSteps], "n    = 6");
  const std::string line = plotStatusLine(draw(SumRule::Midpoint));
  EXPECT_EQ(line.substr(0, 10), "Midpoint: ");
  EXPECT_NE(line.find("; y: Divide by Zero"), std::string::npos) << line;
}

TEST_F(RuleStatus, CopyReadoutsEndsWithTheLeftAndRightSums) {
  const std::string text = readoutsText(draw(SumRule::UpperLower));
  EXPECT_EQ(text.substr(text.find("Exact")),
            "Exact = 5.1646028130\nSumLeft  = 5.3877848038\nSumRight = 4.9251316441\n");
  acceptLine(functionData[kFdSteps], "n    = 1");
  EXPECT_EQ(readoutsText(draw(SumRule::Left)).find("SumLeft"), std::string::npos);
}

}  // namespace
}  // namespace tavex
