// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli_analysis.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "data/records.h"
#include "plot/analysis.h"
#include "plot/tolerance.h"
#include "plot/warnings.h"
#include "session/cli_edits.h"
#include "session/state.h"

namespace tavex {

namespace {

void note(std::FILE* err, const std::string& text) {
  std::fprintf(err, "tavex: %s\n", text.c_str());
}

// The EDITs after argv[first]; false after a message when one is bad or
// something else is there.
bool takeEdits(int argc, char** argv, int first, const char* mode, std::FILE* err) {
  std::vector<RecordEdit> edits;
  for (int i = first; i < argc; ++i) {
    const EditOption taken = takeEdit(argc, argv, i, edits, err);
    if (taken == EditOption::Bad) return false;
    if (taken == EditOption::NotAnEdit) {
      std::fprintf(err, "tavex: %s: unexpected '%s' (use EDITs)\n", mode, argv[i]);
      return false;
    }
  }
  applyEdits(edits);
  for (const std::string& warning : entryWarnings(functionData, graphData))
    note(err, "warning: " + warning);
  return true;
}

// A whole argument as a number.
bool parseNumber(const char* text, double& value) {
  std::string_view s(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  // readDecimal reads as from_chars does, also where the standard library
  // has no from_chars for double (emscripten's).
  return !s.empty() && readDecimal(s, value);
}

// What a reversed or empty interval means for a search over it.
void intervalNote(const FunctionInterval& interval, std::FILE* err) {
  if (interval.x2 < interval.x1)
    note(err, "x2 < x1: the sums run from x1 down to x2; f is looked at on [x2, x1]");
}

// "%.10f", without the sign of a value that shows as 0.
std::string fixed10(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.10f", value);
  return std::strcmp(text, "-0.0000000000") == 0 ? std::string(text + 1) : std::string(text);
}

void resultNote(std::FILE* err) {
  const std::string result = resultWarning(functionData, programEngine().symbolTable());
  if (!result.empty()) note(err, "warning: " + result);
}

}  // namespace

int runTolerance(int argc, char** argv, std::FILE* out, std::FILE* err) {
  double tolerance = 0.0;
  if (argc < 3 || !parseNumber(argv[2], tolerance)) {
    std::fprintf(err, "tavex: --tolerance needs a number EPS%s%s%s\n", argc < 3 ? "" : ", got '",
                 argc < 3 ? "" : argv[2], argc < 3 ? "" : "'");
    return 2;
  }
  const std::string problem = toleranceProblem(tolerance);
  if (!problem.empty()) {
    std::fprintf(err, "tavex: --tolerance %s: EPS %s\n", argv[2], problem.c_str());
    return 2;
  }
  if (!takeEdits(argc, argv, 3, "--tolerance", err)) return 2;
  intervalNote(intervalOf(functionData), err);

  ToleranceStudy study(functionData, graphData, tolerance);
  study.run(programEngine(), nullptr);
  const FunctionFit& fit = study.fit();
  bool estimated = true;
  for (const RuleTolerance& r : study.rules()) estimated = estimated && r.K.known;
  if (fit.failure.recorded) note(err, failureText(fit.failure, functionData));
  if (!study.refusal().empty()) note(err, study.refusal());
  resultNote(err);
  std::fputs(study.tableText().c_str(), out);
  if (!study.refusal().empty() && study.reference().hasValue()) return 2;
  return study.failed() || !estimated || !study.reference().hasValue() ? 1 : 0;
}

int runFind(int argc, char** argv, std::FILE* out, std::FILE* err) {
  if (!takeEdits(argc, argv, 2, "--find", err)) return 2;
  const FunctionInterval interval = intervalOf(functionData);
  intervalNote(interval, err);
  if (!std::isfinite(interval.x1) || !std::isfinite(interval.x2)) {
    note(err, "x1 or x2 is not a finite number: nothing to search");
    return 2;
  }
  FunctionEvaluator evaluator(functionData, programEngine());
  const FunctionFit fit = fitFunction(evaluator, interval.x1, interval.x2);
  const std::vector<Feature> features = findFeatures(evaluator, fit);
  for (const Feature& f : features)
    std::fprintf(out, "%s\t%s\t%s\n", featureName(f.kind), fixed10(f.x).c_str(),
                 fixed10(f.f).c_str());
  for (const FitGap& gap : fit.gaps) note(err, gapText(gap, fit, functionData));
  if (fit.a == fit.b)
    note(err, "x1 = x2: nothing to search");
  else if (fit.complete() && fit.vscale == 0.0)
    note(err, "f is 0 all over [x1, x2]");
  else if (features.empty())
    note(err, std::string("no zero, extremum or inflection point of f ") +
                  (fit.gaps.empty() ? "on" : "elsewhere on") + " [x1, x2]");
  resultNote(err);
  return evaluator.failureCount() > 0 || !fit.gaps.empty() ? 1 : 0;
}

}  // namespace tavex
