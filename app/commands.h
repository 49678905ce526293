// The menu commands of the main window, the opening of child windows and the
// shared procedure of all child windows (data boxes and plot windows).
#pragma once

#include "plot/plot.h"

class QWidget;

namespace tavex {

class ChildWindow;
struct ChildEvent;

// Command identifiers of the menu.
inline constexpr int kExitCommand = 10;
inline constexpr int kFdataCommand = 30;
inline constexpr int kGdataCommand = 40;
inline constexpr int kScreenCommand = 50;
inline constexpr int kPrintCommand = 60;
inline constexpr int kHelpCommand = 90;
// Added after "&Print" in "&Plot", in this order.
inline constexpr int kConvergenceCommand = 70;
inline constexpr int kFitGraphCommand = 75;
inline constexpr int kSavePictureCommand = 80;
inline constexpr int kCopyPictureCommand = 81;
inline constexpr int kCopyReadoutsCommand = 82;

// Runs the command with identifier id; false when id names no command.
bool mainWindowCommand(int id);

// The commands; each returns 0.
int exitCommand();
int helpCommand();
int fdataCommand();
int gdataCommand();
int screenCommand();
// Draws the plot on a frame of its own bound to the main window, then
// discards the frame; afterwards no plot window is live.
int printCommand();

// The teaching tools of "&Plot" (app/convergence_command.cpp and
// app/plot_tools.cpp). Each returns 0.
int convergenceCommand();
int fitGraphCommand();
int savePictureCommand();
int copyPictureCommand();
int copyReadoutsCommand();
// Whether there is a live plot window to save or copy from.
bool livePlotShown();

// A visible child window titled title, owned by owner, with its outer
// rectangle at (30, 50), 200 by 200, served by childWindowProcedure.
ChildWindow* openChildWindow(const char* title, QWidget* owner);

// Gives back what the current frame holds, clears the probe and frees it.
void discardCurrentFrame();

// What a pass takes from the shell: the program's engine, the last mouse
// position and the probe flag.
PlotContext shellPlotContext();
// Takes in what a pass produced: the probe flag, the report and readouts for
// the main window, and the status line of the plot window it drew in (if
// any). sizeMessagesBefore is sizeMessages when the pass began (-1: no check).
void passEnded(const PassResult& result, ChildWindow* window = nullptr,
               int sizeMessagesBefore = -1);

// The shared procedure of every child window.
long childWindowProcedure(ChildWindow& window, const ChildEvent& event);

}  // namespace tavex
