// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/rule_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavex {

namespace {

// The top line held before it is drawn, and the sides: beyond these the
// held part is drawn and a new one begins where it ended.
constexpr std::size_t kMaxRunPoints = 3000;
constexpr std::size_t kMaxSides = 4096;
// Steps at least this many device units wide show their sides.
constexpr double kWideStep = 4.0;
// Hatching lines per frame width, at most.
constexpr int kHatchLinesAcross = 60;

int sign(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Rounded as mapX and mapY round.
int deviceUnit(double v) { return toDeviceUnit(v + 0.5); }

const AreaColours& coloursOf(int side) { return side < 0 ? kAreaBelow : kAreaAbove; }

// The parabola through three points at x; a straight line where two of
// them share an x.
double parabolaAt(double x, double xa, double ya, double xm, double ym, double xb, double yb) {
  if (xa == xm || xm == xb || xa == xb)
    return xb == xa ? ya : ya + (yb - ya) * (x - xa) / (xb - xa);
  return ya * ((x - xm) * (x - xb)) / ((xa - xm) * (xa - xb)) +
         ym * ((x - xa) * (x - xb)) / ((xm - xa) * (xm - xb)) +
         yb * ((x - xa) * (x - xm)) / ((xb - xa) * (xb - xm));
}

}  // namespace

RulePicture::RulePicture(GraphFrame& frame)
    : frame_(frame), dc_(frame.dc), colour_(frame.colourAllowed()) {
  // Two units about the frame: what is cut there is clipped away anyway.
  bandLeft_ = frame.frameLeft - 2.0;
  bandRight_ = frame.frameRight + 2.0;
  bandTop_ = frame.frameTop - 2.0;
  bandBottom_ = frame.frameBottom + 2.0;
  const double axis = device(frame.x0, 0.0).y;
  axisY_ = std::isnan(axis) ? bandBottom_ : std::clamp(axis, bandTop_, bandBottom_);
  spacing_ = std::max(6, (frame.frameRight - frame.frameLeft) / kHatchLinesAcross);
  run_.reserve(kMaxRunPoints + 1);
  sides_.reserve(kMaxSides + 1);
}

RulePicture::DevicePoint RulePicture::device(double x, double y) const {
  const GraphFrame& f = frame_;
  return {f.xScale == 0 ? f.frameLeft : (x - f.x0) * f.xScale + f.frameLeft,
          f.yScale == 0 ? f.frameBottom : f.frameBottom - (y - f.y0) * f.yScale};
}

void RulePicture::trapezoid(double xa, double ya, double xb, double yb) {
  const bool wide = std::fabs((xb - xa) * frame_.xScale) >= kWideStep;
  const bool first = !started_;
  started_ = true;
  topTo(xa, ya);
  if (wide || first) side(xa, ya);
  topTo(xb, yb);
  if (wide) side(xb, yb);
}

void RulePicture::parabola(double xa, double ya, double xm, double ym, double xb, double yb) {
  const double width = std::fabs((xb - xa) * frame_.xScale);
  // About one point in four device units, an even number from 2 to 64.
  const int k = 2 * std::clamp(static_cast<int>(width / 8), 1, 32);
  const bool first = !started_;
  started_ = true;
  topTo(xa, ya);
  if (width >= kWideStep || first) side(xa, ya);
  for (int i = 1; i < k; ++i) {
    const double x = xa + (xb - xa) * i / k;
    topTo(x, parabolaAt(x, xa, ya, xm, ym, xb, yb));
  }
  topTo(xb, yb);
  if (width >= kWideStep) side(xb, yb);
}

void RulePicture::topTo(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) {
    // No top to draw here: what is held ends.
    flush();
    hasLast_ = false;
    return;
  }
  const DevicePoint b = device(x, y);
  if (!hasLast_) {
    hasLast_ = true;
    lastX_ = x;
    lastY_ = y;
    segment(b, b, sign(y));
    return;
  }
  const DevicePoint a = device(lastX_, lastY_);
  const int sa = sign(lastY_), sb = sign(y);
  if (sa * sb < 0) {
    // Across the axis: each side's area ends where the top line meets it.
    const double t = lastY_ / (lastY_ - y);
    const DevicePoint c{a.x + t * (b.x - a.x), device(x, 0.0).y};
    segment(a, c, sa);
    segment(c, b, sb);
  } else {
    segment(a, b, sa != 0 ? sa : sb);
  }
  lastX_ = x;
  lastY_ = y;
}

