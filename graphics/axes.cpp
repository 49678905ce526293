// SPDX-License-Identifier: GPL-3.0-or-later
// Axes, ticks and labels. Ticks and labels are laid out in tick units: the
// world window is [0, intervals along x] × [0, intervals along y] while they
// are drawn, so that tick i lies at world coordinate i.
#include "graphics/axes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace tavex {

namespace {

int saturatedProduct(int a, int b) {
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  if (product > INT_MAX) return INT_MAX;
  if (product < INT_MIN) return INT_MIN;
  return static_cast<int>(product);
}

void saveWorld(GraphFrame& frame) { frame.savedWorld = {frame.x0, frame.x1, frame.y0, frame.y1}; }

void restoreWorld(GraphFrame& frame) {
  const auto& w = frame.savedWorld;
  frame.setWorld(w[0], w[1], w[2], w[3], frame.points);
}

// A tick label: the value in labelFormat, rounding noise shown as 0. It is
// formatted in the "C" locale, whatever locale a desktop toolkit has set, so
// that the decimal point stays a point.
std::string tickLabel(const GraphFrame& frame, double value) {
  if (std::fabs(value) < 1e-10) value = 0;
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(cLocale);
  char text[80];
  std::snprintf(text, sizeof text, frame.labelFormat, value);
  uselocale(previous);
  return text;
}

// Distances of the labels from the frame, in tick units, and half a line.
struct LabelSpacing {
  double dx = 0;
  double dy = 0;
  int halfLine = 0;
};

// Which of the labels 0 to count along an edge of the given extent in
// device units are drawn: all while there are no more than the edge has
// device positions (extent + 1, both ends included); else extent + 1 of
// them spread evenly from the first to the last, and on an edge of no
// extent the last alone (the one drawn on top of all others).
class LabelSelection {
 public:
  LabelSelection(int count, int extent) : count_(count) {
    extent = std::max(extent, 0);
    spread_ = count > extent ? extent : -1;
  }
  long long size() const { return spread_ < 0 ? count_ + 1LL : spread_ + 1LL; }
  long long operator[](long long k) const {
    if (spread_ < 0) return k;
    if (spread_ == 0) return count_;
    return k * count_ / spread_;
  }

 private:
  int count_;
  int spread_ = -1;  // -1: every label
};

// The labels under the x ticks 0 to t1, centred on them.
void xTickLabels(GraphFrame& frame, double x0, double stepX, int t1, const LabelSpacing& spacing) {
  const LabelSelection labels(t1, frame.frameWidth);
  for (long long k = 0; k < labels.size(); ++k) {
    const long long i = labels[k];
    const std::string label = tickLabel(frame, x0 + static_cast<double>(i) * stepX);
    frame.applyTextColours();
    const int w = frame.measureText(label);
    const int tickX = frame.mapX(static_cast<double>(i));
    frame.drawText(tickX - w / 2, frame.mapY(-spacing.dy) - spacing.halfLine, label);
    frame.moveTo(frame.unmapX(tickX + w - w / 2, kNoClamp), -spacing.dy);
  }
}

// The x axis label, centred under the middle of the tick labels.
void xAxisLabel(GraphFrame& frame, int t1, std::string_view xlab, const LabelSpacing& spacing) {
  const double xc = t1 / 2 + 0.5;
  frame.applyTextColours();
  const int width = frame.measureText(xlab);
  const int xcDev = frame.mapX(xc);
  frame.drawText(xcDev - width / 2, frame.mapY(-2 * spacing.dy) - spacing.halfLine, xlab);
  frame.moveTo(frame.unmapX(xcDev + width - width / 2, kNoClamp), -2 * spacing.dy);
}

// The labels left of the y ticks 0 to t2, right-aligned at one x.
void yTickLabels(GraphFrame& frame, double y0, double stepY, int t2, const LabelSpacing& spacing) {
  const int rightEnd = frame.mapX(-spacing.dx);
  const LabelSelection labels(t2, frame.frameHeight);
  for (long long k = 0; k < labels.size(); ++k) {
    const long long i = labels[k];
    const std::string label = tickLabel(frame, y0 + static_cast<double>(i) * stepY);
    frame.applyTextColours();
    const int w = frame.measureText(label);
    frame.drawText(rightEnd - w, frame.mapY(static_cast<double>(i)) - spacing.halfLine, label);
    frame.moveTo(frame.unmapX(rightEnd, kNoClamp), static_cast<double>(i));
  }
}

// Ticks i = 1 to count - 1 standing up from the bottom edge, length tall.
// More of them than the edge has device columns (frameWidth + 1, corners
// included) lie less than a unit apart, so that every column from the first
// tick's to the last tick's gets at least one: one tick per column then
// draws the same lines, in the same pen, and the last one ends where the
// last tick of the loop would.
void bottomTicks(GraphFrame& frame, int count, double length) {
  if (count - 1LL > std::max(frame.frameWidth, 0) + 1LL) {
    const int base = frame.mapY(0);
    const int tip = frame.mapY(length);
    const int last = frame.mapX(count - 1);
    if (frame.dc != nullptr) {
      for (int column = frame.mapX(1); column < last; ++column) {
        frame.dc->moveTo(column, base);
        frame.dc->lineTo(column, tip);
      }
    }
    frame.moveTo(count - 1, 0);
    frame.lineTo(count - 1, length);
    return;
  }
  for (int i = 1; i < count; ++i) {
    frame.moveTo(i, 0);
    frame.lineTo(i, length);
  }
}

// Ticks i = 1 to count - 1 pointing right from the left edge, as above with
// rows for columns: tick i's row falls as i grows.
void leftTicks(GraphFrame& frame, int count, double length) {
  if (count - 1LL > std::max(frame.frameHeight, 0) + 1LL) {
    const int base = frame.mapX(0);
    const int tip = frame.mapX(length);
    const int last = frame.mapY(count - 1);
    if (frame.dc != nullptr) {
      for (int row = frame.mapY(1); row > last; --row) {
        frame.dc->moveTo(base, row);
        frame.dc->lineTo(tip, row);
      }
    }
    frame.moveTo(0, count - 1);
    frame.lineTo(length, count - 1);
    return;
  }
  for (int i = 1; i < count; ++i) {
    frame.moveTo(0, i);
    frame.lineTo(length, i);
  }
}

}  // namespace

