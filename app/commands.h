// SPDX-License-Identifier: GPL-3.0-or-later
// The menu of the main window, its command identifiers, and the commands
// that need nothing but the shell: exit, help, the data boxes, a plot window
// and printing.
#pragma once

namespace tavex {

class MainWindow;

// Command identifiers of the menu.
inline constexpr int kExitCommand = 10;
inline constexpr int kFdataCommand = 30;
inline constexpr int kGdataCommand = 40;
// Added after "&Gdata" in "&Data", in this order; then the "&Examples"
// pop-up, whose items are kFirstExampleCommand + the example's index.
inline constexpr int kOpenLessonCommand = 41;
inline constexpr int kSaveLessonCommand = 42;
inline constexpr int kFirstExampleCommand = 200;
inline constexpr int kScreenCommand = 50;
inline constexpr int kPrintCommand = 60;
inline constexpr int kHelpCommand = 90;
// Added after "&Print" in "&Plot", in this order.
inline constexpr int kConvergenceCommand = 70;
inline constexpr int kFitGraphCommand = 75;
inline constexpr int kSavePictureCommand = 80;
inline constexpr int kCopyPictureCommand = 81;
inline constexpr int kCopyReadoutsCommand = 82;
// The items of the "R&ule" pop-up after them: kRuleCommand + the rule's
// number (SumRule, plot/sums.h), "&Upper and Lower" first.
inline constexpr int kRuleCommand = 100;

// Puts the menu bar, in its fixed order, on window.
void installMenu(MainWindow& window);

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

}  // namespace tavex
