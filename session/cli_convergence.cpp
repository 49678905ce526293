// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/cli_convergence.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "session/cli_edits.h"
#include "session/state.h"
#include "data/records.h"
#include "plot/convergence.h"
#include "plot/warnings.h"

namespace tavex {

namespace {

// A whole number from 1 to LLONG_MAX.
bool parseLimit(const char* text, long long& limit) {
  std::string_view s(text);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), limit);
  return !s.empty() && ec == std::errc() && end == s.data() + s.size() && limit >= 1;
}

void note(std::FILE* err, const std::string& text) { std::fprintf(err, "tavex: %s\n", text.c_str()); }

}  // namespace

int runConvergence(int argc, char** argv, std::FILE* out, std::FILE* err) {
  long long limit = 0;
  bool limitGiven = false;
  std::vector<RecordEdit> edits;
  for (int i = 2; i < argc; ++i) {
    const char* a = argv[i];
    const bool hasArgument = i + 1 < argc;
    const EditOption taken = takeEdit(argc, argv, i, edits, err);
    if (taken == EditOption::Bad) return 2;
    if (taken == EditOption::Taken) continue;
    if (std::strcmp(a, "--upto") == 0 && !limitGiven) {
      if (!hasArgument || !parseLimit(argv[i + 1], limit)) {
        std::fprintf(err, "tavex: --upto needs a whole number N from 1 to %lld%s%s%s\n", LLONG_MAX,
                     hasArgument ? ", got '" : "", hasArgument ? argv[i + 1] : "",
                     hasArgument ? "'" : "");
        return 2;
      }
      limitGiven = true;
      ++i;
    } else {
      std::fprintf(err, "tavex: --convergence: unexpected '%s' (use --upto N and EDITs)\n", a);
      return 2;
    }
  }
  applyEdits(edits);
  for (const std::string& warning : entryWarnings(functionData, graphData))
    note(err, "warning: " + warning);

  ConvergenceStudy study(functionData, graphData, limit);
  for (const std::string& text : study.plan().notes) note(err, text);
  // The run's notes as they come: a long first row is announced before it runs.
  size_t noted = 0;
  study.run(programEngine(), nullptr, [&] {
    for (; noted < study.runNotes().size(); ++noted) note(err, study.runNotes()[noted]);
    std::fflush(err);
  });
  for (; noted < study.runNotes().size(); ++noted) note(err, study.runNotes()[noted]);

  const ReferenceValue& reference = study.reference();
  if (reference.status != ReferenceValue::Status::Reached)
    note(err, referenceStatement(reference, functionData));
  bool failed = reference.status == ReferenceValue::Status::Failed;
  for (const ConvergenceRow& row : study.rows()) {
    if (row.failures == 0) continue;
    failed = true;
    note(err, "n = " + std::to_string(row.n) + ": " + failureText(row.firstFailure, functionData) +
                  "; " + std::to_string(row.failures) + " of " + std::to_string(row.evaluations) +
                  " evaluations failed");
  }
  const std::string result = resultWarning(functionData, programEngine().symbolTable());
  if (!result.empty()) note(err, "warning: " + result);

  std::fputs(study.tableText('\t').c_str(), out);
  return failed ? 1 : 0;
}

}  // namespace tavex
