// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/pass_report.h"

#include <cmath>
#include <cstdio>

#include "data/records.h"
#include "expr/function_evaluator.h"

namespace tavex {

std::string passReportText(const PassReport& report) {
  if (!report.firstFailure.recorded) return {};
  return failureCause(report.firstFailure, functionData);
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