void RulePicture::segment(DevicePoint a, DevicePoint b, int side) {
  auto inBand = [this](const DevicePoint& p) {
    return p.x >= bandLeft_ && p.x <= bandRight_ && p.y >= bandTop_ && p.y <= bandBottom_;
  };
  if (inBand(a) && inBand(b)) {
    // Nothing to cut, and a is in already (or is b itself).
    add(b, side);
    return;
  }
  // The part within the band's columns.
  double t0 = 0.0, t1 = 1.0;
  const double dx = b.x - a.x, dy = b.y - a.y;
  if (dx != 0) {
    const double ta = (bandLeft_ - a.x) / dx, tb = (bandRight_ - a.x) / dx;
    t0 = std::max(t0, std::min(ta, tb));
    t1 = std::min(t1, std::max(ta, tb));
  } else if (a.x < bandLeft_ || a.x > bandRight_) {
    return;
  }
  if (t0 > t1) return;
  // Cut at the band's top and bottom rows, the heights held within them.
  double cuts[4] = {t0, t1, t1, t1};
  int count = 1;
  for (double row : {bandTop_, bandBottom_}) {
    const double t = dy != 0 ? (row - a.y) / dy : -1.0;
    if (t > t0 && t < t1) cuts[count++] = t;
  }
  if (count == 3 && cuts[2] < cuts[1]) std::swap(cuts[1], cuts[2]);
  cuts[count++] = t1;
  for (int i = 0; i < count; ++i) {
    const DevicePoint p{a.x + cuts[i] * dx, std::clamp(a.y + cuts[i] * dy, bandTop_, bandBottom_)};
    add(p, side);
  }
}

void RulePicture::add(DevicePoint p, int side) {
  if (side != 0 && runSign_ != 0 && side != runSign_ && !run_.empty()) {
    // The other side of the axis: what is held is done, the new area
    // starts where it ended.
    const Point last = run_.back();
    flush();
    run_.push_back(last);
  }
  if (side != 0) runSign_ = side;
  const Point q{deviceUnit(p.x), deviceUnit(p.y)};
  const std::size_t n = run_.size();
  if (n >= 1 && run_[n - 1] == q) return;
  if (n >= 3 && run_[n - 1].x == q.x && run_[n - 2].x == q.x && run_[n - 3].x == q.x) {
    // A fourth point in one column: the first, the farthest from the axis
    // and the last are all its area and its outline need.
    const int axis = deviceUnit(axisY_);
    if (std::abs(run_[n - 1].y - axis) > std::abs(run_[n - 2].y - axis)) run_[n - 2] = run_[n - 1];
    run_[n - 1] = q;
    return;
  }
  run_.push_back(q);
  if (run_.size() >= kMaxRunPoints) {
    const Point last = run_.back();
    flush();
    run_.push_back(last);
  }
}

void RulePicture::side(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  const DevicePoint p = device(x, y);
  if (p.x < bandLeft_ || p.x > bandRight_) return;
  sides_.push_back({deviceUnit(p.x), deviceUnit(std::clamp(p.y, bandTop_, bandBottom_))});
  if (sides_.size() >= kMaxSides) {
    const Point last = run_.empty() ? Point{} : run_.back();
    const bool held = !run_.empty();
    flush();
    if (held) run_.push_back(last);
  }
}

