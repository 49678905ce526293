#include "graphics/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

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

}  // namespace tavex