void drawGraph(GraphFrame& frame, const DataEntry* graphData) {
  drawGraph(frame, readGraphSettings(graphData));
}

void drawGraph(GraphFrame& frame, const GraphSettings& graph) {
  frame.setWorld(graph.x0, graph.x1, graph.y0, graph.y1, graph.n);

  {
    // The axes through the origin, where it lies inside the window.
    IndexGuard keep(frame, kKeepPen);
    frame.selectPen(frame.framePenIndex);
    if (graph.y0 * graph.y1 < 0) {
      frame.moveTo(graph.x0, 0);
      frame.lineTo(graph.x1, 0);
    }
    if (graph.x0 * graph.x1 < 0) {
      frame.moveTo(0, graph.y0);
      frame.lineTo(0, graph.y1);
    }
  }

  drawTicks(frame, graph.t1, graph.t2, graph.tsize);
  drawTicks(frame, saturatedProduct(graph.t1, graph.tt1), saturatedProduct(graph.t2, graph.tt2),
            graph.tsize / 2);
  drawLabels(frame, graph.x0, graph.x1, graph.y0, graph.y1, graph.t1, graph.t2, graph.xlab,
             graph.ylab, graph.title);
}

void drawTicks(GraphFrame& frame, int countX, int countY, int size) {
  IndexGuard keep(frame, kKeepPen);
  frame.selectPen(frame.framePenIndex);
  // The product of the three is 0 exactly when one of them is.
  if (countX != 0 && countY != 0 && size != 0) {
    saveWorld(frame);
    frame.setWorld(0, countX, 0, countY, frame.points);
    const double e = size * frame.xRange * 0.003;
    double eY = e / frame.worldAspect;
    // A frame of no extent has no aspect: its ticks get no length.
    if (!std::isfinite(eY)) eY = 0;
    bottomTicks(frame, countX, eY);
    leftTicks(frame, countY, e);
    restoreWorld(frame);
  }
}

void drawLabels(GraphFrame& frame, double x0, double x1, double y0, double y1, int t1, int t2,
                std::string_view xlab, std::string_view ylab, std::string_view title) {
  const double stepX = t1 > 0 ? (x1 - x0) / t1 : 1;
  const int spanX = t1 > 0 ? t1 : 1;
  const double stepY = t2 > 0 ? (y1 - y0) / t2 : 1;
  const int spanY = t2 > 0 ? t2 : 1;
  {
    IndexGuard keep(frame, kKeepPen | kKeepBrush);
    frame.selectPen(frame.framePenIndex);
    frame.selectBrush(5);     // labels on white
    frame.setClip(kClipOff);  // labels lie outside the frame

    saveWorld(frame);
    frame.setWorld(0, spanX, 0, spanY, frame.points);
    const LabelSpacing spacing{.dx = 2.5 * frame.charWidthWorld,
                               .dy = 2 * frame.lineHeightWorld,
                               .halfLine = frame.lineHeight / 2};
    if (t1 > 0) xTickLabels(frame, x0, stepX, t1, spacing);
    xAxisLabel(frame, t1, xlab, spacing);
    if (t2 > 0) yTickLabels(frame, y0, stepY, t2, spacing);

    frame.drawTextAt(-2 * spacing.dx, t2 / 2 + 0.5, kAlignRight, ylab);
    const std::int64_t titleShare = static_cast<std::int64_t>(t1) * frame.titlePercent;
    frame.drawTextAt(static_cast<double>(titleShare) * 0.01, t2 + spacing.dy, kAlignCentre, title);
  }
  frame.setClip(kClipOn);
  restoreWorld(frame);
}

}  // namespace tavex
