// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/graph_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame_fixture.h"

namespace tavex {
namespace {

using testing::FrameTest;

class GraphFrameTest : public ::testing::Test, public FrameTest {};

TEST(GraphFrameCreation, StartsWithTheCreationValues) {
  GraphFrame frame;
  EXPECT_EQ(frame.printing, 0);
  EXPECT_EQ(frame.penWidth, 1);
  EXPECT_EQ(frame.colourOutput, 1);
  EXPECT_EQ(frame.clipActive, 1);
  EXPECT_EQ(frame.titlePercent, 50);
  EXPECT_EQ(frame.deviceAspect, 1.0);
  EXPECT_EQ(frame.frameAspect, 1.0);
  EXPECT_STREQ(frame.labelFormat, "%.6g");
  EXPECT_EQ(frame.dc, nullptr);
  EXPECT_FALSE(frame.font);
  EXPECT_FALSE(frame.pens[0].valid);
  EXPECT_FALSE(frame.frameRegion.valid);
  EXPECT_EQ(frame.brushIndex, 0);
  EXPECT_EQ(frame.xScale, 0);
}

TEST(Palettes, PenEntriesFromSixteenRepeatTheBrushes) {
  for (int i = 0; i < kBrushCount; ++i) EXPECT_EQ(penPalette[16 + i], brushPalette[i]) << i;
  EXPECT_EQ(penPalette[10], (Rgb{0, 255, 0}));
  EXPECT_EQ(penPalette[11], (Rgb{255, 0, 0}));
  EXPECT_EQ(penPalette[12], (Rgb{0, 255, 255}));
  EXPECT_EQ(penPalette[13], (Rgb{255, 0, 255}));
  EXPECT_EQ(brushPalette[2], (Rgb{255, 230, 255}));
  EXPECT_EQ(brushPalette[5], (Rgb{255, 255, 255}));
}

TEST_F(GraphFrameTest, SetFramePlacesTheGraphFrame) {
  frame.setFrame(10, 60, 20, 78, 1);
  EXPECT_EQ(frame.frameLeft, 100);
  EXPECT_EQ(frame.frameRight, 600);
  EXPECT_EQ(frame.frameTop, 110);
  EXPECT_EQ(frame.frameBottom, 400);
  EXPECT_EQ(frame.frameWidth, 500);
  EXPECT_EQ(frame.frameHeight, 290);
  EXPECT_DOUBLE_EQ(frame.frameAspect, 0.58);
  EXPECT_EQ(frame.frameRect, (Rect{100, 110, 600, 400}));
  EXPECT_EQ(frame.cursorX, 106);
  EXPECT_EQ(frame.lineStartX, 106);
  EXPECT_EQ(frame.cursorY, 125);
  EXPECT_TRUE(frame.frameRegion.valid);
  EXPECT_EQ(frame.frameRegion.rect, frame.frameRect);

  // On the device: brush 5, its colour as background, text colour 1, clip.
  EXPECT_EQ(canvas.currentBrush(), frame.brushes[5]);
  auto backgrounds = canvas.callsOf(CallKind::SetBackgroundColour);
  ASSERT_FALSE(backgrounds.empty());
  EXPECT_EQ(backgrounds.back().colour, brushPalette[5]);
  auto textColours = canvas.callsOf(CallKind::SetTextColour);
  ASSERT_FALSE(textColours.empty());
  EXPECT_EQ(textColours.back().colour, penPalette[1]);
  EXPECT_EQ(canvas.currentClip(), frame.frameRect);
  EXPECT_EQ(frame.clipActive, 1);
}

TEST_F(GraphFrameTest, SetFrameWithoutClipRemovesTheClip) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setFrame(62, 98, 15, 72, 0);
  EXPECT_EQ(frame.clipActive, 0);
  EXPECT_FALSE(canvas.currentClip().has_value());
  EXPECT_EQ(frame.frameRect, (Rect{620, 140, 980, 425}));
}

TEST_F(GraphFrameTest, SetWorldScalesAndMapsTheCorners) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setWorld(0, 5, 0, 3, 500);
  EXPECT_DOUBLE_EQ(frame.xScale, 100);
  EXPECT_DOUBLE_EQ(frame.yScale, 290.0 / 3);
  EXPECT_EQ(frame.points, 500);
  EXPECT_EQ(frame.mapX(0), 100);
  EXPECT_EQ(frame.mapX(5), 600);
  EXPECT_EQ(frame.mapY(0), 400);
  EXPECT_EQ(frame.mapY(3), 110);
  EXPECT_DOUBLE_EQ(frame.worldAspect, 5 * 0.58 / 3);
  EXPECT_DOUBLE_EQ(frame.charWidthWorld, 0.06);
  EXPECT_DOUBLE_EQ(frame.lineHeightWorld, 15 / (290.0 / 3));
}