void RulePicture::flush() {
  if (dc_ != nullptr && (run_.size() >= 2 || !sides_.empty())) {
    const AreaColours& colours = coloursOf(runSign_);
    const Rgb black{0, 0, 0};
    const int axis = deviceUnit(axisY_);
    if (run_.size() >= 2) {
      if (colour_) {
        std::vector<Point> polygon;
        polygon.reserve(run_.size() + 2);
        polygon.push_back({run_.front().x, axis});
        polygon.insert(polygon.end(), run_.begin(), run_.end());
        polygon.push_back({run_.back().x, axis});
        dc_->fillPolygon(polygon.data(), static_cast<int>(polygon.size()),
                         makeBrush(colours.ground));
      }
      // Hatching in hairlines, lighter than the outlines and the curve on paper.
      dc_->selectPen(makePen(colour_ ? colours.hatch : black, std::max(1, frame_.penWidth / 3)));
      for (std::size_t i = 0; i + 1 < run_.size(); ++i) {
        hatch(run_[i], run_[i + 1], 1);
        if (runSign_ < 0) hatch(run_[i], run_[i + 1], -1);
      }
    }
    dc_->selectPen(makePen(colour_ ? colours.outline : black, frame_.penWidth));
    if (!run_.empty()) dc_->moveTo(run_.front().x, run_.front().y);
    for (std::size_t i = 1; i < run_.size(); ++i) dc_->lineTo(run_[i].x, run_[i].y);
    for (const Point& s : sides_) {
      dc_->moveTo(s.x, axis);
      dc_->lineTo(s.x, s.y);
    }
  }
  run_.clear();
  sides_.clear();
}

// The hatching of the area between the axis and the top from a to b: the
// lines x + y = c ("/", direction 1) or x - y = c ("\", direction -1) for c
// a multiple of the spacing, so that neighbouring areas' lines meet.
void RulePicture::hatch(Point a, Point b, int direction) const {
  if (a.x == b.x) return;
  const int axis = deviceUnit(axisY_);
  const DevicePoint v[4] = {{double(a.x), double(axis)},
                            {double(a.x), double(a.y)},
                            {double(b.x), double(b.y)},
                            {double(b.x), double(axis)}};
  double area = 0.0, cLo = INFINITY, cHi = -INFINITY;
  for (int i = 0; i < 4; ++i) {
    const DevicePoint& p = v[i];
    const DevicePoint& q = v[(i + 1) % 4];
    area += p.x * q.y - q.x * p.y;
    cLo = std::min(cLo, p.x + direction * p.y);
    cHi = std::max(cHi, p.x + direction * p.y);
  }
  if (area == 0) return;
  const double orientation = area > 0 ? 1.0 : -1.0;
  for (double c = std::ceil(cLo / spacing_) * spacing_; c <= cHi; c += spacing_) {
    // The line (c - direction t, t), cut to the four edges' inner sides.
    double t0 = -INFINITY, t1 = INFINITY;
    for (int i = 0; i < 4 && t0 <= t1; ++i) {
      const DevicePoint& p = v[i];
      const DevicePoint& q = v[(i + 1) % 4];
      const double ex = q.x - p.x, ey = q.y - p.y;
      const double inner = orientation * (ex * (0.0 - p.y) - ey * (c - p.x));
      const double along = orientation * (ex * 1.0 - ey * -direction);
      if (along == 0) {
        if (inner < 0) t0 = INFINITY;
      } else if (along > 0) {
        t0 = std::max(t0, -inner / along);
      } else {
        t1 = std::min(t1, -inner / along);
      }
    }
    if (!(t0 < t1)) continue;
    dc_->moveTo(deviceUnit(c - direction * t0), deviceUnit(t0));
    dc_->lineTo(deviceUnit(c - direction * t1), deviceUnit(t1));
  }
}

void RulePicture::finish() {
  // The last shape's outer side, however narrow the steps.
  if (hasLast_) side(lastX_, lastY_);
  flush();
  hasLast_ = false;
  if (dc_ != nullptr && frame_.penIndex >= 0 && frame_.penIndex < kPenCount)
    dc_->selectPen(frame_.pens[frame_.penIndex]);
}

}  // namespace tavex
