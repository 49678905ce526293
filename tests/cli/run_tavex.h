// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built tavex program in a process of its own, so that each run
// starts from the defaults and an empty engine.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tavex_test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline std::string shellQuoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs tavex with args in a shell, with the shell text before in front of it
// ("ulimit -f 1;") and after behind its arguments ("> /dev/full").
inline Outcome runTavexInShell(const std::string& before, const std::vector<std::string>& args,
                               const std::string& after) {
  // One stderr file per test process: ctest runs tests in parallel.
  const std::string errPath =
      ::testing::TempDir() + "tavex_cli_stderr_" + std::to_string(getpid()) + ".txt";
  std::string command = before;
  command += TAVEX_BINARY;
  // Appended piece by piece: " " + std::string(...) trips GCC 12's -Wrestrict at -O3.
  for (const std::string& a : args) {
    command += ' ';
    command += shellQuoted(a);
  }
  command += ' ';
  command += after;
  command += " 2>" + errPath;
  Outcome run{};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return Outcome{-1, "", "popen failed"};
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int wait = pclose(pipe);
  run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
  std::ifstream err(errPath);
  std::stringstream text;
  text << err.rdbuf();
  run.err = text.str();
  std::remove(errPath.c_str());
  return run;
}

inline Outcome runTavexProgram(const std::vector<std::string>& args) {
  return runTavexInShell("", args, "");
}

}  // namespace tavex_test
