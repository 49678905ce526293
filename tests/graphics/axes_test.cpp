// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/axes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "data/records.h"
#include "frame_fixture.h"

namespace tavex {
namespace {

class AxesTest : public ::testing::Test, public testing::FrameTest {
 protected:
  void SetUp() override {
    initGraphData();
    graph = readGraphSettings(graphData);
    frame.setFrame(10, 60, 20, 78, 1);
    canvas.clear();
  }

  std::vector<CanvasCall> lines() const { return canvas.callsOf(CallKind::LineTo); }
  std::vector<CanvasCall> texts() const { return canvas.callsOf(CallKind::TextOut); }
  std::vector<std::string> textStrings() const {
    std::vector<std::string> result;
    for (const auto& call : texts()) result.push_back(call.text);
    return result;
  }
  // Lines standing on the bottom edge and lines from the left edge.
  int bottomTicks() const {
    int count = 0;
    for (const auto& l : lines()) count += l.fromY == frame.frameBottom && l.x == l.fromX;
    return count;
  }
  int leftTicks() const {
    int count = 0;
    for (const auto& l : lines()) count += l.fromX == frame.frameLeft && l.y == l.fromY;
    return count;
  }

  GraphSettings graph;
};

TEST_F(AxesTest, ReadsTheDefaultGraphData) {
  EXPECT_EQ(graph.x0, 0);
  EXPECT_EQ(graph.x1, 5);
  EXPECT_EQ(graph.y0, 0);
  EXPECT_EQ(graph.y1, 3);
  EXPECT_EQ(graph.n, 500);
  EXPECT_EQ(graph.t1, 5);
  EXPECT_EQ(graph.tt1, 5);
  EXPECT_EQ(graph.t2, 3);
  EXPECT_EQ(graph.tt2, 5);
  EXPECT_EQ(graph.tsize, 10);
  EXPECT_EQ(graph.xlab, "x");
  EXPECT_EQ(graph.ylab, "Y  ");
  EXPECT_EQ(graph.title, "");
}

TEST_F(AxesTest, DefaultTicksToTheDeviceUnit) {
  drawGraph(frame, graphData);
  auto all = lines();
  ASSERT_EQ(all.size(), 4u + 2u + 24u + 14u);  // no axis lines

  // Major ticks first: bottom, then left.
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(all[i].fromX, 200 + 100 * i);
    EXPECT_EQ(all[i].fromY, 400);
    EXPECT_EQ(all[i].x, 200 + 100 * i);
    EXPECT_EQ(all[i].y, 385);
  }
  EXPECT_EQ((Rect{all[4].fromX, all[4].fromY, all[4].x, all[4].y}), (Rect{100, 303, 115, 303}));
  EXPECT_EQ((Rect{all[5].fromX, all[5].fromY, all[5].x, all[5].y}), (Rect{100, 207, 115, 207}));

  // Minor ticks: half as long, every 20 units along x.
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(all[6 + i].fromX, 120 + 20 * i);
    EXPECT_EQ(all[6 + i].x, 120 + 20 * i);
    EXPECT_EQ(all[6 + i].fromY, 400);
    EXPECT_EQ(all[6 + i].y, 393);
  }
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(all[30 + i].fromX, 100);
    EXPECT_EQ(all[30 + i].x, 108);
    EXPECT_EQ(all[30 + i].fromY, all[30 + i].y);
  }
  for (const auto& line : all) {
    EXPECT_EQ(line.pen.colour, penPalette[2]);
    EXPECT_EQ(line.clip, frame.frameRect);
  }
}

TEST_F(AxesTest, DefaultLabelsToTheDeviceUnit) {
  canvas.setTextWidth("Y  ", 14);
  canvas.setTextWidth("Title", 40);
  graph.title = "Title";
  drawGraph(frame, graph);

  auto all = texts();
  ASSERT_EQ(all.size(), 6u + 1u + 4u + 1u + 1u);
  for (int i = 0; i <= 5; ++i) {
    EXPECT_EQ(all[i].text, std::to_string(i));
    EXPECT_EQ(all[i].x, 100 * i + 97);
    EXPECT_EQ(all[i].y, 423);
  }
  EXPECT_EQ(all[6].text, "x");
  EXPECT_EQ(all[6].x, 347);
  EXPECT_EQ(all[6].y, 453);
  for (int i = 0; i <= 3; ++i) {
    EXPECT_EQ(all[7 + i].text, std::to_string(i));
    EXPECT_EQ(all[7 + i].x, 79);
  }
  EXPECT_EQ(all[8].y, 296);
  EXPECT_EQ(all[11].text, "Y  ");
  EXPECT_EQ(all[11].x, 56);
  EXPECT_EQ(all[11].y, 248);
  EXPECT_EQ(all[12].text, "Title");
  EXPECT_EQ(all[12].x, 330);
  EXPECT_EQ(all[12].y, 73);

  for (const auto& text : all) {
    EXPECT_EQ(text.background, brushPalette[5]);
    EXPECT_EQ(text.textColour, penPalette[1]);
    EXPECT_FALSE(text.clip.has_value());
  }
}

