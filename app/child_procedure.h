// SPDX-License-Identifier: GPL-3.0-or-later
// The one kind of child window the commands open (data boxes, plot windows,
// the convergence window) and the procedure they share.
#pragma once

class QWidget;

namespace tavex {

class ChildWindow;
struct ChildEvent;

// A visible child window titled title, owned by owner, with its outer
// rectangle at (30, 50), 200 by 200, served by childWindowProcedure.
ChildWindow* openChildWindow(const char* title, QWidget* owner);

// The shared procedure of every child window.
long childWindowProcedure(ChildWindow& window, const ChildEvent& event);

}  // namespace tavex