TEST_F(GraphFrameTest, MappingAddsAHalfAndTruncatesTowardZero) {
  frame.deviceWidth = 100;
  frame.setFrame(0, 100, 0, 100, 1);
  frame.setWorld(0, 1, 0, 1, 1);
  ASSERT_DOUBLE_EQ(frame.xScale, 100);
  const struct {
    double x;
    int device;
  } cases[] = {{-0.007, 0}, {-0.027, -2}, {0.035, 4}, {-0.004, 0}, {0.004, 0}, {0.005, 1},
               {-1.0, -99}};
  for (const auto& c : cases) EXPECT_EQ(frame.mapX(c.x), c.device) << c.x;
}

TEST_F(GraphFrameTest, UnmapClampsOnlyWithClampOne) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setWorld(0, 5, 0, 3, 500);
  EXPECT_EQ(frame.unmapY(frame.frameTop - 5, 1), 3.0);
  EXPECT_EQ(frame.unmapY(frame.frameBottom + 7, 1), 0.0);
  EXPECT_GT(frame.unmapY(frame.frameTop - 5, 0), 3.0);
  EXPECT_LT(frame.unmapY(frame.frameBottom + 7, 0), 0.0);
  EXPECT_LT(frame.unmapY(frame.frameBottom + 7, 2), 0.0);  // only 1 clamps
  EXPECT_EQ(frame.unmapX(frame.frameLeft - 1, 1), 0.0);
  EXPECT_EQ(frame.unmapX(frame.frameRight, 1), 5.0);
  EXPECT_DOUBLE_EQ(frame.unmapX(350, 1), 2.5);
  EXPECT_DOUBLE_EQ(frame.unmapX(50, 0), -0.5);
  EXPECT_DOUBLE_EQ(frame.unmapY(255, 1), 1.5);
}

TEST_F(GraphFrameTest, LaterSetFrameKeepsTheScaleUntilSetWorld) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setWorld(0, 5, 0, 3, 500);
  frame.setFrame(62, 98, 15, 72, 1);
  EXPECT_DOUBLE_EQ(frame.xScale, 100);
  EXPECT_DOUBLE_EQ(frame.yScale, 290.0 / 3);
  EXPECT_DOUBLE_EQ(frame.worldAspect, 5 * 0.58 / 3);
  EXPECT_EQ(frame.mapX(0), 620);  // new edges, old scale
  frame.setWorld(0, 5, 0, 3, 500);
  EXPECT_DOUBLE_EQ(frame.xScale, 72);
}

TEST_F(GraphFrameTest, NewLineMovesTheCursor) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.cursorX = 300;
  frame.newLine(2);
  EXPECT_EQ(frame.cursorX, 106);
  EXPECT_EQ(frame.cursorY, 125 + 30);
  frame.cursorX = 300;
  frame.newLine(0);
  EXPECT_EQ(frame.cursorX, 106);
  EXPECT_EQ(frame.cursorY, 125);
}

// Font scaling.

TEST(CreateScaledFont, ScreenFontAt96Dpi) {
  RecordingCanvas canvas;
  FontHandle font = createScaledFont(canvas, "Times New Roman", 100, 0, 0, 1);
  auto created = canvas.callsOf(CallKind::CreateFont);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].font.height, -13);
  EXPECT_EQ(created[0].font.width, 0);
  EXPECT_EQ(created[0].font.weight, 0);
  EXPECT_EQ(created[0].font.faceName, "Times New Roman");
  EXPECT_EQ(font.id, created[0].fontId);
  EXPECT_EQ(canvas.liveFontCount(), 1);
}

