// The teaching tools around the live plot window: n at a keystroke and
// fitting the graph window to the lesson.
#pragma once

#include <cstdint>
#include <string>

#include "plot/plot.h"

namespace tavex {

class ChildWindow;

// n after a keystroke: doubled up to the largest 32-bit integer, or halved
// (rounding down); an n below 1 counts as 1, and the result is never below 1.
std::int32_t doubledSteps(std::int32_t n);
std::int32_t halvedSteps(std::int32_t n);

// What a key (Qt::Key) does to n in the live plot window: 1 doubles ("+",
// "=" and PageUp), -1 halves ("-" and PageDown), 0 nothing.
int stepsKeyDirection(int key);

// Once no pass runs: doubles (direction 1) or halves (-1) the function data's
// n through acceptLine, as if typed, shows the new row in an open fdata box
// and draws window, if it is still the live plot window. Its status line then
// starts with "n = <new n>".
void changeSteps(ChildWindow& window, int direction);

// A pass in window with its progress there, as a click or a mouse move runs
// it; the window's status line then tells how it went (child_procedure.cpp).
void runWindowPass(ChildWindow& window, int probe);
// The same draw pass, with note put before the pass's own status line.
void drawWithNote(ChildWindow& window, const std::string& note);
}  // namespace tavex
