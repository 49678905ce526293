// SPDX-License-Identifier: GPL-3.0-or-later
#include "data/records.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <string>

namespace tavex {

DataEntry functionData[kFunctionDataEntries];
DataEntry graphData[kGraphDataEntries];
FunctionInterval functionInterval;

namespace {

// Copies at most capacity - 1 bytes of text and terminates.
void copyBounded(char* to, int capacity, const char* text) {
  size_t n = text ? strnlen(text, static_cast<size_t>(capacity - 1)) : 0;
  std::memcpy(to, text ? text : "", n);
  to[n] = '\0';
}

// The value part of a line: from position length(name) + 3 on, at most 59
// characters; empty when the line is no longer than that position.
void deriveValue(DataEntry& entry) {
  size_t cut = std::strlen(entry.name) + 3;
  size_t length = std::strlen(entry.line);
  copyBounded(entry.value, DataEntry::kValueSize, cut < length ? entry.line + cut : "");
}

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// strtod in a fixed "C" locale: a desktop toolkit may set the process
// locale, which would otherwise change the decimal point.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if ((text[i] | 0x20) != lower[i]) return false;
  return true;
}

// "nan", or "nan(" letters, digits and _ ")", in any case.
bool isNanText(std::string_view text) {
  if (text.size() < 3 || !equalsIgnoringCase(text.substr(0, 3), "nan")) return false;
  if (text.size() == 3) return true;
  if (text[3] != '(' || text.back() != ')') return false;
  for (char c : text.substr(4, text.size() - 5))
    if (!isDigit(c) && c != '_' && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return false;
  return true;
}

// Digits with an optional point (at least one digit), then an optional
// exponent with at least one digit; nonZero tells whether a digit of the
// mantissa is not 0.
bool isDecimalText(std::string_view text, bool& nonZero) {
  size_t i = 0, digits = 0;
  nonZero = false;
  auto mantissaDigits = [&] {
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits) nonZero |= text[i] != '0';
  };
  mantissaDigits();
  if (i < text.size() && text[i] == '.') ++i, mantissaDigits();
  if (digits == 0) return false;
  if (i == text.size()) return true;
  if ((text[i] | 0x20) != 'e') return false;
  if (++i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t exponentStart = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  return i > exponentStart && i == text.size();
}

struct DefaultText {
  const char* name;
  const char* value;
};

constexpr DefaultText kFunctionDefaults[kFunctionDataEntries] = {
    {"fdata", "   9"}, {"y   ", "exp(a*sin(b*x))"},
    {"a   ", "1"},     {"b   ", "1"},
    {"c   ", "1"},     {"d   ", "1"},
    {"e   ", "1"},     {"x1  ", "1"},
    {"x2  ", "4"},     {"n   ", "12"},
};

constexpr DefaultText kGraphDefaults[kGraphDataEntries] = {
    {"gdata    ", "13"}, {"x0       ", "0"},  {"x1       ", "5"},  {"y0       ", "0"},
    {"y1       ", "3"},  {"n        ", "500"}, {"t1       ", "5"},  {"tt1      ", "5"},
    {"t2       ", "3"},  {"tt2      ", "5"},  {"tsize    ", "10"}, {"xlab     ", "x"},
    {"ylab     ", "Y  "}, {"title    ", ""},
};

// Fills both records before main runs; the records are zero-initialised
// before any dynamic initialisation, and this object lives in their unit.
struct DefaultsLoader {
  DefaultsLoader() {
    initFunctionData();
    initGraphData();
  }
} defaultsLoader;

}  // namespace

std::uint64_t recordsVersion = 0;

DataEntry makeEntry(const char* name, const char* value) {
  ++recordsVersion;  // the entry made is about to be stored somewhere
  DataEntry entry;
  copyBounded(entry.name, DataEntry::kNameSize, name);
  copyBounded(entry.value, DataEntry::kValueSize, value);
  size_t n = std::strlen(entry.name);
  std::memcpy(entry.line, entry.name, n);
  std::memcpy(entry.line + n, " = ", 4);
  copyBounded(entry.line + n + 3, DataEntry::kLineSize - static_cast<int>(n) - 3, value);
  return entry;
}

void acceptLine(DataEntry& entry, const char* text) {
  ++recordsVersion;
  copyBounded(entry.line, DataEntry::kLineSize, text);
  deriveValue(entry);
}

void initFunctionData() {
  for (int i = 0; i < kFunctionDataEntries; ++i)
    functionData[i] = makeEntry(kFunctionDefaults[i].name, kFunctionDefaults[i].value);
}

void initGraphData() {
  for (int i = 0; i < kGraphDataEntries; ++i)
    graphData[i] = makeEntry(kGraphDefaults[i].name, kGraphDefaults[i].value);
}

const char* functionDefault(int index) { return kFunctionDefaults[index].value; }

const char* graphDefault(int index) { return kGraphDefaults[index].value; }

FunctionInterval intervalOf(const DataEntry* record) {
  FunctionInterval fi;
  fi.x1 = readReal(record[kFdX1].value);
  fi.x2 = readReal(record[kFdX2].value);
  fi.n = readInteger(record[kFdSteps].value);
  fi.h = (fi.x2 - fi.x1) / static_cast<double>(fi.n);
  return fi;
}

const FunctionInterval& readFunctionInterval() {
  functionInterval = intervalOf(functionData);
  return functionInterval;
}

const FunctionInterval& readFunctionInterval(const DataEntry* record) {
  functionInterval = intervalOf(record);
  return functionInterval;
}

std::int32_t readInteger(const char* text) {
  const char* p = text ? text : "";
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long magnitude = 0;
  const long long limit = negative ? -static_cast<long long>(INT32_MIN) : INT32_MAX;
  for (; *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) magnitude = limit;  // saturate, keep reading digits
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

double readReal(const char* text) {
  return readRealWhole(text).value;
}

NumberReading readRealWhole(const char* text) {
  const char* start = text ? text : "";
  char* end = nullptr;
  NumberReading r;
  r.value = strtod_l(start, &end, cLocale());
  const char* p = end;
  while (isSpace(*p)) ++p;
  r.whole = end != start && *p == '\0';
  return r;
}

NumberReading readIntegerWhole(const char* text) {
  NumberReading r;
  r.value = readInteger(text);
  const char* p = text ? text : "";
  while (isSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  const bool hasDigits = *p >= '0' && *p <= '9';
  const long long limit = negative ? 2147483648LL : 2147483647LL;
  bool inRange = true;
  for (long long magnitude = 0; *p >= '0' && *p <= '9'; ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) inRange = false, magnitude = limit;
  }
  while (isSpace(*p)) ++p;
  r.whole = hasDigits && *p == '\0' && inRange;
  return r;
}

bool readDecimal(std::string_view text, double& value) {
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view body = text.substr(negative ? 1 : 0);
  const double sign = negative ? -1.0 : 1.0;
  if (equalsIgnoringCase(body, "inf") || equalsIgnoringCase(body, "infinity")) {
    value = sign * std::numeric_limits<double>::infinity();
    return true;
  }
  if (isNanText(body)) {  // no payload, as from_chars gives it
    value = std::copysign(std::numeric_limits<double>::quiet_NaN(), sign);
    return true;
  }
  bool nonZero = false;
  if (!isDecimalText(body, nonZero)) return false;
  // strtod rounds correctly, as from_chars does; the text is checked, so
  // it reads all of it.
  const std::string copy(text);
  const double read = strtod_l(copy.c_str(), nullptr, cLocale());
  if (std::isinf(read) || (read == 0 && nonZero)) return false;
  value = read;
  return true;
}

int findEntry(const DataEntry* record, int entries, std::string_view name) {
  for (int i = 1; i < entries; ++i) {
    std::string_view own = record[i].name;
    while (!own.empty() && own.back() == ' ') own.remove_suffix(1);
    if (own == name) return i;
  }
  return -1;
}

GraphSettings readGraphSettings(const DataEntry* graphData) {
  GraphSettings graph;
  graph.x0 = readReal(graphData[kGdX0].value);
  graph.x1 = readReal(graphData[kGdX1].value);
  graph.y0 = readReal(graphData[kGdY0].value);
  graph.y1 = readReal(graphData[kGdY1].value);
  graph.n = readInteger(graphData[kGdPoints].value);
  graph.t1 = readInteger(graphData[kGdT1].value);
  graph.tt1 = readInteger(graphData[kGdTt1].value);
  graph.t2 = readInteger(graphData[kGdT2].value);
  graph.tt2 = readInteger(graphData[kGdTt2].value);
  graph.tsize = readInteger(graphData[kGdTsize].value);
  graph.xlab = graphData[kGdXlab].value;
  graph.ylab = graphData[kGdYlab].value;
  graph.title = graphData[kGdTitle].value;
  return graph;
}

}  // namespace tavex