TEST(CreateScaledFont, ScreenCallWithWidthScalesByPtXOverPtY) {
  RecordingCanvas canvas;
  canvas.charWidth = 7;
  FontHandle font = createScaledFont(canvas, "Times New Roman", 100, 100, 0, 1);
  auto created = canvas.callsOf(CallKind::CreateFont);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[1].font.height, -13);
  EXPECT_EQ(created[1].font.width, 7);  // 133 × 7 / 133 + 0.5
  EXPECT_EQ(font.id, created[1].fontId);
  EXPECT_EQ(canvas.liveFontCount(), 1);  // the temporary one deleted
  EXPECT_FALSE(canvas.selectedFont());   // selection left as found
}

TEST(CreateScaledFont, PrinterFontAt600Dpi) {
  RecordingCanvas canvas;
  canvas.deviceResolution.logicalDpiX = canvas.deviceResolution.logicalDpiY = 600;
  canvas.charWidth = 50;
  createScaledFont(canvas, "Times New Roman", 140, 160, 0, 1);
  auto created = canvas.callsOf(CallKind::CreateFont);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[0].font.height, -117);
  EXPECT_EQ(created[0].font.width, 0);
  EXPECT_EQ(created[1].font.width, static_cast<int>(1333.0 * 50 / 1166 + 0.5));
  EXPECT_EQ(created[1].font.width, 57);
}

TEST(CreateScaledFont, PhysicalResolutionAndAttributes) {
  RecordingCanvas canvas;
  // 2400 dots over 101.6 mm: 600 dots per inch.
  canvas.deviceResolution = DeviceResolution{96, 96, 2400, 1200, 101.6, 50.8};
  createScaledFont(canvas, "Arial", 140, 0, kFontBold | kFontUnderline, 0);
  auto created = canvas.callsOf(CallKind::CreateFont);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].font.height, -117);
  EXPECT_EQ(created[0].font.weight, 700);
  EXPECT_FALSE(created[0].font.italic);
  EXPECT_TRUE(created[0].font.underline);
  EXPECT_FALSE(created[0].font.strikeOut);

  canvas.clear();
  createScaledFont(canvas, "Arial", 140, 0, kFontItalic | kFontStrikeOut, 0);
  created = canvas.callsOf(CallKind::CreateFont);
  EXPECT_EQ(created[0].font.weight, 0);
  EXPECT_TRUE(created[0].font.italic);
  EXPECT_TRUE(created[0].font.strikeOut);
}

TEST(CreateScaledFont, ZeroHeightWithAWidthKeepsTheNaturalWidth) {
  RecordingCanvas canvas;
  createScaledFont(canvas, "Times New Roman", 0, 100, 0, 1);
  auto created = canvas.callsOf(CallKind::CreateFont);
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[1].font.height, 0);
  EXPECT_EQ(created[1].font.width, 0);
  EXPECT_EQ(canvas.liveFontCount(), 1);
}

// Faults: coordinates outside the device range and degenerate windows.

TEST(ToDeviceUnit, SaturatesAndMapsNanLow) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    int device;
  } cases[] = {
      {3.9, 3},
      {-3.9, -3},
      {1e300, kDeviceCoordinateLimit},
      {-1e300, -kDeviceCoordinateLimit},
      {inf, kDeviceCoordinateLimit},
      {-inf, -kDeviceCoordinateLimit},
      {std::nan(""), -kDeviceCoordinateLimit},
      {5e9, kDeviceCoordinateLimit},
  };
  for (const auto& c : cases) EXPECT_EQ(toDeviceUnit(c.value), c.device) << c.value;
}

