#include "app/pass_report.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/records.h"
#include "expr/engine.h"

namespace tavex {

std::string passReportText(const PassReport& report) {
  const EvaluationFailure& failure = report.firstFailure;
  if (!failure.recorded) return {};

  std::string entry = "x";
  if (failure.entry > 0 && failure.entry < kFunctionDataEntries) {
    const char* name = functionData[failure.entry].name;
    size_t n = strnlen(name, DataEntry::kNameSize);
    while (n > 0 && name[n - 1] == ' ') --n;
    entry.assign(name, n);
  }
  const size_t messageLength = strnlen(failure.message, sizeof failure.message);
  std::string text = entry + ": ";
  if (messageLength == 0) {
    text += statusName(failure.status);
  } else {
    text.append(failure.message, messageLength);
  }
  if (failure.entryColumn > 0) text += " at column " + std::to_string(failure.entryColumn);
  return text;
}

std::string passFailureLine(const PassReport& report) {
  if (!report.firstFailure.recorded) return {};
  const double x = report.firstFailure.x;
  // A far-away x in fixed notation would run to hundreds of digits and crowd
  // the counts out of the line.
  char at[40];
  std::snprintf(at, sizeof at, std::fabs(x) < 1e15 ? "%.5f" : "%.6g", x);
  return passReportText(report) + " (x = " + at + "; " + std::to_string(report.failures) +
         " of " + std::to_string(report.evaluations) + " evaluations failed)";
}

}  // namespace tavex
