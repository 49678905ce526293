// SPDX-License-Identifier: GPL-3.0-or-later
// tavex --eval: output lines, variables, exit status.
#include <gtest/gtest.h>

#include "run_tavex.h"

namespace {

using tavex_test::runTavexProgram;

struct EvalCase {
  std::vector<std::string> args;
  int status;
  std::string out;
};

TEST(EvalCommandLine, PrintsOutcomesThenVariables) {
  const std::vector<EvalCase> cases = {
      {{"--eval", "y = 2**3**2"}, 0, "Accepted\ny = 512\n"},
      {{"--eval", "y = 2x"}, 1, "SyntaxError: Unexpected 'x' (line 1, column 6)\ny = 2\n"},
      // Variables persist from text to text; table order is byte order.
      {{"--eval", "b = 1", "a = b + 1, Z = 0.1"}, 0, "Accepted\nAccepted\nZ = 0.10000000000000001\na = 2\nb = 1\n"},
      {{"--eval", "q = 1/0", "q = 3"}, 1,
       "SemanticError: Divide by Zero (line 1, column 8)\nAccepted\nq = 3\n"},
      {{"--eval", "x = 1\n  #"}, 1, "SyntaxError: Unexpected '#' (line 2, column 3)\nx = 1\n"},
      {{"--eval", ""}, 0, "Accepted\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    auto r = runTavexProgram(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(EvalCommandLine, OverflowLineGoesToStandardError) {
  // White space, x, "=" and 34 parentheses fill the 37 entries; the 35th does not fit.
  auto r = runTavexProgram({"--eval", "x = " + std::string(40, '(') + "1"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "StackOverflow\n");
  EXPECT_EQ(r.err, "\nParser stack overflow, line 1, column 39\n");
}

TEST(EvalCommandLine, BadCommandLines) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--eval"}, {"--bogus"}, {"-e", "x"}}) {
    auto r = runTavexProgram(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage"), std::string::npos);
  }
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--help", "usage: tavex"}, {"-h", "usage: tavex"}, {"--version", "tavex " TAVEX_VERSION "\n"}};
  for (const auto& [option, start] : cases) {
    SCOPED_TRACE(option);
    auto r = runTavexProgram({option});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, start.size()), start);
  }
  EXPECT_NE(runTavexProgram({"--help"}).out.find("--version"), std::string::npos);
}

}  // namespace