TEST_F(GraphFrameTest, HugeAndNonFiniteValuesMapIntoTheSafeRange) {
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setWorld(0, 5, 0, 3, 500);
  EXPECT_EQ(frame.mapY(1e12), -kDeviceCoordinateLimit);  // far above the top
  EXPECT_EQ(frame.mapY(-1e12), kDeviceCoordinateLimit);
  EXPECT_EQ(frame.mapY(std::numeric_limits<double>::infinity()), -kDeviceCoordinateLimit);
  EXPECT_EQ(frame.mapY(std::nan("")), -kDeviceCoordinateLimit);
  EXPECT_EQ(frame.mapX(1e300), kDeviceCoordinateLimit);

  // A tiny window blows the scale up: still in range.
  frame.setWorld(0, 1e-300, 0, 3, 500);
  EXPECT_EQ(frame.mapX(1), kDeviceCoordinateLimit);
  EXPECT_EQ(frame.mapX(0), 100);
}

TEST_F(GraphFrameTest, DegenerateWorldWindowCollapsesOntoTheLowEdge) {
  frame.setFrame(10, 60, 20, 78, 1);
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x0, x1, y0, y1;
    bool xDegenerate, yDegenerate;
  } windows[] = {
      {2, 2, 0, 3, true, false},
      {0, 5, 1, 1, false, true},
      {0, 0, 0, 0, true, true},
      {nan, 5, 0, inf, true, true},
  };
  for (const auto& w : windows) {
    frame.setWorld(w.x0, w.x1, w.y0, w.y1, 500);
    for (double v : {-1e9, -1.0, 0.0, 2.0, 7.5, 1e9, inf, nan}) {
      if (w.xDegenerate) {
        EXPECT_EQ(frame.mapX(v), 100) << v;
      }
      if (w.yDegenerate) {
        EXPECT_EQ(frame.mapY(v), 400) << v;
      }
      EXPECT_GE(frame.mapX(v), -kDeviceCoordinateLimit);
      EXPECT_LE(frame.mapX(v), kDeviceCoordinateLimit);
    }
    if (w.xDegenerate) {
      EXPECT_EQ(frame.xScale, 0);
    }
    if (w.yDegenerate) {
      EXPECT_EQ(frame.yScale, 0);
    }
  }
  // Unmapping a collapsed axis gives its low end.
  frame.setWorld(2, 2, 0, 3, 500);
  EXPECT_EQ(frame.unmapX(300, 0), 2.0);
  EXPECT_EQ(frame.unmapX(300, 1), 2.0);
}

TEST_F(GraphFrameTest, DegenerateFrameGivesZeroScaleAndDefinedMapping) {
  frame.setFrame(30, 30, 50, 50, 1);  // no width, no height
  EXPECT_EQ(frame.frameWidth, 0);
  EXPECT_EQ(frame.frameHeight, 0);
  frame.setWorld(0, 5, 0, 3, 500);
  EXPECT_EQ(frame.xScale, 0);
  EXPECT_EQ(frame.yScale, 0);
  EXPECT_EQ(frame.mapX(4), 300);
  EXPECT_EQ(frame.mapY(2), 250);
  EXPECT_EQ(frame.unmapX(310, 0), 0.0);
  EXPECT_EQ(frame.unmapX(310, 1), 5.0);  // right of the (empty) frame

  // A device of no size: every edge 0.
  GraphFrame empty;
  RecordingCanvas emptyCanvas;
  testing::prepareFrame(empty, emptyCanvas, 0, 0);
  empty.deviceAspect = 0;
  empty.setFrame(10, 60, 20, 78, 1);
  empty.setWorld(0, 5, 0, 3, 500);
  EXPECT_EQ(empty.frameRect, (Rect{0, 0, 0, 0}));
  EXPECT_EQ(empty.mapX(2.5), 0);
  EXPECT_EQ(empty.mapY(1.5), 0);
}

TEST(GraphFrameWithoutDevice, ComputesWithoutDrawing) {
  GraphFrame frame;
  frame.deviceWidth = 1000;
  frame.deviceHeight = 500;
  frame.setFrame(10, 60, 20, 78, 1);
  frame.setWorld(0, 5, 0, 3, 500);
  frame.lineTo(5, 3);
  frame.drawTextAt(1, 1, kAlignCentre, "abc");
  EXPECT_EQ(frame.currentDevX, 200);
  EXPECT_EQ(frame.mapX(5), 600);
}

}  // namespace
}  // namespace tavex
