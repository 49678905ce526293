// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of one rule: its rectangles, trapezoids or parabolas, drawn
// into the graph as the sums hand them over (plot/sums.h), each area
// between the axis and a shape's top filled and hatched by its side of the
// axis, with the shapes' outlines. Steps narrower than a device unit are
// gathered into one column, so that the picture takes the same memory and
// about as many drawing calls for any n.
#pragma once

#include <vector>

#include "graphics/graph_frame.h"
#include "plot/sums.h"

namespace tavex {

class RulePicture : public ShapeDrawing {
 public:
  // Draws into the frame's graph, clipped as the frame is.
  explicit RulePicture(GraphFrame& frame);

  void trapezoid(double xa, double ya, double xb, double yb) override;
  void parabola(double xa, double ya, double xm, double ym, double xb, double yb) override;

  // Draws what is still held and selects the frame's pen again.
  void finish();

 private:
  struct DevicePoint {
    double x = 0.0;
    double y = 0.0;
  };
  DevicePoint device(double x, double y) const;
  // The shapes' top line goes on to the world point (x, y).
  void topTo(double x, double y);
  // A piece of the top line on one side of the axis (sign 1 above, -1
  // below, 0 on it), in device units, cut to the band about the frame.
  void segment(DevicePoint a, DevicePoint b, int sign);
  void add(DevicePoint p, int sign);
  // A side of a shape, from the axis up to its top at the world point.
  void side(double x, double y);
  // Fills, hatches and outlines the points held, then starts again.
  void flush();
  void hatch(Point a, Point b, int direction) const;

  GraphFrame& frame_;
  Canvas* dc_;
  bool colour_;
  double axisY_;        // the axis in device units, within the band
  double bandLeft_, bandRight_, bandTop_, bandBottom_;
  int spacing_;         // between hatching lines, device units
  bool started_ = false;  // the first shape came: its outer side is drawn
  bool hasLast_ = false;
  double lastX_ = 0.0, lastY_ = 0.0;  // the top line's end, world
  int runSign_ = 0;     // the side of the points held; 0 before the first off the axis
  std::vector<Point> run_;    // the top line held, at most 3 points a column
  std::vector<Point> sides_;  // sides to draw, from the axis to each point
};

}  // namespace tavex
