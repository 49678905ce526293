// SPDX-License-Identifier: GPL-3.0-or-later
// A canvas that keeps nothing of what is drawn on it, only counts it, with
// the recording canvas's fixed font metrics: a pass lays its page out exactly
// as on a RecordingCanvas, in memory that does not grow with what it draws.
// The command line draws its passes into it.
#pragma once

#include "graphics/canvas.h"

namespace tavex {

class NullCanvas : public Canvas {
 public:
  // Every font's metrics; text width is widthPerChar per character.
  int charWidth = 6;
  int lineHeight = 15;
  int ascent = 12;
  int widthPerChar = 6;
  DeviceResolution deviceResolution;

  long long lineCount = 0;  // lineTo calls
  long long textCount = 0;  // textOut calls
  long long polygonCount = 0;  // fillPolygon calls

  void selectPen(const Pen&) override {}
  void selectBrush(const Brush&) override {}
  void setBackgroundColour(Rgb) override {}
  void setTextColour(Rgb) override {}
  void fillRegion(const Region&, const Brush&) override {}
  void fillPolygon(const Point*, int, const Brush&) override { ++polygonCount; }
  void setClipRegion(const Region*) override {}
  void moveTo(int, int) override {}
  void lineTo(int, int) override { ++lineCount; }
  void rectangle(int, int, int, int) override {}
  void textOut(int, int, std::string_view) override { ++textCount; }
  Size textExtent(std::string_view text) override;
  TextMetrics textMetrics() override;
  FontHandle createFont(const FontDescription&) override { return FontHandle{nextFontId_++}; }
  FontHandle selectFont(FontHandle font) override;
  void deleteFont(FontHandle) override {}
  DeviceResolution resolution() override { return deviceResolution; }

 private:
  int nextFontId_ = 1;
  FontHandle selectedFont_;
};

// A window of a given client size whose device is a null canvas.
class NullWindow : public DeviceWindow {
 public:
  explicit NullWindow(int width = 800, int height = 600) : client{0, 0, width, height} {}
  NullCanvas canvas;
  Rect client;
  Canvas* acquireCanvas() override { return &canvas; }
  void releaseCanvas(Canvas*) override {}
  Rect clientRect() override { return client; }
};

}  // namespace tavex
