// SPDX-License-Identifier: GPL-3.0-or-later
// The pixels of aliased lines, without a device.
#include "graphics/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "graphics/graph_frame.h"

namespace tavex {
namespace {

using Pixels = std::set<std::pair<int, int>>;

// The pixels of a line's strips; each strip is checked to be one row or one
// column along the line's major axis.
Pixels linePixels(Pixel from, Pixel to, const Rect& bounds, int* strips = nullptr) {
  Pixels pixels;
  const bool xMajor = std::abs(to.x - from.x) >= std::abs(to.y - from.y);
  rasterLine(from, to, bounds, [&](const Rect& s) {
    EXPECT_EQ(xMajor ? s.bottom - s.top : s.right - s.left, 1);
    for (int y = s.top; y < s.bottom; ++y)
      for (int x = s.left; x < s.right; ++x) EXPECT_TRUE(pixels.emplace(x, y).second);
    if (strips != nullptr) ++*strips;
  });
  return pixels;
}

const Rect kWide{-1000, -1000, 1000, 1000};

TEST(RasterLine, RoundsHalfUpAndLeavesOutTheEndPoint) {
  EXPECT_EQ(linePixels({0, 0}, {4, 2}, kWide), (Pixels{{0, 0}, {1, 1}, {2, 1}, {3, 2}}));
  EXPECT_EQ(linePixels({4, 2}, {0, 0}, kWide), (Pixels{{4, 2}, {3, 2}, {2, 1}, {1, 1}}));
  EXPECT_EQ(linePixels({3, 4}, {7, 8}, kWide), (Pixels{{3, 4}, {4, 5}, {5, 6}, {6, 7}}));
  EXPECT_TRUE(linePixels({5, 5}, {5, 5}, kWide).empty());
}

// In every direction and slope: one pixel per unit along the major axis,
// the start drawn, the end not, all between the ends, in maximal runs.
TEST(RasterLine, EveryDirectionDrawsItsStartAndOnePixelPerStep) {
  for (int ex = 0; ex <= 16; ++ex) {
    for (int ey = 0; ey <= 16; ++ey) {
      if (ex == 8 && ey == 8) continue;
      int strips = 0;
      const Pixels drawn = linePixels({8, 8}, {ex, ey}, kWide, &strips);
      const int length = std::max(std::abs(ex - 8), std::abs(ey - 8));
      const int minorSpan = std::min(std::abs(ex - 8), std::abs(ey - 8));
      ASSERT_EQ(static_cast<int>(drawn.size()), length) << ex << "," << ey;
      ASSERT_TRUE(drawn.count({8, 8}) == 1 && drawn.count({ex, ey}) == 0) << ex << "," << ey;
      ASSERT_LE(strips, minorSpan + 1) << ex << "," << ey;
      for (const auto& [x, y] : drawn)
        ASSERT_TRUE(x >= std::min(8, ex) && x <= std::max(8, ex) && y >= std::min(8, ey) &&
                    y <= std::max(8, ey));
    }
  }
}

// Clipped, a line shows exactly its unclipped pixels that lie in the bounds.
TEST(RasterLine, ClippingKeepsThePixelsInsideTheBounds) {
  const std::pair<Pixel, Pixel> lines[] = {
      {{-30, 7}, {50, 19}}, {{3, -40}, {11, 60}}, {{45, 2}, {-5, 33}}, {{12, 12}, {12, -9}},
      {{-7, 25}, {33, 25}}, {{0, 0}, {29, 31}},   {{20, 40}, {21, -3}}, {{-90, -70}, {90, 71}}};
  const Rect clips[] = {{5, 5, 25, 20}, {0, 0, 1, 40}, {10, 0, 40, 3}, {-3, 18, 30, 19}};
  for (const auto& [from, to] : lines) {
    const Pixels whole = linePixels(from, to, kWide);
    for (const Rect& clip : clips) {
      Pixels inside;
      for (const auto& [x, y] : whole)
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) inside.emplace(x, y);
      EXPECT_EQ(linePixels(from, to, clip), inside)
          << from.x << "," << from.y << " to " << to.x << "," << to.y << " in " << clip.left
          << "," << clip.top << "," << clip.right << "," << clip.bottom;
    }
  }
  EXPECT_TRUE(linePixels({0, 0}, {9, 9}, Rect{4, 4, 4, 9}).empty());  // empty bounds
}

// Far-away ends walk only the steps that can show.
TEST(RasterLine, HugeCoordinatesWalkOnlyTheVisiblePart) {
  LineSteps steps;
  ASSERT_TRUE(lineSteps({25, 0}, {kDeviceCoordinateLimit, kDeviceCoordinateLimit - 25},
                        Rect{0, 0, 40, 40}, steps));
  EXPECT_LE(steps.last - steps.first, 20);
  Pixels expected;
  for (int k = 0; k < 15; ++k) expected.emplace(25 + k, k);
  EXPECT_EQ(linePixels({25, 0}, {kDeviceCoordinateLimit, kDeviceCoordinateLimit - 25},
                       Rect{0, 0, 40, 40}),
            expected);
}

// A straight line's strip is the general walk's pixels in one piece.
TEST(StraightStrip, MatchesTheWalkInEveryDirectionAndClip) {
  const std::pair<Pixel, Pixel> lines[] = {{{2, 5}, {9, 5}},   {{9, 5}, {2, 5}},
                                           {{4, 1}, {4, 30}},  {{4, 30}, {4, -8}},
                                           {{-50, 0}, {50, 0}}, {{3, 3}, {3, 3}}};
  const Rect clips[] = {kWide, {0, 0, 20, 20}, {5, 0, 6, 40}, {0, 6, 40, 40}};
  for (const auto& [from, to] : lines) {
    for (const Rect& clip : clips) {
      Rect strip;
      Pixels pixels;
      if (straightStrip(from, to, clip, strip))
        for (int y = strip.top; y < strip.bottom; ++y)
          for (int x = strip.left; x < strip.right; ++x) pixels.emplace(x, y);
      EXPECT_EQ(pixels, linePixels(from, to, clip)) << from.x << "," << from.y << " to " << to.x
                                                    << "," << to.y;
    }
  }
}

// A polygon's rows: the units whose centres lie inside, a centre on a left
// edge in and on a right edge out, cut to the bounds, huge corners walked
// only where they show.
TEST(PolygonRows, CentresInsideByTheOddEvenRule) {
  auto units = [](std::vector<Point> points, Rect bounds) {
    Pixels pixels;
    polygonRows(points.data(), static_cast<int>(points.size()), bounds, [&pixels](const Rect& row) {
      EXPECT_EQ(row.bottom, row.top + 1);
      for (int x = row.left; x < row.right; ++x) pixels.emplace(x, row.top);
    });
    return pixels;
  };
  Pixels square;
  for (int y = 2; y < 5; ++y)
    for (int x = 2; x < 6; ++x) square.emplace(x, y);
  EXPECT_EQ(units({{2, 2}, {6, 2}, {6, 5}, {2, 5}}, kWide), square);
  // A square's diagonal passes through centres: they go to the triangle
  // whose left edge it is, so that the two halves share no unit.
  EXPECT_EQ(units({{0, 0}, {3, 3}, {0, 3}}, kWide), (Pixels{{0, 1}, {0, 2}, {1, 2}}));
  EXPECT_EQ(units({{0, 0}, {3, 0}, {3, 3}}, kWide),
            (Pixels{{0, 0}, {1, 0}, {2, 0}, {1, 1}, {2, 1}, {2, 2}}));
  EXPECT_EQ(units({{2, 2}, {6, 2}, {6, 5}, {2, 5}}, Rect{4, 0, 40, 3}), (Pixels{{4, 2}, {5, 2}}));
  EXPECT_TRUE(units({{1, 1}, {5, 5}}, kWide).empty());
  const int far = kDeviceCoordinateLimit;
  EXPECT_EQ(units({{-far, -far}, {far, -far}, {far, far}, {-far, far}}, Rect{0, 0, 3, 2}).size(), 6u);
}

}  // namespace
}  // namespace tavex
