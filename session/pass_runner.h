// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the passes of a front end one at a time, with the front end answering
// while a long one runs: the pass stays on the thread of the front end's
// event loop and hands that loop a turn every 25 ms; after 0.3 s of the pass
// itself it shows its progress, where the front end says, with a way to
// cancel it.
//
// While a pass runs nothing else enters the engine or the frame: what would
// need them is put off with whenNoPass, which cancels the running pass first
// and runs the action once it has ended.
#pragma once

#include <functional>
#include <string>

#include "plot/plot.h"

namespace tavex {

// The front end's event loop, as the pass runner needs it.
class PassHost {
 public:
  virtual ~PassHost() = default;
  // Handles what has come in meanwhile (input, paint, timers), then returns.
  virtual void giveEventLoopTurn() = 0;
  // Runs action from the event loop once the current event is handled.
  virtual void runSoon(std::function<void()> action) = 0;
};

// Where one pass shows its progress: a status line with Cancel, or a box.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // text: "37% of 1043 evaluations of f". fraction from 0 to 1.
  virtual void showProgress(double fraction, const std::string& text) = 0;
  // The pass's drawing so far may be shown.
  virtual void showPictureSoFar() {}
  // The pass has ended (or only its questions and messages remain).
  virtual void endProgress() = 0;
};

// The host every later pass runs with; null (the default) runs passes
// without giving any loop a turn, as the command line does.
void setPassHost(PassHost* host);

// Whether a pass is running.
bool passRunning();

// Runs work (which may run plot itself, as printing does) as the one pass:
// context.monitor is set for it; progress shows in view (may be null).
PassResult runMonitored(PlotContext context, ProgressView* view,
                        const std::function<PassResult(const PlotContext&)>& work);

// plot(context, frame, probe, toPrinter) as the one pass.
PassResult runPass(PlotContext context, GraphFrame& frame, int probe, int toPrinter,
                   ProgressView* view);

// Asks the running pass to stop at its next check (within 0.1 s).
void cancelPass();

// Runs action now, or, while a pass runs, cancels it and runs action when it
// has ended. Actions put off run in the order given.
void whenNoPass(const std::function<void()>& action);

// Clears the pass state of the process (for tests that end a program run).
void resetPassRunner();

}  // namespace tavex
