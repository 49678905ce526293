// SPDX-License-Identifier: GPL-3.0-or-later
// The graph decoration: world window, axes, major and minor ticks on the
// bottom and left edges, tick labels, axis labels and title.
#pragma once

#include <string>
#include <string_view>

#include "data/records.h"
#include "graphics/graph_frame.h"

namespace tavex {

// The whole decoration from a graph data record, or from settings read before.
void drawGraph(GraphFrame& frame, const DataEntry* graphData);
void drawGraph(GraphFrame& frame, const GraphSettings& graph);

// Ticks and labels are bounded by what the frame can show, as the curve is
// by kMaxCurveSegments (plot/plot.h): an edge gets no more ticks, and no more
// tick labels, than it has device positions (frameWidth + 1 columns along
// the bottom, frameHeight + 1 rows along the left, both corners included),
// whatever the counts. Denser ticks lie less than a unit apart and cover
// every position between the first and the last, so one tick per position
// draws the same picture. Denser labels are thinned to frameWidth + 1 (or
// frameHeight + 1) spread evenly from the first to the last; an edge of no
// extent shows the last. Counts of 0 or less draw what the formulas give.
void drawTicks(GraphFrame& frame, int countX, int countY, int size);
void drawLabels(GraphFrame& frame, double x0, double x1, double y0, double y1, int t1, int t2,
                std::string_view xlab, std::string_view ylab, std::string_view title);

}  // namespace tavex
