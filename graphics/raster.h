// SPDX-License-Identifier: GPL-3.0-or-later
// The pixels of aliased lines one unit wide, worked out without a device:
// which pixels a line covers within a device's bounds, as strips of one row
// or one column that the device fills in the pen colour.
#pragma once

#include <cstdint>
#include <functional>

#include "graphics/canvas.h"

namespace tavex {

struct Pixel {
  int x = 0;
  int y = 0;
};

// floor(a / b) for b > 0.
inline std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Bresenham's steps of a line: step k = 0 .. length - 1 is the pixel at
// major0 + k * step along the major axis and minorAt(k) across it. Only the
// steps first to last can show within the bounds.
struct LineSteps {
  bool xMajor = true;
  std::int64_t major0 = 0, minor0 = 0, dMinor = 0, length = 1, step = 1;
  std::int64_t first = 0, last = -1;
  std::int64_t minorLo = 0, minorHi = -1;  // the bounds across the major axis
  // The minor coordinate of step k, rounded half up.
  std::int64_t minorAt(std::int64_t k) const {
    return minor0 + floorDiv(2 * k * dMinor + length, 2 * length);
  }
  // The strip of count steps from step start, all at minor.
  Rect strip(std::int64_t start, std::int64_t minor, std::int64_t count) const {
    const std::int64_t low = step > 0 ? major0 + start : major0 - (start + count - 1);
    const int a = static_cast<int>(low), b = static_cast<int>(minor), n = static_cast<int>(count);
    return xMajor ? Rect{a, b, a + n, b + 1} : Rect{b, a, b + 1, a + n};
  }
};

// The steps of the line from `from` to `to` within bounds (left <= x <
// right, top <= y < bottom). Only the part that can show is walked, so that
// far-away ends cost nothing. False where no pixel can show.
bool lineSteps(Pixel from, Pixel to, const Rect& bounds, LineSteps& steps);

// The pixels from `from` up to, without, `to` that lie within bounds: one
// per unit along the major axis, the minor coordinate rounded half up, in
// runs along the major axis, fill(strip) for each run.
template <class Fill>
void rasterLine(Pixel from, Pixel to, const Rect& bounds, Fill&& fill) {
  LineSteps s;
  if (!lineSteps(from, to, bounds, s)) return;
  std::int64_t runStart = 0, runMinor = 0, runLength = 0;
  for (std::int64_t k = s.first; k <= s.last; ++k) {
    const std::int64_t minor = s.minorAt(k);
    const bool shows = minor >= s.minorLo && minor <= s.minorHi;
    if (shows && runLength != 0 && minor == runMinor) {
      ++runLength;
      continue;
    }
    if (runLength != 0) fill(s.strip(runStart, runMinor, runLength));
    runStart = k;
    runMinor = minor;
    runLength = shows ? 1 : 0;
  }
  if (runLength != 0) fill(s.strip(runStart, runMinor, runLength));
}

// A horizontal or vertical line's pixels from `from` up to, without, `to`
// that lie within bounds, as one strip; false where none does.
bool straightStrip(Pixel from, Pixel to, const Rect& bounds, Rect& strip);

// The pixels of a filled polygon within bounds: those whose centres lie
// inside it by the odd-even rule (a centre on a left edge in, on a right
// edge out), in exact integer arithmetic, as strips of one row, fill(strip)
// for each, row by row from the top.
void polygonRows(const Point* points, int count, const Rect& bounds,
                 const std::function<void(const Rect&)>& fill);

}  // namespace tavex
