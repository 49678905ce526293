// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile input: nothing may crash, overrun or hang.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "expr/engine.h"

namespace tavex {
namespace {

TEST(EngineRobustness, RandomBytesAndHugeTexts) {
  ExpressionEngine e;
  std::mt19937 rng(12345);
  const std::string alphabet = "xyz019.eE+-*/=<>!&|?:(),; \t\n#\\";
  testing::internal::CaptureStderr();
  // A megabyte of statements, a name of thousands of letters, deep nesting.
  std::string big;
  while (big.size() < (1u << 20)) big += "x = x + 1;";
  e.resetStacks();
  EXPECT_EQ(e.runText(big.c_str()), ParseStatus::Accepted);
  e.resetStacks();
  EXPECT_EQ(e.runText((std::string(5000, 'n') + " = 1").c_str()), ParseStatus::SemanticError);
  e.resetStacks();
  EXPECT_EQ(e.runText(std::string(100000, '(').c_str()), ParseStatus::StackOverflow);
  e.resetStacks();
  EXPECT_EQ(e.runText(nullptr), ParseStatus::Accepted);
  // Blanks extending white space that holds the last of the 37 entries.
  e.resetStacks();
  EXPECT_EQ(e.runText(("x = 1,y = " + std::string(31, '(') + "   x").c_str()), ParseStatus::SyntaxError);
  e.resetStacks();
  EXPECT_NE(e.runText("ata((((((((((((((((+((((((((((((((((+  /+x"), ParseStatus::Running);
  // Random texts over the language's characters and arbitrary bytes.
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    int n = static_cast<int>(rng() % 40);
    for (int k = 0; k < n; ++k)
      text += (rng() % 4 == 0) ? static_cast<char>(1 + rng() % 255) : alphabet[rng() % alphabet.size()];
    e.resetStacks();
    ParseStatus s = e.runText(text.c_str());
    ASSERT_NE(s, ParseStatus::Running);
    if (s == ParseStatus::Accepted) {
      ASSERT_EQ(e.characterStack().top, 0) << text;
      ASSERT_EQ(e.argumentStack().top, 0) << text;
    }
  }
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace tavex
