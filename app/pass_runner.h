// Runs the plot procedure's passes in the desktop program: one at a time,
// with the user interface answering while a long one runs. The pass stays on
// the user-interface thread and hands the event loop a turn at least every
// 50 ms; after 0.3 s it shows its progress (in its plot window's status line,
// or in a progress box for a print pass) with a Cancel button and Esc.
//
// While a pass runs, nothing else enters the engine or the frame: mouse
// probes and clicks into the plot window are ignored, and what would need the
// frame or end the program ("&Screen", "&Print", closing the pass's window,
// "E&xit") cancels the pass first and happens once it has ended.
#pragma once

#include <functional>

#include "plot/plot.h"

namespace tavex {

class ChildWindow;

// Whether a pass is running.
bool passRunning();

// plot(context, frame, probe, toPrinter) with the monitor that keeps the user
// interface answering; progress shows in window (null: in a progress box).
PassResult runPass(PlotContext context, GraphFrame& frame, int probe, int toPrinter,
                   ChildWindow* window);

// Runs work (which may run plot itself, as the print command does) as a pass
// with the same monitor: context.monitor is set for it.
PassResult runMonitored(PlotContext context, ChildWindow* window,
                        const std::function<PassResult(const PlotContext&)>& work);

// Asks the running pass to stop at its next check (within 0.1 s).
void cancelPass();

// Runs action now, or, while a pass runs, cancels it and runs action when it
// has ended.
void whenNoPass(const std::function<void()>& action);

// Clears the pass state of the process (for tests that end a program run).
void resetPassRunner();

}  // namespace tavex
