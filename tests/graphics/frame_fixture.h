// SPDX-License-Identifier: GPL-3.0-or-later
// A graph frame on a recording canvas, set up as the screen device set-up
// leaves it: all tools made, the starting colour indices, a given size.
#pragma once

#include "graphics/graph_frame.h"
#include "graphics/recording_canvas.h"

namespace tavex::testing {

inline void prepareFrame(GraphFrame& frame, RecordingCanvas& canvas, int width, int height) {
  for (int i = 0; i < kPenCount; ++i) frame.pens[i] = makePen(penPalette[i], frame.penWidth);
  for (int i = 0; i < kBrushCount; ++i) frame.brushes[i] = makeBrush(brushPalette[i]);
  frame.dc = &canvas;
  frame.charWidth = canvas.charWidth;
  frame.lineHeight = canvas.lineHeight;
  frame.textColourIndex = 1;
  frame.framePenIndex = 2;
  frame.brushIndex = 5;
  frame.penIndex = 0;
  frame.clientWidth = frame.deviceWidth = width;
  frame.clientHeight = frame.deviceHeight = height;
  frame.deviceAspect = static_cast<double>(height) / width;
}

// 1000 × 500 device, the graph frame's placement.
struct FrameTest {
  RecordingCanvas canvas;
  GraphFrame frame;
  FrameTest() {
    prepareFrame(frame, canvas, 1000, 500);
  }
};

}  // namespace tavex::testing
