// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar's text after a draw pass: empty when f was evaluated
// everywhere, else where and why its first evaluation failed.
#pragma once

#include <string>

#include "plot/plot.h"

namespace tavex {

// "y: Unexpected ')' at column 12": the function data entry holding the
// failure (x for the composed abscissa statement), the engine's message (or
// the status when there is none) and the column within that entry's line.
std::string passReportText(const PassReport& report);

// passReportText with the x at which it happened and how many of the pass's
// evaluations failed: "y: Divide by Zero at column 3 (x = 0.00000; 2 of 863
// evaluations failed)". Empty when every evaluation was accepted. x is
// written "%.5f" below 1e15 in magnitude, "%.6g" from there on and when it
// is not finite.
std::string passFailureLine(const PassReport& report);

}  // namespace tavex
