// SPDX-License-Identifier: GPL-3.0-or-later
// --lesson in every mode and --save-lesson: a saved lesson gives back the
// data it was saved from, and a lesson that does not read stops the run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_tavex.h"

namespace {

using tavex_test::Outcome;
using Args = std::vector<std::string>;

Outcome runTavex(const Args& args) { return tavex_test::runTavexProgram(args); }

Args joined(Args a, const Args& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string example(const char* name) { return std::string(TAVEX_LESSON_DIR "/") + name; }

class LessonCommandLine : public ::testing::Test {
 protected:
  std::string path(const char* name) {
    return ::testing::TempDir() + "lesson_cli_" + std::to_string(getpid()) + "_" + name;
  }
  std::string read(const std::string& file) {
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
  }
};

TEST_F(LessonCommandLine, ASavedLessonGivesTheSumsOfTheEdits) {
  const std::string saved = path("saved.tavex");
  const Args cases[] = {
      {"--fdata", "y=x*x", "--fdata", "x1=0", "--fdata", "x2=1", "--fdata", "n=6", "--gdata",
       "title=Parabola"},
      {"--lesson", example("sine.tavex"), "--fdata", "n=4", "--gdata", "ylab=y"},
  };
  for (const Args& edits : cases) {
    const Outcome save = runTavex(joined({"--save-lesson", saved}, edits));
    EXPECT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(save.out + save.err, "");
    const Outcome direct = runTavex(joined({"--sums"}, edits));
    const Outcome loaded = runTavex({"--sums", "--lesson", saved});
    EXPECT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(loaded.out, direct.out);
    // Saving what was loaded gives the same file.
    EXPECT_EQ(runTavex({"--lesson", saved, "--save-lesson", saved + "2"}).status, 0);
    EXPECT_EQ(read(saved + "2"), read(saved));
  }
  std::remove(saved.c_str());
  std::remove((saved + "2").c_str());
}

TEST_F(LessonCommandLine, TheLessonComesBeforeTheEditsInEveryMode) {
  const std::string lesson = example("x-squared.tavex");
  const Outcome sums = runTavex({"--sums", "--fdata", "n=4", "--lesson", lesson});
  EXPECT_NE(sums.out.find("x2   = 1\nn    = 4\nSumU  = 0.4687500000\n"), std::string::npos)
      << sums.out;
  const Outcome probe = runTavex({"--probe", "0.5", "--lesson", lesson});
  EXPECT_EQ(probe.out, "x = 0.50000\ny = f(x) = 0.25000\nf'(x) = 1.00000   f\"(x) = 2.00000\n");
  const Outcome convergence = runTavex({"--convergence", "--upto", "20", "--lesson", lesson});
  EXPECT_EQ(convergence.status, 0) << convergence.err;
  EXPECT_NE(convergence.out.find("\n10\t0.3850000000\t"), std::string::npos) << convergence.out;
  EXPECT_NE(convergence.out.find("\n20\t"), std::string::npos);
}

TEST_F(LessonCommandLine, ABadLessonStopsTheRunBeforeAnyOutput) {
  const std::string bad = path("bad.tavex");
  std::ofstream(bad) << "# tavex lesson 1\n[fdata]\ny = x\nz = 3\n";
  const std::string target = path("target.tavex");
  std::ofstream(target) << "old";
  const Args modes[] = {{"--sums"}, {"--probe", "1"}, {"--convergence"}, {"--save-lesson", target}};
  for (const Args& mode : modes) {
    const Outcome r = runTavex(joined(mode, {"--lesson", bad}));
    EXPECT_EQ(r.status, 2) << mode[0];
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, bad + ":4:1: unknown name 'z' in [fdata]\n");
  }
  EXPECT_EQ(read(target), "old");
  std::remove(bad.c_str());
  std::remove(target.c_str());
}

TEST_F(LessonCommandLine, SaveLessonFailsWithAMessageAndLeavesTheFile) {
  const std::string target = path("kept.tavex");
  std::ofstream(target) << "old";
  struct Case {
    Args args;
    std::string err;
  };
  const Case cases[] = {
      {{"--save-lesson"}, "tavex: --save-lesson needs a FILE\n"},
      {{"--save-lesson", target, "--sums"},
       "tavex: --save-lesson: unexpected '--sums' (use --lesson FILE and EDITs)\n"},
      {{"--save-lesson", target, "--save-lesson", target}, "tavex: --save-lesson: give one FILE\n"},
      {{"--sums", "--lesson", example("sine.tavex"), "--lesson", example("pole.tavex")},
       "tavex: --lesson: give one lesson\n"},
      {{"--save-lesson", target, "--fdata", "y=\x01"},
       "tavex: cannot save '" + target +
           "' as a lesson: y: a control character (U+0001), which a lesson cannot hold\n"},
      {{"--save-lesson", target + ".d/x.tavex"},
       "tavex: cannot write '" + target + ".d/x.tavex': No such file or directory\n"},
  };
  for (const Case& c : cases) {
    const Outcome r = runTavex(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(read(target), "old");
  std::remove(target.c_str());
}

}  // namespace
