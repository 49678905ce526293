// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tavex {

bool lineSteps(Pixel from, Pixel to, const Rect& bounds, LineSteps& s) {
  if (bounds.empty()) return false;
  s.xMajor = std::abs(to.x - from.x) >= std::abs(to.y - from.y);
  s.major0 = s.xMajor ? from.x : from.y;
  s.minor0 = s.xMajor ? from.y : from.x;
  const std::int64_t dMajor = (s.xMajor ? to.x : to.y) - s.major0;
  s.dMinor = (s.xMajor ? to.y : to.x) - s.minor0;
  s.length = std::abs(dMajor);
  if (s.length == 0) return false;
  s.step = dMajor > 0 ? 1 : -1;
  const std::int64_t majorLo = s.xMajor ? bounds.left : bounds.top;
  const std::int64_t majorHi = (s.xMajor ? bounds.right : bounds.bottom) - 1;
  s.minorLo = s.xMajor ? bounds.top : bounds.left;
  s.minorHi = (s.xMajor ? bounds.bottom : bounds.right) - 1;

  // Steps whose major coordinate lies within the bounds.
  s.first = std::max<std::int64_t>(s.step > 0 ? majorLo - s.major0 : s.major0 - majorHi, 0);
  s.last = std::min<std::int64_t>(s.step > 0 ? majorHi - s.major0 : s.major0 - majorLo,
                                  s.length - 1);
  if (s.dMinor == 0) return s.minor0 >= s.minorLo && s.minor0 <= s.minorHi;
  // And whose minor coordinate can lie within them (with a margin).
  const double slope = static_cast<double>(s.dMinor) / static_cast<double>(s.length);
  double a = (static_cast<double>(s.minorLo - s.minor0) - 1) / slope;
  double b = (static_cast<double>(s.minorHi - s.minor0) + 1) / slope;
  if (a > b) std::swap(a, b);
  s.first = std::max<std::int64_t>(s.first, static_cast<std::int64_t>(std::floor(a)) - 1);
  s.last = std::min<std::int64_t>(s.last, static_cast<std::int64_t>(std::ceil(b)) + 1);
  return true;
}

bool straightStrip(Pixel from, Pixel to, const Rect& bounds, Rect& strip) {
  if (bounds.empty()) return false;
  const bool horizontal = from.y == to.y;
  const int along0 = horizontal ? from.x : from.y;
  const int along1 = horizontal ? to.x : to.y;
  const int across = horizontal ? from.y : from.x;
  const int acrossLo = horizontal ? bounds.top : bounds.left;
  const int acrossHi = (horizontal ? bounds.bottom : bounds.right) - 1;
  if (across < acrossLo || across > acrossHi) return false;
  // The pixels along the line: from along0 toward along1, along1 left out.
  int lo = along0 < along1 ? along0 : along1 + 1;
  int hi = along0 < along1 ? along1 - 1 : along0;
  lo = std::max(lo, horizontal ? bounds.left : bounds.top);
  hi = std::min(hi, (horizontal ? bounds.right : bounds.bottom) - 1);
  if (lo > hi) return false;
  strip = horizontal ? Rect{lo, across, hi + 1, across + 1} : Rect{across, lo, across + 1, hi + 1};
  return true;
}

void polygonRows(const Point* points, int count, const Rect& bounds,
                 const std::function<void(const Rect&)>& fill) {
  if (count < 3 || bounds.empty()) return;
  int top = points[0].y, bottom = points[0].y;
  for (int i = 1; i < count; ++i) {
    top = std::min(top, points[i].y);
    bottom = std::max(bottom, points[i].y);
  }
  top = std::max(top, bounds.top);
  bottom = std::min(bottom, bounds.bottom);
  std::vector<std::int64_t> starts;
  for (int y = top; y < bottom; ++y) {
    // The row's centre line, in half units; an edge counts from its upper
    // end up to, without, its lower one.
    const std::int64_t centre = 2 * std::int64_t{y} + 1;
    starts.clear();
    for (int i = 0; i < count; ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % count];
      if ((2 * std::int64_t{a.y} <= centre) == (2 * std::int64_t{b.y} <= centre)) continue;
      // The first unit whose centre is at or right of the crossing x:
      // ceil(x - 1/2), x = a.x + (centre / 2 - a.y) (b.x - a.x) / (b.y - a.y).
      std::int64_t d = std::int64_t{b.y} - a.y;
      std::int64_t num =
          2 * std::int64_t{a.x} * d + (centre - 2 * std::int64_t{a.y}) * (b.x - a.x) - d;
      std::int64_t den = 2 * d;
      if (den < 0) {
        num = -num;
        den = -den;
      }
      starts.push_back(floorDiv(num + den - 1, den));
    }
    std::sort(starts.begin(), starts.end());
    for (std::size_t k = 0; k + 1 < starts.size(); k += 2) {
      const std::int64_t lo = std::max<std::int64_t>(starts[k], bounds.left);
      const std::int64_t hi = std::min<std::int64_t>(starts[k + 1], bounds.right);
      if (lo < hi) fill(Rect{static_cast<int>(lo), y, static_cast<int>(hi), y + 1});
    }
  }
}

}  // namespace tavex
