// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "run_tavex.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tavex_test::Outcome;

Outcome runTavex(const std::vector<std::string>& args) { return tavex_test::runTavexProgram(args); }

const char* const kParameters = "a    = 1\nb    = 1\nc    = 1\nd    = 1\ne    = 1\n";

TEST(CommandLine, SumsOfTheDefaults) {
  const Outcome r = runTavex({"--sums"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string(kParameters) +
                       "x1   = 1\nx2   = 4\nn    = 12\n"
                       "SumU  = 5.4857108520\nSumL  = 4.8272055958\nSumT  = 5.1564582239\n"
                       "SumM  = 5.1686823794\nSumS  = 5.1646833897\nExact = 5.1646028130\n");
}

TEST(CommandLine, EditsApplyInOrderAndComposeLines) {
  const Outcome r = runTavex({"--sums", "--fdata", "y=x*x", "--fdata", "x1=0", "--fdata", "x2=1",
                          "--fdata", "n=9", "--fdata", "n=4", "--fdata", "a=2, q = 3"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "a    = 2, q = 3\nb    = 1\nc    = 1\nd    = 1\ne    = 1\n"
            "x1   = 0\nx2   = 1\nn    = 4\n"
            "SumU  = 0.4687500000\nSumL  = 0.2187500000\nSumT  = 0.3437500000\n"
            "SumM  = 0.3281250000\nSumS  = 0.3333333333\nExact = 0.3333333333\n");
}

TEST(CommandLine, GraphOnlyWhenNBelowTwo) {
  for (const char* n : {"n=1", "n=0", "n=-2", "n=lots"}) {
    const Outcome r = runTavex({"--fdata", n, "--sums"});
    EXPECT_EQ(r.status, 0) << n;
    EXPECT_EQ(r.out, kParameters) << n;
  }
}

TEST(CommandLine, StaleValuesAtAPole) {
  // The curve over [-1, 1] starts at the pole and ends at f(1); Exact's nodes
  // miss x = 0. Simpson's x2 - h = 0 then repeats f(x2) = 1, the trapezoid's
  // right end 0 repeats the midpoint f(-0.5) = -2 and the walk's f(0) the
  // left end f(-1) = -1.
  const Outcome r = runTavex({"--sums", "--fdata", "y=1/x", "--fdata", "x1=-1", "--fdata", "x2=1",
                          "--fdata", "n=2", "--gdata", "x0=-1", "--gdata", "x1=1", "--gdata",
                          "n=4"});
  // Failed evaluations make status 1, and the first is named.
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "tavex: y: Divide by Zero at column 11 (x = 0.00000; 5 of 317 evaluations failed)\n");
  const std::string expected = std::string(kParameters) +
                               "x1   = -1\nx2   = 1\nn    = 2\n"
                               "SumU  = 0.0000000000\nSumL  = -2.0000000000\n"
                               "SumT  = -0.5000000000\nSumM  = 0.0000000000\n"
                               "SumS  = 1.3333333333\n";
  EXPECT_EQ(r.out.substr(0, expected.size()), expected);
}

TEST(CommandLine, TheCurveDecidesTheFirstStaleValue) {
  // x/(x > 1.5) fails below 1.5, where Exact's first nodes lie; they repeat
  // the curve's last value f(graph x1): 5 or 3 over [1, 1.5], then x.
  struct Case {
    const char* graphX1;
    const char* exact;
  };
  for (const Case& c : {Case{"x1=5", "Exact = 9.3750000000\n"}, Case{"x1=3", "Exact = 8.3750000000\n"}}) {
    const Outcome r = runTavex({"--sums", "--fdata", "y=x/(x > 1.5)", "--gdata", c.graphX1});
    ASSERT_GE(r.out.size(), 21u);
    EXPECT_EQ(r.out.substr(r.out.size() - 21), c.exact) << c.graphX1;
  }
}

TEST(CommandLine, ProbeAfterADrawPass) {
  struct Case {
    std::vector<std::string> args;
    const char* out;
  };
  const Case cases[] = {
      {{"--probe", "0"}, "x = 0.00000\ny = f(x) = 1.00000\nf'(x) = 1.00000   f\"(x) = 1.00000\n"},
      {{"--probe", "5"}, "x = 5.00000\ny = f(x) = 0.38330\nf'(x) = 0.10873   f\"(x) = 0.39840\n"},
      {{"--fdata", "y=x*x*x", "--probe", "-2"},
       "x = -2.00000\ny = f(x) = -8.00000\nf'(x) = 12.00000   f\"(x) = -12.00000\n"},
  };
  for (const Case& c : cases) {
    const Outcome r = runTavex(c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

TEST(CommandLine, ProbeAtAPoleRepeatsTheDrawPassValue) {
  // The draw pass's last evaluation is the walk's f(x2) = 1/4; the probe's
  // f(0) repeats it, and its neighbours are evaluated after it.
  const Outcome r = runTavex({"--fdata", "y=1/x", "--probe", "0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "tavex: y: Divide by Zero at column 11 (x = 0.00000; 1 of 863 evaluations failed)\n"
            "tavex: probe: y: Divide by Zero at column 11 (x = 0.00000; 1 of 3 evaluations "
            "failed)\n");
  EXPECT_EQ(r.out.substr(0, 33), "x = 0.00000\ny = f(x) = 0.25000\nf'");
}

TEST(CommandLine, FailuresAndWarningsGoToStandardError) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"--sums", "--fdata", "x1=0", "--fdata", "n=4"}, 0, ""},
      {{"--sums", "--fdata", "x2=pi"}, 0, "tavex: warning: x2 = pi read as 0\n"},
      {{"--sums", "--fdata", "y=sin("},
       1,
       "tavex: y: Unexpected eof at column 12 (x = 0.00000; 863 of 863 evaluations failed)\n"
       "tavex: warning: result taken from x; y was not assigned\n"},
      // A far-away x keeps the counts in the line.
      {{"--sums", "--fdata", "y=1/(x > 0)", "--gdata", "x0=-1e300", "--fdata", "n=1"},
       1,
       "tavex: y: Divide by Zero at column 17 (x = -1e+300; 501 of 501 evaluations failed)\n"
       "tavex: warning: result taken from x; y was not assigned\n"},
      // The probe fails where the draw pass did not.
      {{"--probe", "1", "--fdata", "y=1/(x-1)", "--fdata", "n=1", "--gdata", "x0=2"},
       1,
       "tavex: probe: y: Divide by Zero at column 15 (x = 1.00000; 1 of 3 evaluations failed)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const Outcome r = runTavex(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(r.out.empty());  // the panels all the same
  }
}

TEST(CommandLine, ValuesLongerThanTheirFieldAreRefused) {
  for (const char* option : {"--fdata", "--gdata"}) {
    const std::string name = option[2] == 'f' ? "y=" : "title=";
    EXPECT_EQ(runTavex({"--sums", option, name + std::string(59, '1')}).status, 0) << option;
    const Outcome r = runTavex({"--sums", option, name + std::string(60, '1')});
    EXPECT_EQ(r.status, 2) << option;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("value longer than 59 characters"), std::string::npos) << r.err;
  }
}

TEST(CommandLine, OutputThatCannotBeWrittenIsStatus2) {
  for (const char* option : {"--sums", "--help"}) {
    const Outcome r = tavex_test::runTavexInShell("", {option}, "> /dev/full");
    EXPECT_EQ(r.status, 2) << option;
    EXPECT_EQ(r.err, "tavex: cannot write standard output: No space left on device\n");
  }
}

TEST(CommandLine, BadArgumentsPrintOnlyAMessage) {
  const std::vector<std::vector<std::string>> cases = {
      {"--sums", "--fdata", "z=1"},        {"--sums", "--fdata", "fdata=3"},
      {"--sums", "--gdata", "y=1"},        {"--sums", "--fdata", "n"},
      {"--sums", "--fdata"},               {"--sums", "--bogus"},
      {"--probe"},                         {"--probe", "abc"},
      {"--probe", "1", "--sums"},          {"--fdata", "n=3"},
      {"--sums", "--fdata", "y=" + std::string(200, 'x')},
      {"--frobnicate"},                    {"--sums", "--rule"},
      {"--sums", "--rule", "upper"},       {"--rule", "left"},
  };
  for (const auto& args : cases) {
    const Outcome r = runTavex(args);
    SCOPED_TRACE(args.size() > 1 ? args[1] : args[0]);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("tavex: "), std::string::npos) << r.err;
  }
  EXPECT_NE(runTavex({"--sums", "--fdata", "zz=1"}).err.find("unknown name 'zz'"),
            std::string::npos);
  EXPECT_EQ(runTavex({"--sums", "--rule", "Left"}).err,
            "tavex: --rule needs one of upperlower, left, right, midpoint, trapezoid, simpson, "
            "got 'Left'\n");
}

// A rule's picture evaluates f as the default pass does: the same panel,
// also where f counts its evaluations.
TEST(CommandLine, EveryRuleGivesTheDefaultReadouts) {
  for (const char* y : {"y=exp(a*sin(b*x))", "y=x*x + c/1000"}) {
    const std::vector<std::string> data = {"--fdata", y, "--fdata", "c=c+1", "--fdata", "n=10"};
    std::vector<std::string> args = {"--sums"};
    args.insert(args.end(), data.begin(), data.end());
    const Outcome expected = runTavex(args);
    for (const char* rule : {"upperlower", "left", "right", "midpoint", "trapezoid", "simpson"}) {
      SCOPED_TRACE(std::string(y) + " " + rule);
      std::vector<std::string> withRule = args;
      withRule.insert(withRule.end(), {"--rule", rule});
      const Outcome r = runTavex(withRule);
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.out, expected.out);
    }
  }
}

}  // namespace
