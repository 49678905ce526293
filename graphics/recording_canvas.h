// SPDX-License-Identifier: GPL-3.0-or-later
// A canvas that draws nothing and records every call in device coordinates,
// with fixed font metrics, so that tests can check drawings to the unit.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "graphics/canvas.h"

namespace tavex {

enum class CallKind {
  SelectPen,
  SelectBrush,
  SetBackgroundColour,
  SetTextColour,
  FillRegion,
  FillPolygon,
  SetClipRegion,
  MoveTo,
  LineTo,
  Rectangle,
  TextOut,
  CreateFont,
  SelectFont,
  DeleteFont,
};

// One recorded call with the device state in force when it was made.
struct CanvasCall {
  CallKind kind = CallKind::MoveTo;
  int x = 0;  // MoveTo, LineTo: target; TextOut: top-left corner
  int y = 0;
  int fromX = 0;  // LineTo: the current position before the call
  int fromY = 0;
  Rect rect;  // FillRegion, SetClipRegion, Rectangle
  std::vector<Point> points;  // FillPolygon
  std::string text;
  Pen pen;      // the pen selected (SelectPen: the new one)
  Brush brush;  // the brush selected (FillRegion, FillPolygon: the brush used)
  Rgb colour;   // SetBackgroundColour, SetTextColour
  Rgb background;
  Rgb textColour;
  std::optional<Rect> clip;  // clip rectangle in force, none if empty
  FontDescription font;      // CreateFont
  int fontId = 0;            // CreateFont, SelectFont, DeleteFont
};

class RecordingCanvas : public Canvas {
 public:
  RecordingCanvas();

  // Fixed metrics of every font; text width is widthPerChar per character
  // unless set for a particular text.
  int charWidth = 6;
  int lineHeight = 15;
  int ascent = 12;
  int widthPerChar = 6;
  DeviceResolution deviceResolution;
  void setTextWidth(const std::string& text, int width) { textWidths_[text] = width; }

  const std::vector<CanvasCall>& calls() const { return calls_; }
  std::vector<CanvasCall> callsOf(CallKind kind) const;
  void clear() { calls_.clear(); }
  int liveFontCount() const { return static_cast<int>(liveFonts_.size()); }
  FontHandle selectedFont() const { return selectedFont_; }
  const Pen& currentPen() const { return pen_; }
  const Brush& currentBrush() const { return brush_; }
  std::optional<Rect> currentClip() const { return clip_; }
  int positionX() const { return posX_; }
  int positionY() const { return posY_; }

  void selectPen(const Pen& pen) override;
  void selectBrush(const Brush& brush) override;
  void setBackgroundColour(Rgb colour) override;
  void setTextColour(Rgb colour) override;
  void fillRegion(const Region& region, const Brush& brush) override;
  void fillPolygon(const Point* points, int count, const Brush& brush) override;
  void setClipRegion(const Region* region) override;
  void moveTo(int x, int y) override;
  void lineTo(int x, int y) override;
  void rectangle(int left, int top, int right, int bottom) override;
  void textOut(int x, int y, std::string_view text) override;
  Size textExtent(std::string_view text) override;
  TextMetrics textMetrics() override;
  FontHandle createFont(const FontDescription& description) override;
  FontHandle selectFont(FontHandle font) override;
  void deleteFont(FontHandle font) override;
  DeviceResolution resolution() override { return deviceResolution; }

 private:
  CanvasCall& record(CallKind kind);

  std::vector<CanvasCall> calls_;
  std::map<std::string, int> textWidths_;
  std::set<int> liveFonts_;
  int nextFontId_ = 1;
  FontHandle selectedFont_;
  Pen pen_;
  Brush brush_;
  Rgb background_{255, 255, 255};
  Rgb textColour_{0, 0, 0};
  std::optional<Rect> clip_;
  int posX_ = 0;
  int posY_ = 0;
};

// A window of a given client size whose device is a recording canvas: the
// plot procedure draws into it without any window system.
class RecordingWindow : public DeviceWindow {
 public:
  explicit RecordingWindow(int width = 800, int height = 600) : client{0, 0, width, height} {}
  RecordingCanvas canvas;
  Rect client;
  int acquired = 0;  // canvases handed out and not yet given back
  Canvas* acquireCanvas() override {
    ++acquired;
    return &canvas;
  }
  void releaseCanvas(Canvas*) override { --acquired; }
  Rect clientRect() override { return client; }
};

}  // namespace tavex
