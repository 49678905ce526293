// The desktop program: the main window and the event loop.
#pragma once

namespace tavex {

// Runs until the main window is closed; returns the exit code (0).
int runDesktop(int argc, char** argv);

}  // namespace tavex
