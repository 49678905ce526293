// SPDX-License-Identifier: GPL-3.0-or-later
// The teaching tools around a plot, as every front end offers them: n at a
// keystroke, Fit Graph, the readouts as text, the convergence study as a
// pass. What the program writes into the records goes through acceptLine,
// as if typed, and open views of the records hear of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "plot/convergence.h"
#include "plot/fit_graph.h"
#include "plot/plot.h"

namespace tavex {

class ProgressView;

// Tells a front end that the program wrote entry `entry` of record (an open
// data box then shows the new row). One listener per front end is enough.
using EntryListener = std::function<void(const DataEntry* record, int entry)>;
void setEntryListener(EntryListener listener);

// Writes line into entry `entry` of record through acceptLine, as if typed,
// and tells the listener.
void acceptProgramLine(DataEntry* record, int entry, const std::string& line);

// n after a keystroke: doubled up to the largest 32-bit integer, or halved
// (rounding down); an n below 1 counts as 1, and the result is never below 1.
std::int32_t doubledSteps(std::int32_t n);
std::int32_t halvedSteps(std::int32_t n);

// Doubles (direction 1) or halves (-1) the function data's n through
// acceptLine; returns the note the next draw pass's status line starts with
// ("n = 24").
std::string changeStepsEntry(int direction);

// note, then a pass's own status line after "; " when it has one.
std::string notedLine(const std::string& note, const std::string& line);

// Fit Graph as one pass: samples f, then writes the fitted entries into the
// graph data. Returns what to tell the user: failed is true when nothing
// changed (cancelled or no fit), note says what happened.
struct FitOutcome {
  bool changed = false;
  std::string note;  // "Fitted x 0 to 5, y -1 to 3" or why nothing changed
};
FitOutcome fitGraphEntries(const PlotContext& context, ProgressView* view);

// The text "Copy Readouts" gives: the function line, then the data panel's
// lines, then SumLeft and SumRight when the pass has sums, each line ending
// with a line feed.
std::string readoutsText(const PassResult& result);

// The convergence study of the records as they are now, as one pass; onRows
// is called as rows come in. Returns the summary line for the status line.
std::string runConvergenceStudy(ConvergenceStudy& study, const PlotContext& context,
                                ProgressView* view, const std::function<void()>& onRows);

}  // namespace tavex
