// SPDX-License-Identifier: GPL-3.0-or-later
// The rule of the pictures ("R&ule" and the keys U, L, R, M, T and S) and
// the probe's keys in the live plot window.
#pragma once

#include "plot/sums.h"

namespace tavex {

class ChildWindow;

// The rule whose picture draw passes show from now on; the live plot window
// draws again. Returns 0.
int ruleCommand(SumRule rule);

// The rule a key (Qt::Key) chooses: U, L, R, M, T, S; false for any other.
bool ruleOfKey(int key, SumRule& rule);

// The probe's keys in the live plot window (Qt::Key): Left and Right move it
// a device unit (ten with Shift), Home and End to x1 and x2, and Z, X and I
// to the next zero, extremum or inflection point of f (to the left with
// Shift), whose point the status line then gives in full. The probe panel
// shows as for a mouse move; before the first click nothing moves, as for
// the mouse. False when key is none of them.
bool probeKey(ChildWindow& window, int key, bool shift);

}  // namespace tavex