TEST_F(AxesTest, LeavesWorldPenBrushAndClipAsFound) {
  frame.selectPen(11);
  frame.selectBrush(2);
  drawGraph(frame, graph);
  EXPECT_EQ(frame.penIndex, 11);
  EXPECT_EQ(canvas.currentPen(), frame.pens[11]);
  EXPECT_EQ(frame.brushIndex, 2);
  EXPECT_EQ(canvas.currentBrush(), frame.brushes[2]);
  EXPECT_EQ(frame.clipActive, 1);
  EXPECT_EQ(canvas.currentClip(), frame.frameRect);
  EXPECT_EQ(frame.x0, 0);
  EXPECT_EQ(frame.x1, 5);
  EXPECT_EQ(frame.y0, 0);
  EXPECT_EQ(frame.y1, 3);
  EXPECT_EQ(frame.points, 500);
  EXPECT_DOUBLE_EQ(frame.xScale, 100);
  EXPECT_EQ(frame.mapY(3), 110);
}

TEST_F(AxesTest, AxesOnlyWhereZeroLiesStrictlyInside) {
  graph.x0 = -2;
  graph.x1 = 2;
  graph.y0 = -1;
  graph.y1 = 3;
  graph.t1 = graph.t2 = 0;  // no ticks to get in the way
  drawGraph(frame, graph);
  auto all = lines();
  ASSERT_EQ(all.size(), 2u);
  frame.setWorld(-2, 2, -1, 3, 500);
  EXPECT_EQ((Rect{all[0].fromX, all[0].fromY, all[0].x, all[0].y}),
            (Rect{100, frame.mapY(0), 600, frame.mapY(0)}));
  EXPECT_EQ((Rect{all[1].fromX, all[1].fromY, all[1].x, all[1].y}), (Rect{350, 400, 350, 110}));
  EXPECT_EQ(all[0].pen.colour, penPalette[2]);

  canvas.clear();
  graph.y0 = 0;  // touching 0 is not enough
  graph.x0 = 0;
  drawGraph(frame, graph);
  EXPECT_TRUE(lines().empty());
}

TEST_F(AxesTest, TickCountsFollowTheGraphData) {
  const struct {
    int t1, tt1, t2, tt2, tsize;
    int bottom, left;
  } cases[] = {
      {5, 5, 3, 5, 10, 4 + 24, 2 + 14},
      {5, 0, 3, 5, 10, 4, 2},  // tt1 0: no minor ticks on either edge
      {5, 5, 3, 0, 10, 4, 2},
      {5, 5, 3, 5, 1, 4, 2},   // minor size 1 / 2 = 0
      {5, 5, 3, 5, 0, 0, 0},   // no ticks at all
      {1, 5, 3, 5, 10, 4, 2 + 14},
      {0, 5, 3, 5, 10, 0, 0},  // t1 0 suppresses both edges
      {-2, 5, 3, 5, 10, 0, 2 + 14},
  };
  for (const auto& c : cases) {
    canvas.clear();
    graph.t1 = c.t1;
    graph.tt1 = c.tt1;
    graph.t2 = c.t2;
    graph.tt2 = c.tt2;
    graph.tsize = c.tsize;
    drawGraph(frame, graph);
    EXPECT_EQ(bottomTicks(), c.bottom) << c.t1 << " " << c.tt1 << " " << c.tsize;
    EXPECT_EQ(leftTicks(), c.left) << c.t1 << " " << c.tt1 << " " << c.tsize;
    EXPECT_EQ(static_cast<int>(lines().size()), c.bottom + c.left);
  }
}

