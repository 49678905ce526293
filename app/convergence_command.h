// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence window that "&Convergence" opens (one at a time).
#pragma once

namespace tavex {

class ChildWindow;
class ConvergenceView;

// The open convergence window and its contents; null while none is open.
ChildWindow* convergenceWindow();
ConvergenceView* convergenceView();

// "&Convergence": opens the window (or raises it) and computes the table.
int convergenceCommand();

// Computes the table again from the records as they are now, as a pass
// (progress in the window's status line; Cancel and Esc stop it).
void recomputeConvergence();

// "Find n": each rule's K and the n for the tolerance in the window's field,
// as a pass; then the table shows each rule's bound under its error.
void findStepsForTolerance();

}  // namespace tavex
