// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "data/records.h"

namespace tavex {
namespace {

// Every test leaves the records at their defaults, so the defaults test also
// sees what static initialisation left, whatever the test order.
class Records : public ::testing::Test {
 protected:
  void TearDown() override {
    initFunctionData();
    initGraphData();
  }
};

struct Expected {
  int index;
  const char* name;
  const char* value;
  const char* line;
};

TEST_F(Records, DefaultsAfterStaticInitialisation) {
  const Expected fdata[] = {
      {0, "fdata", "   9", "fdata =    9"},
      {1, "y   ", "exp(a*sin(b*x))", "y    = exp(a*sin(b*x))"},
      {2, "a   ", "1", "a    = 1"},   {3, "b   ", "1", "b    = 1"},
      {4, "c   ", "1", "c    = 1"},   {5, "d   ", "1", "d    = 1"},
      {6, "e   ", "1", "e    = 1"},   {7, "x1  ", "1", "x1   = 1"},
      {8, "x2  ", "4", "x2   = 4"},   {9, "n   ", "12", "n    = 12"},
  };
  const Expected gdata[] = {
      {0, "gdata    ", "13", "gdata     = 13"},  {1, "x0       ", "0", "x0        = 0"},
      {2, "x1       ", "5", "x1        = 5"},    {3, "y0       ", "0", "y0        = 0"},
      {4, "y1       ", "3", "y1        = 3"},    {5, "n        ", "500", "n         = 500"},
      {6, "t1       ", "5", "t1        = 5"},    {7, "tt1      ", "5", "tt1       = 5"},
      {8, "t2       ", "3", "t2        = 3"},    {9, "tt2      ", "5", "tt2       = 5"},
      {10, "tsize    ", "10", "tsize     = 10"}, {11, "xlab     ", "x", "xlab      = x"},
      {12, "ylab     ", "Y  ", "ylab      = Y  "}, {13, "title    ", "", "title     = "},
  };
  for (const Expected& e : fdata) {
    SCOPED_TRACE(e.index);
    EXPECT_STREQ(functionData[e.index].name, e.name);
    EXPECT_STREQ(functionData[e.index].value, e.value);
    EXPECT_STREQ(functionData[e.index].line, e.line);
  }
  for (const Expected& e : gdata) {
    SCOPED_TRACE(e.index);
    EXPECT_STREQ(graphData[e.index].name, e.name);
    EXPECT_STREQ(graphData[e.index].value, e.value);
    EXPECT_STREQ(graphData[e.index].line, e.line);
  }
  EXPECT_EQ(readInteger(functionData[kFdHeader].value), 9);
  EXPECT_EQ(readInteger(graphData[kGdHeader].value), 13);
}

TEST_F(Records, DefaultInterval) {
  const FunctionInterval& fi = readFunctionInterval();
  EXPECT_EQ(fi.x1, 1.0);
  EXPECT_EQ(fi.x2, 4.0);
  EXPECT_EQ(fi.n, 12);
  EXPECT_EQ(fi.h, 0.25);
  EXPECT_EQ(&fi, &functionInterval);
}

TEST_F(Records, AcceptLineCutsAtFixedPosition) {
  struct Case {
    int index;
    bool graph;
    const char* text;
    const char* value;
  };
  const Case cases[] = {
      {kFdX1, false, "x1   = 2.5", "2.5"},
      {kFdX1, false, "x1 = 2", ""},    // prefix shortened: position 7 lies beyond the text
      {kFdX1, false, "x1   =", ""},
      {kFdX1, false, "x1   = ", ""},
      {kFdX1, false, "x1   =  3", " 3"},  // whatever stands at position 7 on
      {kFdX1, false, "x1     = 4", "= 4"},  // a longer prefix is not searched for "="
      {kFdX1, false, "", ""},
      {kGdTitle, true, "title     = Riemann", "Riemann"},
      {kGdTitle, true, "title     = ", ""},
      {kGdYlab, true, "ylab      = f(x)  ", "f(x)  "},  // trailing blanks kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    DataEntry& entry = c.graph ? graphData[c.index] : functionData[c.index];
    const std::string name = entry.name;
    acceptLine(entry, c.text);
    EXPECT_STREQ(entry.line, c.text);
    EXPECT_STREQ(entry.value, c.value);
    EXPECT_EQ(entry.name, name);
  }
  acceptLine(functionData[kFdX1], "x1 = 2");
  EXPECT_EQ(readFunctionInterval().x1, 0.0);
  acceptLine(functionData[kFdX1], "x1   = 2.5");
  EXPECT_EQ(readFunctionInterval().x1, 2.5);
}

TEST_F(Records, OverlongValueKeepsWholeLineAndCutsValue) {
  std::string text = "y    = ";
  while (text.size() < 118) text += "x+";
  text.resize(118);
  acceptLine(functionData[kFdFunction], text.c_str());
  EXPECT_EQ(std::string(functionData[kFdFunction].line), text);
  EXPECT_EQ(std::string(functionData[kFdFunction].value), text.substr(7, 59));

  // A text beyond the line's capacity keeps its first 119 characters.
  std::string longer(200, 'q');
  acceptLine(functionData[kFdFunction], longer.c_str());
  EXPECT_EQ(std::strlen(functionData[kFdFunction].line), 119u);
  EXPECT_EQ(std::strlen(functionData[kFdFunction].value), 59u);

  acceptLine(functionData[kFdFunction], nullptr);
  EXPECT_STREQ(functionData[kFdFunction].line, "");
}

TEST_F(Records, MakeEntryComposesAndCuts) {
  DataEntry e = makeEntry("x0       ", "-2");
  EXPECT_STREQ(e.line, "x0        = -2");
  EXPECT_STREQ(e.value, "-2");

  const std::string value(100, '7');
  e = makeEntry("a   ", value.c_str());
  EXPECT_EQ(std::string(e.line), "a    = " + value);
  EXPECT_EQ(std::string(e.value), value.substr(0, 59));
  // Accepting the composed line gives the same entry back.
  DataEntry again = e;
  acceptLine(again, e.line);
  EXPECT_STREQ(again.value, e.value);
}

TEST(Conversion, IntegerFollowsAtoi) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"   9", 9},      {"12 steps", 12},      {"abc", 0},          {"", 0},
      {"-7", -7},       {"+3", 3},             {" \t\n\v\f\r5", 5}, {"1e3", 1},
      {"2.9", 2},       {"- 4", 0},            {"0x10", 0},         {"2147483647", INT_MAX},
      {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(readInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Conversion, RealFollowsAtof) {
  struct Case {
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"2.5", 2.5},   {"  -1.5e2x", -150.0}, {"abc", 0.0}, {"", 0.0},   {".5", 0.5},
      {"1e", 1.0},    {"1e+", 1.0},          {"+4.", 4.0}, {"3 4", 3.0}, {"1E-2", 0.01},
      {"1e400", HUGE_VAL}, {"0.1", 0.1},
  };
  for (const Case& c : cases) EXPECT_EQ(readReal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Conversion, RealIgnoresProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
    GTEST_SKIP() << "no locale with a decimal comma installed";
  const double value = readReal("2.5");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(value, 2.5);
}

TEST_F(Records, DegenerateStepCounts) {
  acceptLine(functionData[kFdSteps], "n    = 0");
  FunctionInterval fi = readFunctionInterval();
  EXPECT_EQ(fi.n, 0);
  EXPECT_TRUE(std::isinf(fi.h));
  acceptLine(functionData[kFdX2], "x2   = 1");
  EXPECT_TRUE(std::isnan(readFunctionInterval().h));
  acceptLine(functionData[kFdSteps], "n    = -3");
  fi = readFunctionInterval();
  EXPECT_EQ(fi.n, -3);
  EXPECT_EQ(fi.h, -0.0);
}

TEST(RecordLookup, FindEntryByUnpaddedName) {
  EXPECT_EQ(findEntry(functionData, kFunctionDataEntries, "y"), kFdFunction);
  EXPECT_EQ(findEntry(functionData, kFunctionDataEntries, "x2"), kFdX2);
  EXPECT_EQ(findEntry(graphData, kGraphDataEntries, "title"), kGdTitle);
  EXPECT_EQ(findEntry(graphData, kGraphDataEntries, "x1"), kGdX1);
  // The header is not an editable entry, and names match whole.
  EXPECT_EQ(findEntry(functionData, kFunctionDataEntries, "fdata"), -1);
  EXPECT_EQ(findEntry(functionData, kFunctionDataEntries, "x"), -1);
  EXPECT_EQ(findEntry(graphData, kGraphDataEntries, "tt"), -1);
  EXPECT_EQ(findEntry(graphData, kGraphDataEntries, ""), -1);
}

}  // namespace
TEST(Conversion, WholeReadingsTellANumberFromATextThatOnlyStartsWithOne) {
  const struct {
    const char* text;
    bool integer;
    double value;
    bool whole;
  } cases[] = {
      {"12", true, 12, true},          {"  -7  ", true, -7, true},   {"1e9", true, 1, false},
      {"12 steps", true, 12, false},   {"", true, 0, false},         {"pi", false, 0, false},
      {"2147483647", true, 2147483647, true}, {"2147483648", true, 2147483647, false},
      {"-2147483648", true, -2147483648.0, true}, {"2.5", false, 2.5, true},
      {" 1e-3 ", false, 0.001, true},  {"4x", false, 4, false},      {"-", false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const NumberReading r = c.integer ? readIntegerWhole(c.text) : readRealWhole(c.text);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(r.whole, c.whole);
  }
}

// readDecimal reads what from_chars reads, to the bit: checked against a
// table everywhere, and where the standard library has from_chars for
// double, against it for texts built from the characters numbers use.
std::uint64_t bitsOf(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

TEST(Conversion, DecimalReadsAsFromChars) {
  const double inf = INFINITY;
  const struct {
    const char* text;
    bool read;
    double value;
  } cases[] = {
      {"2.5", true, 2.5}, {"-0", true, -0.0}, {".5", true, 0.5}, {"1.", true, 1},
      {"1e+5", true, 1e5}, {"00012", true, 12}, {"-INFINITY", true, -inf}, {"Inf", true, inf},
      {"0.1", true, 0.1}, {"4e-320", true, 4e-320}, {"0e999999999999", true, 0},
      {"2.4703282292062328e-324", true, 4.9406564584124654e-324},
      {"1.7976931348623157e308", true, 1.7976931348623157e308},
      // Not a number whole, or out of range.
      {"+1", false, 0}, {" 1", false, 0}, {"1 ", false, 0}, {"0x10", false, 0}, {"1e", false, 0},
      {"1e+", false, 0}, {".", false, 0}, {"-", false, 0}, {"", false, 0}, {"infx", false, 0},
      {"nan(", false, 0}, {"nan(a-b)", false, 0}, {"1e400", false, 0}, {"-1e400", false, 0},
      {"1e-400", false, 0}, {"2.4703282292062327e-324", false, 0}, {"1,5", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    double value = 7;
    EXPECT_EQ(readDecimal(c.text, value), c.read);
    EXPECT_EQ(bitsOf(value), bitsOf(c.read ? c.value : 7));
  }
  for (const char* nan : {"nan", "NaN(123_x)", "-nan", "nan()"}) {
    double value = 0;
    EXPECT_TRUE(readDecimal(nan, value)) << nan;
    EXPECT_TRUE(std::isnan(value) && std::signbit(value) == (nan[0] == '-')) << nan;
  }
#if defined(__cpp_lib_to_chars)
  std::mt19937_64 random(19);
  std::vector<std::string> texts;
  const std::string alphabet = "0123456789.eE+-infatyINFATY()_x ";
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    for (int k = static_cast<int>(random() % 12); k >= 0; --k)
      text += alphabet[random() % alphabet.size()];
    texts.push_back(text);
    char printed[40];
    double v;
    const std::uint64_t bits = random();
    std::memcpy(&v, &bits, sizeof v);
    if (i % 2) std::snprintf(printed, sizeof printed, "%.17g", v);
    else std::snprintf(printed, sizeof printed, "%.*e", i % 19, v);
    texts.push_back(printed);
  }
  for (const char* t : {"nan", "nan()", "NAN(z9_)", "-nan(1)", "infinity", "-inFinIty", "infinit"})
    texts.push_back(t);
  for (const std::string& text : texts) {
    double expected = 7, got = 7;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), expected);
    const bool whole = ec == std::errc() && end == text.data() + text.size();
    ASSERT_EQ(readDecimal(text, got), whole) << text;
    ASSERT_EQ(bitsOf(got), bitsOf(whole ? expected : 7)) << text;
  }
#endif
}

}  // namespace tavex
