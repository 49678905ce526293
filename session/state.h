// SPDX-License-Identifier: GPL-3.0-or-later
// The program's state that is not a window, shared by every front end: the
// one expression engine (its variables persist for the whole run), the two
// records (functionData and graphData, data/records.h) and what the last
// passes produced.
#pragma once

#include "expr/engine.h"
#include "plot/plot.h"

namespace tavex {

// The program's one expression engine. Everything in the program that
// evaluates f reaches it through here.
ExpressionEngine& programEngine();

// What a pass reads from the program: its engine and both records. The
// front end adds the mouse position and the probe flag.
PlotContext programContext();

// The rule whose shapes draw passes show (programContext passes it on);
// the upper and lower outlines until a front end chooses another.
SumRule currentRule();
void setCurrentRule(SumRule rule);

// The last draw pass and the last probe pass that ran (ran is false before
// the first). keepPass files a result under its kind.
const PassResult& lastDrawPass();
const PassResult& lastProbePass();
void keepPass(const PassResult& result);
// Forgets both (for tests that end a program run).
void forgetPasses();

}  // namespace tavex
