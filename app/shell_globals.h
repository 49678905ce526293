// SPDX-License-Identifier: GPL-3.0-or-later
// The shell's globals, through which the commands and the child windows find
// each other; a pass of the plot procedure gets what it needs of them in its
// PlotContext. All start at zero or null and are touched only on the
// user-interface thread.
#pragma once

#include "session/state.h"  // programEngine()

namespace tavex {

class DataBox;      // an open data box (ui/)
class ChildWindow;  // a window opened by openChildWindow (platform/)
struct GraphFrame;  // graphics/graph_frame.h
class PrintService; // plot/print.h: the system's printers
class MainWindow;   // app/main_window.h
class Dialogs;      // plot/dialogs.h
class ExpressionEngine;  // expr/engine.h

extern ChildWindow* fdataWindow;  // FunctionData box window last opened
extern DataBox* fdataBox;         // non-null exactly while that box is open
extern ChildWindow* gdataWindow;
extern DataBox* gdataBox;
extern ChildWindow* plotWindow;   // the plot window opened last: the only live one
extern GraphFrame* currentFrame;  // frame the plot procedure draws through
extern int lastMouseX;            // last mouse position over a child window
extern int lastMouseY;
extern int probeEnabled;          // set after a whole plot was drawn on screen
extern PrintService* printService;
extern MainWindow* mainWindow;    // the main window while it exists
extern Dialogs* dialogs;          // where message boxes go; the main window's

// Size messages any child window has had: a pass compares the count at its
// end with the one at its start.
extern int sizeMessages;


}  // namespace tavex
