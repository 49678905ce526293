// SPDX-License-Identifier: GPL-3.0-or-later
// The live plot window: its frame, the passes drawn and probed in it, its
// status line and what it last showed.
#pragma once

#include <string>

#include "plot/plot.h"

namespace tavex {

class ChildWindow;

// Makes window the live plot window with a fresh frame (the old frame goes).
void openPlotWindow(ChildWindow* window);

// Whether there is a live plot window whose frame draws into it.
bool livePlotShown();
// Whether window is the live plot window and the current frame draws into it
// (not into the main window, as a print frame does).
bool servesPlot(const ChildWindow& window);

// Gives back what the current frame holds, clears the probe and frees it.
void discardCurrentFrame();

// What a pass takes from the shell: the program's engine and records, the
// last mouse position and the probe flag.
PlotContext shellPlotContext();

// Takes in what a pass produced: the probe flag, the report and readouts for
// the main window, and the status line of the plot window it drew in (if
// any). sizeMessagesBefore is sizeMessages when the pass began (-1: no check).
void passEnded(const PassResult& result, ChildWindow* window = nullptr,
               int sizeMessagesBefore = -1);

// A pass in window with its progress there, as a click or a mouse move runs
// it; the window's status line then tells how it went, after note when one
// is given.
void runWindowPass(ChildWindow& window, int probe, const std::string& note = {});

// What the last draw pass in the live plot window produced (ran is false
// when it has drawn nothing yet).
const PassResult& livePlotPass();

}  // namespace tavex
