// SPDX-License-Identifier: GPL-3.0-or-later
// tavex --convergence: its rows are the readouts of --sums at each n, and it
// says what it does with limits and data it cannot take as asked.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "run_tavex.h"

namespace {

using tavex_test::Outcome;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.push_back("");
  return parts;
}

// The table's rows as maps from column name to cell.
std::vector<std::map<std::string, std::string>> tableRows(const std::string& out) {
  const std::vector<std::string> lines = split(out, '\n');
  std::vector<std::map<std::string, std::string>> rows;
  if (lines.empty()) return rows;
  const std::vector<std::string> header = split(lines[0], '\t');
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    const std::vector<std::string> cells = split(lines[i], '\t');
    EXPECT_EQ(cells.size(), header.size()) << lines[i];
    std::map<std::string, std::string> row;
    for (size_t c = 0; c < header.size() && c < cells.size(); ++c) row[header[c]] = cells[c];
    rows.push_back(row);
  }
  return rows;
}

// The readouts of --sums as a map from name to number text.
std::map<std::string, std::string> sumsReadouts(std::vector<std::string> args) {
  args.insert(args.begin(), "--sums");
  const Outcome r = tavex_test::runTavexProgram(args);
  std::map<std::string, std::string> readouts;
  for (const std::string& line : split(r.out, '\n')) {
    const size_t equals = line.find(" = ");
    if (line.rfind("Sum", 0) == 0 || line.rfind("Exact", 0) == 0)
      readouts[line.substr(0, line.find(' '))] = line.substr(equals + 3);
  }
  return readouts;
}

// The left and right sums of the default f = exp(sin(x)) on [1, 4] with n
// steps, "%.10f", computed as the walk does from the values the engine
// gives: each x is written with 14 decimals before f sees it.
std::pair<std::string, std::string> defaultSideSums(int n) {
  const double h = (4.0 - 1.0) / n;
  auto f = [](double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%18.14f", x);
    return std::exp(std::sin(std::strtod(text, nullptr)));
  };
  double left = 0.0, right = 0.0, fp = f(1.0);
  for (int i = 1; i <= n; ++i) {
    const double fx = f(i * h + 1.0);
    left = fp * h + left;
    right = fx * h + right;
    fp = fx;
  }
  char l[64], r[64];
  std::snprintf(l, sizeof l, "%.10f", left);
  std::snprintf(r, sizeof r, "%.10f", right);
  return {l, r};
}

TEST(ConvergenceCommandLine, RowsAreTheSumsOfEachN) {
  struct Case {
    std::vector<std::string> edits;
    std::string upto;
    std::vector<std::string> ns;
  };
  const Case cases[] = {
      {{"--fdata", "n=12"}, "48", {"12", "24", "48"}},
      {{"--fdata", "y=x*x", "--fdata", "x1=0", "--fdata", "x2=1", "--fdata", "n=3", "--gdata",
        "n=40"},
       "12",
       {"3", "6", "12"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--convergence", "--upto", c.upto};
    args.insert(args.end(), c.edits.begin(), c.edits.end());
    const Outcome r = tavex_test::runTavexProgram(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
              "n\tSumU\tSumL\tSumT\tSumM\tSumS\tSumLeft\tSumRight\tExact\tReference\terrU\tordU"
              "\terrL\tordL\terrT\tordT\terrM\tordM\terrS\tordS\terrLeft\tordLeft\terrRight"
              "\tordRight\terrExact");
    const auto rows = tableRows(r.out);
    ASSERT_EQ(rows.size(), c.ns.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE("n = " + c.ns[i]);
      EXPECT_EQ(rows[i].at("n"), c.ns[i]);
      std::vector<std::string> edits = c.edits;
      edits.insert(edits.end(), {"--fdata", "n=" + c.ns[i]});
      std::map<std::string, std::string> sums = sumsReadouts(edits);
      ASSERT_GE(sums.size(), 5u);
      if (!sums.count("SumS")) sums["SumS"] = "";  // odd n: no Simpson
      for (const char* name : {"SumU", "SumL", "SumT", "SumM", "SumS", "Exact"})
        EXPECT_EQ(rows[i].at(name), sums[name]) << name;
      if (c.edits.size() == 2) {  // the default f: left and right by hand
        const auto [left, right] = defaultSideSums(std::stoi(c.ns[i]));
        EXPECT_EQ(rows[i].at("SumLeft"), left);
        EXPECT_EQ(rows[i].at("SumRight"), right);
      }
    }
  }
}

// Limits and steps it cannot take as asked, failures, bad command lines:
// the rows, the exit status and what standard error says.
TEST(ConvergenceCommandLine, SaysWhatItDoesInstead) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> ns;
    int status;
    std::string says;  // all of standard error, or a part when it ends in "..."
  };
  const Case cases[] = {
      {{"--upto", "5"}, {"12"}, 0, "tavex: limit 5 is below n = 12: one row, n = 12\n"},
      {{"--upto", "12"}, {"12"}, 0, ""},
      {{"--upto", "8", "--fdata", "n=1"}, {"2", "4", "8"}, 0,
       "tavex: n = 1 in the function data: the table starts at n = 2\n"},
      {{"--upto", "5000000", "--fdata", "n=524288"}, {"524288", "1048576"}, 0,
       "tavex: limit 5000000 is above 1048576: the rows stop at n <= 1048576\n"},
      {{"--upto", "3000000", "--fdata", "n=2000000"}, {"2000000"}, 0,
       "tavex: n = 2000000 is above 1048576: one row, n = 2000000\n"},
      {{"--upto", "4", "--fdata", "y=1/x", "--fdata", "x1=-1", "--fdata", "x2=1", "--fdata", "n=2"},
       {"2", "4"}, 1, "tavex: n = 2: f failed at x = 0.00000 (y: Divide by Zero at column 11)..."},
      {{"--upto", "0"}, {}, 2, "tavex: --upto needs a whole number N from 1 to ..."},
      {{"--upto", "-3"}, {}, 2, "tavex: --upto needs..."},
      {{"--upto", "123456789012345678901234567890"}, {}, 2, "tavex: --upto needs..."},
      {{"--upto"}, {}, 2, "tavex: --upto needs..."},
      {{"--upto", "8", "--upto", "16"}, {}, 2, "tavex: --convergence: unexpected '--upto'..."},
      {{"--sums"}, {}, 2, "tavex: --convergence: unexpected '--sums'..."},
      {{"--fdata", "q=1"}, {}, 2, "tavex: --fdata: unknown name 'q'\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--convergence"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(args[1] + " " + (args.size() > 2 ? args[2] : ""));
    const Outcome r = tavex_test::runTavexProgram(args);
    EXPECT_EQ(r.status, c.status);
    if (c.says.size() > 3 && c.says.substr(c.says.size() - 3) == "...")
      EXPECT_NE(r.err.find(c.says.substr(0, c.says.size() - 3)), std::string::npos) << r.err;
    else
      EXPECT_EQ(r.err, c.says);
    std::vector<std::string> ns;
    for (const auto& row : tableRows(r.out)) ns.push_back(row.at("n"));
    EXPECT_EQ(ns, c.ns);
  }
}

}  // namespace
