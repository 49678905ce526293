// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence study's log-log plot: each rule's |error| against n, with
// reference slopes 1, 2 and 4 and the Reference's own accuracy, drawn through
// a canvas so that the desktop's window and the page show the same plot.
#pragma once

#include <vector>

#include "graphics/canvas.h"
#include "graphics/graph_frame.h"
#include "plot/convergence.h"

namespace tavex {

// The colour of each series, from the plot's pens: SumU and SumL in the upper
// (cyan) and lower (magenta) outlines' colours, SumT blue, SumM orange, SumS
// dark green, SumLeft olive, SumRight purple, Exact dark red; the reference
// slopes grey.
struct ConvergenceSeries {
  const char* name;
  Rgb colour;
};
inline constexpr int kConvergenceSeries = 8;
inline constexpr ConvergenceSeries convergenceSeries[kConvergenceSeries] = {
    {"SumU", penPalette[12]},   {"SumL", penPalette[13]},    {"SumT", penPalette[9]},
    {"SumM", penPalette[8]},    {"SumS", penPalette[2]},     {"SumLeft", penPalette[6]},
    {"SumRight", penPalette[5]}, {"Exact", penPalette[3]},
};
inline constexpr Rgb kSlopeColour = penPalette[7];

// What the plot shows: each row's n, and each series' |error| there (NaN:
// no point, as where there is no Reference, SumS is not shown, or the error
// is 0 or not finite).
struct ConvergenceErrors {
  std::vector<double> ns;
  std::vector<double> errors[kConvergenceSeries];
  bool haveReference = false;
  double accuracy = 0.0;  // the Reference's; 0: none
};

ConvergenceErrors convergenceErrors(const std::vector<ConvergenceRow>& rows,
                                    const ReferenceValue& reference);

// Draws the plot over area (white first) in the canvas's selected font.
void drawConvergencePlot(Canvas& canvas, const Rect& area, const ConvergenceErrors& errors);

}  // namespace tavex
