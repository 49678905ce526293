// The graph decoration: world window, axes, major and minor ticks on the
// bottom and left edges, tick labels, axis labels and title.
#pragma once

#include <string>
#include <string_view>

#include "data/records.h"
#include "graphics/graph_frame.h"

namespace tavex {

// The graph data entries 1 to 13, converted.
struct GraphSettings {
  double x0 = 0;
  double x1 = 0;
  double y0 = 0;
  double y1 = 0;
  int n = 0;      // curve steps
  int t1 = 0;     // major intervals along x
  int tt1 = 0;    // minor intervals per major one along x
  int t2 = 0;     // major intervals along y
  int tt2 = 0;    // minor intervals per major one along y
  int tsize = 0;  // tick size
  std::string xlab;
  std::string ylab;
  std::string title;
};

// Reads entries 1 to 13 of a graph data record by position, with the data
// texts' number rules.
GraphSettings readGraphSettings(const DataEntry* graphData);

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
