// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/warnings.h"

#include <cstdio>
#include <cstring>

namespace tavex {

namespace {

std::string trimmedName(const DataEntry& entry) {
  std::string name = entry.name;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// "%.17g" without trailing noise for the common short numbers.
std::string shortNumber(double value) {
  char text[40];
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (readReal(text) == value) break;
  }
  return text;
}

void checkNumber(std::vector<std::string>& out, const DataEntry& entry, bool integer) {
  const NumberReading r = integer ? readIntegerWhole(entry.value) : readRealWhole(entry.value);
  if (r.whole) return;
  out.push_back(trimmedName(entry) + " = " + entry.value + " read as " + shortNumber(r.value));
}

// A value longer than its field was cut when the line was accepted.
void checkCut(std::vector<std::string>& out, const DataEntry& entry) {
  const size_t prefix = std::strlen(entry.name) + 3;
  const size_t length = strnlen(entry.line, DataEntry::kLineSize);
  if (length > prefix + (DataEntry::kValueSize - 1))
    out.push_back(trimmedName(entry) + ": value cut to " +
                  std::to_string(DataEntry::kValueSize - 1) + " characters");
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

}  // namespace

std::vector<std::string> entryWarnings(const DataEntry* functionData, const DataEntry* graphData) {
  std::vector<std::string> out;
  for (int i : {kFdX1, kFdX2, kFdSteps}) {
    checkCut(out, functionData[i]);
    checkNumber(out, functionData[i], i == kFdSteps);
  }
  for (int i = kGdX0; i <= kGdTsize; ++i) {
    checkCut(out, graphData[i]);
    checkNumber(out, graphData[i], i >= kGdPoints);
  }
  for (int i : {kGdXlab, kGdYlab, kGdTitle}) checkCut(out, graphData[i]);
  return out;
}

std::string assignedName(const char* line) {
  const char* p = line;
  while (isBlank(*p)) ++p;
  if (!isLetter(*p)) return {};
  const char* start = p;
  while (isLetter(*p) || isDigit(*p)) ++p;
  std::string name(start, static_cast<size_t>(p - start));
  while (isBlank(*p)) ++p;
  // "=" alone, or a compound assignment; "==" is a comparison.
  if (p[0] == '=' && p[1] != '=') return name;
  if ((p[0] == '+' || p[0] == '-' || p[0] == '*' || p[0] == '/') && p[1] == '=') return name;
  return {};
}

std::string resultWarning(const DataEntry* functionData, const SymbolTable& table) {
  const std::string assigned = assignedName(functionData[kFdFunction].line);
  if (assigned.empty() || table.count == 0) return {};
  const std::string result = table.entries[table.count - 1].name;
  if (result == assigned) return {};
  if (result > assigned) return "result taken from " + result + ", which sorts after " + assigned;
  return "result taken from " + result + "; " + assigned + " was not assigned";
}

}  // namespace tavex
