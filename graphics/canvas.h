// SPDX-License-Identifier: GPL-3.0-or-later
// The small drawing interface through which all graphics reach a device.
// Its rules are those the pictures were laid out for: integer device units,
// origin top-left, y downwards; a line leaves out its end point, so that a
// polyline draws each joint once; rectangles, regions and clip rectangles
// cover left <= x < right and top <= y < bottom; text is drawn in opaque
// cells, each filled with the background colour before the glyphs go on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavex {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// left <= x < right, top <= y < bottom once normalised.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
  Rect normalised() const;
  bool empty() const { return left >= right || top >= bottom; }
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// Drawing tools are plain values, not tied to a device: they can be made
// before a canvas exists and used on any. `valid` tells a made tool from an
// empty slot.
struct Pen {
  Rgb colour;
  int width = 1;  // device units; 0 and 1 both mean one unit
  bool valid = false;
  friend bool operator==(const Pen&, const Pen&) = default;
};

struct Brush {
  Rgb colour;
  bool valid = false;
  friend bool operator==(const Brush&, const Brush&) = default;
};

struct Region {
  Rect rect;
  bool valid = false;
  friend bool operator==(const Region&, const Region&) = default;
};

inline Pen makePen(Rgb colour, int width) { return Pen{colour, width, true}; }
inline Brush makeBrush(Rgb colour) { return Brush{colour, true}; }
inline Region makeRectRegion(const Rect& rect) { return Region{rect, true}; }

// Metrics of the selected font, in device units.
struct TextMetrics {
  int averageCharWidth = 0;
  int height = 0;  // cell height: ascent + descent
  int ascent = 0;
  int descent = 0;
  friend bool operator==(const TextMetrics&, const TextMetrics&) = default;
};

// A font request in device units. A negative height asks for that character
// (em) height, a positive one for that cell height; width 0 means the face's
// natural average character width, another width stretches or narrows the
// face to that average.
struct FontDescription {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 0;  // 0 default, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::string faceName;
  friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

// A font made by and valid on one canvas. Id 0 is no font.
struct FontHandle {
  int id = 0;
  explicit operator bool() const { return id != 0; }
  friend bool operator==(const FontHandle&, const FontHandle&) = default;
};

struct DeviceResolution {
  double logicalDpiX = 96;
  double logicalDpiY = 96;
  int widthDots = 0;  // whole drawing surface in device units
  int heightDots = 0;
  double widthMm = 0;  // its physical size
  double heightMm = 0;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void selectPen(const Pen& pen) = 0;
  virtual void selectBrush(const Brush& brush) = 0;
  virtual void setBackgroundColour(Rgb colour) = 0;
  virtual void setTextColour(Rgb colour) = 0;

  virtual void fillRegion(const Region& region, const Brush& brush) = 0;
  // Fills the polygon through count points, closed back to the first, in
  // brush, without an outline: the units whose centres lie inside it by the
  // odd-even rule. Fewer than three points fill nothing.
  virtual void fillPolygon(const Point* points, int count, const Brush& brush) = 0;
  // nullptr (or an invalid region) removes the clip.
  virtual void setClipRegion(const Region* region) = 0;

  virtual void moveTo(int x, int y) = 0;
  // Line in the selected pen from the current position to (x, y), without
  // the point (x, y) itself; (x, y) becomes the current position.
  virtual void lineTo(int x, int y) = 0;
  // Outline in the selected pen, inside in the selected brush.
  virtual void rectangle(int left, int top, int right, int bottom) = 0;

  // Text with its cell's top-left corner at (x, y), the cell filled with the
  // background colour, the glyphs in the text colour, in the selected font.
  virtual void textOut(int x, int y, std::string_view text) = 0;
  virtual Size textExtent(std::string_view text) = 0;
  virtual TextMetrics textMetrics() = 0;

  virtual FontHandle createFont(const FontDescription& description) = 0;
  // Returns the font selected before.
  virtual FontHandle selectFont(FontHandle font) = 0;
  virtual void deleteFont(FontHandle font) = 0;

  virtual DeviceResolution resolution() = 0;
};

// A window that lends its client area as a canvas for the length of a pass:
// acquireCanvas before drawing, releaseCanvas after, which also shows the
// result.
class DeviceWindow {
 public:
  virtual ~DeviceWindow() = default;
  virtual Canvas* acquireCanvas() = 0;
  virtual void releaseCanvas(Canvas* canvas) = 0;
  virtual Rect clientRect() = 0;
};

}  // namespace tavex
