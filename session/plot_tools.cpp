// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/plot_tools.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "data/records.h"
#include "session/pass_runner.h"

namespace tavex {

namespace {

EntryListener& listener() {
  static EntryListener callback;
  return callback;
}

}  // namespace

void setEntryListener(EntryListener callback) { listener() = std::move(callback); }

void acceptProgramLine(DataEntry* record, int entry, const std::string& line) {
  acceptLine(record[entry], line.c_str());
  if (listener()) listener()(record, entry);
}

std::int32_t doubledSteps(std::int32_t n) {
  const std::int64_t base = n < 1 ? 1 : n;
  return static_cast<std::int32_t>(std::min<std::int64_t>(2 * base, INT32_MAX));
}

std::int32_t halvedSteps(std::int32_t n) { return n < 2 ? 1 : n / 2; }

std::string changeStepsEntry(int direction) {
  const DataEntry& entry = functionData[kFdSteps];
  const std::int32_t n = readInteger(entry.value);
  const std::int32_t next = direction > 0 ? doubledSteps(n) : halvedSteps(n);
  acceptProgramLine(functionData, kFdSteps, std::string(entry.name) + " = " + std::to_string(next));
  return "n = " + std::to_string(next);
}

std::string notedLine(const std::string& note, const std::string& line) {
  return line.empty() ? note : note + "; " + line;
}

FitOutcome fitGraphEntries(const PlotContext& context, ProgressView* view) {
  GraphFit fit;
  const PassResult sampled = runMonitored(context, view, [&fit](const PlotContext& c) {
    PassResult pass;
    fit = fitGraph(c, pass);
    return pass;
  });
  if (sampled.cancelled) return {false, "Fit Graph cancelled at " + sampled.cancelledAt + "; nothing changed"};
  if (!fit.failure.empty()) return {false, "Fit Graph: " + fit.failure + "; nothing changed"};
  for (const auto& [entry, line] : fit.lines) acceptProgramLine(graphData, entry, line);
  return {true, "Fitted x " + entryNumber(fit.x.low) + " to " + entryNumber(fit.x.high) + ", y " +
                    entryNumber(fit.y.low) + " to " + entryNumber(fit.y.high)};
}

std::string readoutsText(const PassResult& result) {
  std::string text;
  for (const PanelText* panel : {&result.functionPanel, &result.dataPanel})
    for (int i = 0; i < panel->count; ++i) text.append(panel->lines[i]).append("\n");
  if (!result.sumsComputed) return text;
  const ReadoutLines sides = sideReadouts(result.sums);
  for (int i = 0; i < sides.count; ++i) text.append(sides.lines[i]).append("\n");
  return text;
}

namespace {

std::string studySummary(const ConvergenceStudy& study, long long evaluations, double seconds) {
  const std::vector<ConvergenceRow>& rows = study.rows();
  if (study.cancelled()) return "Cancelled: " + std::to_string(rows.size()) + " rows complete";
  if (rows.empty()) return {};
  char time[32];
  std::snprintf(time, sizeof time, "%.2f", seconds);
  return std::to_string(rows.size()) + " rows, n = " + std::to_string(rows.front().n) + " to " +
         std::to_string(rows.back().n) + ": " + std::to_string(evaluations) +
         " evaluations of f in " + time + " s";
}

}  // namespace

std::string runConvergenceStudy(ConvergenceStudy& study, const PlotContext& context,
                                ProgressView* view, const std::function<void()>& onRows) {
  const auto start = std::chrono::steady_clock::now();
  long long evaluations = 0;
  runMonitored(context, view, [&](const PlotContext& c) {
    study.run(c.engine, c.monitor, onRows);
    for (const ConvergenceRow& row : study.rows()) evaluations += row.evaluations;
    evaluations += study.reference().evaluations;
    PassResult result;
    result.ran = true;
    result.cancelled = study.cancelled();
    return result;
  });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return studySummary(study, evaluations, seconds);
}

}  // namespace tavex
