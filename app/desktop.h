// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program: the main window and the event loop.
#pragma once

#include <memory>

namespace tavex {

class MainWindow;

// The main window with its menu.
std::unique_ptr<MainWindow> makeMainWindow();

// Runs until the main window is closed; returns the exit code (0).
int runDesktop(int argc, char** argv);

}  // namespace tavex
