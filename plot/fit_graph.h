// SPDX-License-Identifier: GPL-3.0-or-later
// Fitting the graph window to the lesson: an x window over the integration
// interval and a y window over the values of f on the curve, each with round
// edges and a round step between its major ticks, so that every tick label
// is a round number.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "plot/plot.h"

namespace tavex {

// One axis of a fitted window: low and high are whole multiples of step, a
// round number (1, 2 or 5 times a power of ten), and steps is the number of
// major intervals between them (4 to 10).
struct AxisFit {
  bool fitted = false;  // false: no round window covers the range
  double low = 0;
  double high = 0;
  double step = 0;
  int steps = 0;
};

// A window over [a, b] (either order): a margin of 5 % of its width on either
// side, then the edges rounded outwards to multiples of a round step; of the
// steps that give 4 to 8 intervals (9 or 10 when none does), the one with the
// narrowest window, the larger step on a tie. A range of one value (up to rounding noise) is first widened by
// half its magnitude (by 1 around 0). With zeroWhenNear, an end lying no
// farther from 0 than the range is wide moves to 0, so that the steps stand
// on the axis. Not fitted for non-finite input or a range too wide for
// doubles.
AxisFit fitAxis(double a, double b, bool zeroWhenNear);

// The smallest and largest finite values among values[0 .. count - 1], and
// how many finite values there are.
struct FiniteRange {
  double low = 0;
  double high = 0;
  long long finite = 0;
};
FiniteRange finiteRange(const double* values, long long count);

// A number as it goes into an entry: "%.15g", so that it reads back as the
// round number it stands for; negative zero as "0".
std::string entryNumber(double value);

// What "&Fit Graph" found: both axes and the lines to accept into the graph
// data, or why nothing changes.
struct GraphFit {
  AxisFit x;
  AxisFit y;
  std::string failure;  // empty when fitted
  // Graph data entries (x0, x1, y0, y1, t1, t2) and their new lines.
  std::vector<std::pair<int, std::string>> lines;
};

// Curve steps sampled when the graph data's n asks for none.
inline constexpr int kFitFallbackSegments = 500;

// Fits the window of the records in context (the program's records when it
// names none): x over the function data's [x1, x2], y over f at the curve's
// points across the new x window: n + 1 points x0 + i (x1 - x0) / n for the
// graph data's n, capped as the curve is. The evaluations run in
// context.engine and report to context.monitor, which may cancel them; pass
// then tells what they came to.
GraphFit fitGraph(const PlotContext& context, PassResult& pass);

}  // namespace tavex
