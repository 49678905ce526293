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

}  // namespace tavex
