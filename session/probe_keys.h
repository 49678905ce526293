// SPDX-License-Identifier: GPL-3.0-or-later
// The probe of a plot window moved by keys, as every front end offers it:
// a device unit left or right (ten with Shift), to x1 or x2, and to the next
// zero, extremum or inflection point of f to the right of the probe (to the
// left with Shift), found far beyond pixel resolution (plot/analysis.h).
#pragma once

#include <string>

#include "graphics/graph_frame.h"
#include "plot/analysis.h"
#include "plot/plot.h"

namespace tavex {

class ProgressView;

// x moved by units device units on the frame (negative: to the left), held
// within the frame's world window.
double probeShifted(const GraphFrame& frame, double x, int units);

// What a search from the probe found.
struct ProbeFind {
  bool found = false;
  double x = 0.0;      // where the probe goes when found
  std::string status;  // for the status line, found or not
  bool cancelled = false;
};

// The next zero (kind Zero), extremum (Maximum or Minimum: either) or
// inflection point of f from x towards the frame's edge, to the right for
// direction 1 and to the left for -1, as one pass of its own (progress in
// view, which may be null). A point within 1e-9 of the window's width of x
// is the one the probe is on: the search goes past it and says so.
//   "zero at x = 3.1415926536, f = 1.2e-16"
//   "maximum at x = 1.5707963, f = 1.0000000000"
//   "no zero to the right of x = 3.1415926536 up to the window's edge at x = 5"
ProbeFind findFromProbe(const PlotContext& context, const GraphFrame& frame, double x,
                        FeatureKind kind, int direction, ProgressView* view);

}  // namespace tavex