TEST_F(AxesTest, OneMajorIntervalGivesTwoLabelsAtTheEnds) {
  graph.t1 = 1;
  drawGraph(frame, graph);
  auto all = texts();
  ASSERT_GE(all.size(), 3u);
  EXPECT_EQ(all[0].text, "0");
  EXPECT_EQ(all[0].x, 97);
  EXPECT_EQ(all[1].text, "5");
  EXPECT_EQ(all[1].x, 597);
  EXPECT_EQ(all[2].text, "x");
  EXPECT_EQ(all[2].x, 350 - 3);  // 1 / 2 + 0.5 intervals: the middle
}

TEST_F(AxesTest, EvenIntervalCountPutsTheXLabelHalfAnIntervalRight) {
  graph.t1 = 4;
  drawGraph(frame, graph);
  auto strings = textStrings();
  ASSERT_GE(strings.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(strings.begin(), strings.begin() + 6),
            (std::vector<std::string>{"0", "1.25", "2.5", "3.75", "5", "x"}));
  EXPECT_EQ(texts()[5].x, 100 + 313 - 3);  // 2.5 of 4 intervals of 125 units
}

TEST_F(AxesTest, LabelValuesSnapNoiseAndUseSixDigits) {
  const struct {
    double x0, x1;
    int t1;
    std::vector<std::string> labels;
  } cases[] = {
      {0.1, -0.2, 3, {"0.1", "0", "-0.1", "-0.2"}},
      {-1, 0.4, 7, {"-1", "-0.8", "-0.6", "-0.4", "-0.2", "0", "0.2", "0.4"}},
      {0, 1234567 * 2.0, 2, {"0", "1.23457e+06", "2.46913e+06"}},
      {1e-12, 3e-12, 2, {"0", "0", "0"}},
  };
  for (const auto& c : cases) {
    canvas.clear();
    graph.x0 = c.x0;
    graph.x1 = c.x1;
    graph.t1 = c.t1;
    drawGraph(frame, graph);
    auto strings = textStrings();
    ASSERT_GT(strings.size(), c.labels.size());
    EXPECT_EQ(std::vector<std::string>(strings.begin(), strings.begin() + c.labels.size()),
              c.labels);
  }
}

TEST_F(AxesTest, NoIntervalsCentreTheTitleOnTheLeftEdge) {
  graph.t1 = 0;
  graph.t2 = 0;
  graph.title = "ab";
  drawGraph(frame, graph);
  auto all = texts();
  // No tick labels: the x label, the y label and the title.
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[2].text, "ab");
  EXPECT_EQ(all[2].x, 100 - 6);
  // Two line heights above the bottom edge in a one-interval window.
  EXPECT_EQ(all[2].y, 400 - 30 - 7);
}

// Hostile counts: no edge gets more ticks or labels than it has device
// positions, and the ticks drawn cover the device columns (rows) the
// tick-by-tick loop would.
TEST_F(AxesTest, TickCountsAreBoundedByTheFrameAndKeepTheirColumns) {
  const int big = std::numeric_limits<int>::max();
  const int small = std::numeric_limits<int>::min();
  const struct {
    int countX, countY, size;
  } cases[] = {
      {1234, 5, 10}, {5, 7919, 10}, {100003, 300001, 10}, {502, 292, 10},
      {big, 15, 10}, {-1, big, 10}, {big, big, big},      {big, big, small},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.countX) + " " + std::to_string(c.countY));
    canvas.clear();
    frame.setWorld(0, 5, 0, 3, 500);
    GraphFrame units = frame;  // the tick-unit mapping of the loop
    units.setWorld(0, c.countX, 0, c.countY, 0);
    drawTicks(frame, c.countX, c.countY, c.size);
    std::set<int> columns, rows, tips;  // tips: one for each edge, the loop's
    for (const auto& l : lines()) {
      if (l.x == l.fromX && l.fromY == frame.frameBottom) {
        columns.insert(l.x);
        tips.insert(l.y);
      } else if (l.y == l.fromY && l.fromX == frame.frameLeft) {
        rows.insert(l.y);
        tips.insert(-1 - l.x);
      } else {
        ADD_FAILURE() << "not a tick: " << l.fromX << "," << l.fromY << " " << l.x << "," << l.y;
      }
    }
    EXPECT_LE(tips.size(), 2u);
    EXPECT_LE(lines().size(), static_cast<size_t>(frame.frameWidth + frame.frameHeight + 2));
    // The loop's columns: every mapX(i) for i = 1 .. countX - 1.
    std::set<int> loopColumns, loopRows;
    auto collect = [](long long count, auto map, std::set<int>& into) {
      if (count <= 1) return;
      if (count <= 1000000) {
        for (long long i = 1; i < count; ++i) into.insert(map(static_cast<double>(i)));
      } else {  // less than a unit apart: every position between the ends
        const int a = map(1.0), b = map(static_cast<double>(count - 1));
        for (int p = std::min(a, b); p <= std::max(a, b); ++p) into.insert(p);
      }
    };
    collect(c.countX, [&](double i) { return units.mapX(i); }, loopColumns);
    collect(c.countY, [&](double i) { return units.mapY(i); }, loopRows);
    EXPECT_EQ(columns, loopColumns);
    EXPECT_EQ(rows, loopRows);
    EXPECT_EQ(frame.x1, 5);  // the world window is back
  }
}

