// SPDX-License-Identifier: GPL-3.0-or-later
// A canvas that writes an SVG drawing: "Save picture" as SVG. Rectangles
// and fills are rectangles, lines are paths through the centres of their end
// pixels, text is text in its filled cell, each cut to the clip rectangle.
#pragma once

#include <map>
#include <string>

#include "graphics/canvas.h"
#include "graphics/font_table.h"
#include "web/raster_canvas.h"

namespace tavex {

class SvgCanvas : public Canvas {
 public:
  SvgCanvas(int width, int height, double dpi, FontMeasure& measure);
  // The whole drawing.
  std::string svg() const;

  void selectPen(const Pen& pen) override;
  void selectBrush(const Brush& brush) override;
  void setBackgroundColour(Rgb colour) override { background_ = colour; }
  void setTextColour(Rgb colour) override { textColour_ = colour; }
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
  DeviceResolution resolution() override;

 private:
  Rect bounds() const;
  void fill(const Rect& rect, Rgb colour);
  void endPath();
  const FontDescription& currentFont() const;

  int width_, height_;
  double dpi_;
  FontMeasure& measure_;
  std::string body_;
  std::string path_;  // the lines drawn since the pen or the clip changed
  Rgb pen_{0, 0, 0};
  int penWidth_ = 1;
  Rgb brush_{255, 255, 255};
  Rgb background_{255, 255, 255};
  Rgb textColour_{0, 0, 0};
  bool clipped_ = false;
  Rect clip_;
  int clipId_ = 0;  // the clipPath of the clip rectangle (0: none)
  int clips_ = 0;
  int x_ = 0, y_ = 0;
  FontTable<FontDescription> fonts_;
  FontDescription deviceFont_;
};

}  // namespace tavex
