// SPDX-License-Identifier: GPL-3.0-or-later
// tavex --tolerance and tavex --find: their lines, and what they say about
// input they cannot take.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_tavex.h"

namespace {

using tavex_test::Outcome;
using tavex_test::runTavexProgram;

std::vector<std::string> withData(std::vector<std::string> args, const std::string& y,
                                  const std::string& x1, const std::string& x2) {
  args.insert(args.end(), {"--fdata", "y=" + y, "--fdata", "x1=" + x1, "--fdata", "x2=" + x2});
  return args;
}

TEST(FindCommandLine, ListsEveryPointInIncreasingX) {
  const Outcome r = runTavexProgram(withData({"--find"}, "x*x*x - 2*x", "-2", "2"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "zero\t-1.4142135624\t0.0000000000\n"
            "max\t-0.8164965809\t1.0886621079\n"
            "zero\t0.0000000000\t0.0000000000\n"
            "inflection\t0.0000000000\t0.0000000000\n"
            "min\t0.8164965809\t-1.0886621079\n"
            "zero\t1.4142135624\t0.0000000000\n");
  const Outcome sine = runTavexProgram(withData({"--find"}, "sin(x)", "1", "10"));
  EXPECT_EQ(sine.out.substr(0, sine.out.find('\n', 30)),
            "max\t1.5707963268\t1.0000000000\nzero\t3.1415926536\t0.0000000000");
}

TEST(FindCommandLine, SaysWhatItCannotDo) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  };
  const Case cases[] = {
      {withData({"--find"}, "1/(x - 0.3)", "0", "1"), 1, "",
       "tavex: f could not be resolved near x = 0.30000 (a pole, a jump or a kink?)\n"
       "tavex: no zero, extremum or inflection point of f elsewhere on [x1, x2]\n"},
      {withData({"--find"}, "exp(x)", "0", "1"), 0, "",
       "tavex: no zero, extremum or inflection point of f on [x1, x2]\n"},
      {withData({"--find"}, "0*x", "0", "1"), 0, "", "tavex: f is 0 all over [x1, x2]\n"},
      {withData({"--find"}, "x", "1", "1"), 0, "", "tavex: x1 = x2: nothing to search\n"},
      {withData({"--find"}, "x - 0.5", "1", "0"), 0, "zero\t0.5000000000\t0.0000000000\n",
       "tavex: x2 < x1: the sums run from x1 down to x2; f is looked at on [x2, x1]\n"},
      {{"--find", "--upto", "3"}, 2, "", "tavex: --find: unexpected '--upto' (use EDITs)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size() > 2 ? c.args[2] : c.args[1]);
    const Outcome r = runTavexProgram(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
}

TEST(ToleranceCommandLine, OneLinePerRule) {
  const Outcome r = runTavexProgram(withData({"--tolerance", "1e-4"}, "x*x", "0", "1"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "rule\tK\tat\tnBound\tnObserved\n"
            "SumLeft\t2\t1\t10000\t5000\n"
            "SumRight\t2\t1\t10000\t5001\n"
            "SumT\t2\t0\t41\t41\n"
            "SumM\t2\t0\t29\t29\n"
            "SumS\t0\t0\t2\t2\n");
}

TEST(ToleranceCommandLine, SaysWhatItCannotDo) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // all of standard error, or its start when it ends in "..."
  };
  const Case cases[] = {
      {{"--tolerance"}, 2, "tavex: --tolerance needs a number EPS\n"},
      {{"--tolerance", "abc"}, 2, "tavex: --tolerance needs a number EPS, got 'abc'\n"},
      {{"--tolerance", "0"}, 2, "tavex: --tolerance 0: EPS must be above 0\n"},
      {{"--tolerance", "-1e-3"}, 2, "tavex: --tolerance -1e-3: EPS must be above 0\n"},
      {{"--tolerance", "nan"}, 2, "tavex: --tolerance nan: EPS is not a number\n"},
      {{"--tolerance", "1e-20"}, 2,
       "tavex: tolerance 1e-20 is below what double precision can tell apart here..."},
      {withData({"--tolerance", "1e-3"}, "1/(x - 0.3)", "0", "1"), 1,
       "tavex: No Reference: ..."},
      {{"--tolerance", "1e-3", "--sums"}, 2,
       "tavex: --tolerance: unexpected '--sums' (use EDITs)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : c.args[0]);
    const Outcome r = runTavexProgram(c.args);
    EXPECT_EQ(r.status, c.status);
    if (c.err.size() > 3 && c.err.substr(c.err.size() - 3) == "...")
      EXPECT_EQ(r.err.substr(0, c.err.size() - 3), c.err.substr(0, c.err.size() - 3));
    else
      EXPECT_EQ(r.err, c.err);
  }
  const Outcome pole = runTavexProgram(withData({"--tolerance", "1e-3"}, "1/(x - 0.3)", "0", "1"));
  EXPECT_NE(pole.out.find("SumLeft\tcannot be estimated: f could not be resolved near x = "
                          "0.30000 (a pole, a jump or a kink?)\t-\t-\t-\n"),
            std::string::npos)
      << pole.out;
}

}  // namespace