TEST_F(AxesTest, TickLabelsAreThinnedToTheFramesPositions) {
  const int big = std::numeric_limits<int>::max();
  const struct {
    int t1, t2;
    size_t xLabels, yLabels;
  } cases[] = {
      {500, 290, 501, 291},  // one per position: all of them
      {501, 291, 501, 291},
      {big, 3, 501, 4},
      {3, big, 4, 291},
      {1000000, 1000000, 501, 291},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.t1) + " " + std::to_string(c.t2));
    canvas.clear();
    drawLabels(frame, 0, 1, 0, 1, c.t1, c.t2, "x", "y", "t");
    const auto all = texts();
    ASSERT_EQ(all.size(), c.xLabels + c.yLabels + 3);
    // The first and the last tick keep their labels, at the frame's ends.
    EXPECT_EQ(all[0].text, "0");
    EXPECT_EQ(all[0].x + 3, frame.frameLeft);
    EXPECT_EQ(all[c.xLabels - 1].text, "1");
    EXPECT_EQ(all[c.xLabels - 1].x + 3, frame.frameRight);
    EXPECT_EQ(all[c.xLabels + 1].text, "0");
    EXPECT_EQ(all[c.xLabels + c.yLabels].text, "1");
    EXPECT_EQ(all[c.xLabels + c.yLabels].y + 7, frame.frameTop);
  }
}

// Faults: degenerate windows and frames still give a whole, finite picture.

TEST_F(AxesTest, DegenerateWorldWindowStillDrawsTicksAndLabels) {
  graph.x0 = graph.x1 = 2;
  graph.y0 = graph.y1 = 1;
  drawGraph(frame, graph);
  EXPECT_EQ(bottomTicks(), 4 + 24);
  EXPECT_EQ(leftTicks(), 2 + 14);
  auto strings = textStrings();
  ASSERT_EQ(strings.size(), 13u);
  EXPECT_EQ(strings[0], "2");
  EXPECT_EQ(strings[5], "2");
  EXPECT_EQ(strings[7], "1");
  // The frame keeps the degenerate window, collapsed onto its low edges.
  EXPECT_EQ(frame.mapX(7), 100);
  EXPECT_EQ(frame.mapY(7), 400);
}

TEST_F(AxesTest, DegenerateFrameGivesFiniteCoordinates) {
  // An edge of no extent shows one tick label, the last: 1 + 1 + 3 texts on
  // a 0 × 0 device, 6 + 1 + 3 with width alone, 1 + 4 + 3 with height alone.
  for (auto [width, height, texts] : {std::tuple{0, 0, 5}, std::tuple{1000, 0, 10},
                                      std::tuple{0, 500, 8}}) {
    GraphFrame degenerate;
    RecordingCanvas degenerateCanvas;
    testing::prepareFrame(degenerate, degenerateCanvas, width, height);
    degenerate.deviceAspect = static_cast<double>(height) / width;  // inf or NaN for 0 wide
    degenerate.setFrame(10, 60, 20, 78, 1);
    drawGraph(degenerate, graph);
    const auto& calls = degenerateCanvas.calls();
    int textCount = 0;
    for (const auto& call : calls) {
      textCount += call.kind == CallKind::TextOut;
      EXPECT_GE(call.x, -kDeviceCoordinateLimit);
      EXPECT_LE(call.x, kDeviceCoordinateLimit);
      EXPECT_GE(call.y, -kDeviceCoordinateLimit);
      EXPECT_LE(call.y, kDeviceCoordinateLimit);
      if (call.kind == CallKind::LineTo) {
        EXPECT_LE(std::abs(call.x - call.fromX), 1000);
        EXPECT_LE(std::abs(call.y - call.fromY), 500);
      }
    }
    EXPECT_EQ(textCount, texts) << width << "x" << height;
  }
}

}  // namespace
}  // namespace tavex
