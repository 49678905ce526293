// SPDX-License-Identifier: GPL-3.0-or-later
// The graph frame: the one drawing record of the plot. It holds the device,
// the drawing tools, the text cursor, the current frame (a rectangle of the
// device given in percentages) and the world window mapped onto it, and
// offers the drawing primitives in world coordinates.
#pragma once

#include <array>
#include <concepts>
#include <functional>
#include <string_view>

#include "graphics/canvas.h"

namespace tavex {

inline constexpr int kPenCount = 26;
inline constexpr int kBrushCount = 10;

// Pen colours, also the text colours. Entries 16 to 25 repeat the brushes.
inline constexpr std::array<Rgb, kPenCount> penPalette{{
    {0, 0, 0},       {0, 0, 160},     {0, 160, 0},     {160, 0, 0},     {0, 160, 160},
    {160, 0, 160},   {160, 160, 0},   {160, 160, 160}, {255, 128, 0},   {0, 0, 255},
    {0, 255, 0},     {255, 0, 0},     {0, 255, 255},   {255, 0, 255},   {255, 255, 0},
    {255, 255, 255}, {0, 0, 0},       {240, 255, 255}, {255, 230, 255}, {255, 230, 200},
    {230, 255, 255}, {255, 255, 255}, {253, 254, 218}, {226, 253, 220}, {251, 255, 202},
    {255, 200, 255},
}};

// Brush colours, also the text background colours.
inline constexpr std::array<Rgb, kBrushCount> brushPalette{{
    {0, 0, 0},
    {240, 255, 255},
    {255, 230, 255},
    {255, 230, 200},
    {230, 255, 255},
    {255, 255, 255},
    {253, 254, 218},
    {226, 253, 220},
    {251, 255, 202},
    {255, 200, 255},
}};

// The areas a rule picture shades between the axis and each shape's top,
// told apart by colour and by hatching so that they read in black and white
// and for colour-blind eyes alike: above the axis blue with rising lines
// ("/"), below it orange with crossed lines ("x"). In black and white only
// the hatching shows, black on the white page.
struct AreaColours {
  Rgb ground;
  Rgb hatch;
  Rgb outline;
};
inline constexpr AreaColours kAreaAbove{{205, 225, 255}, {70, 120, 215}, {0, 60, 170}};
inline constexpr AreaColours kAreaBelow{{255, 225, 190}, {230, 130, 30}, {170, 80, 0}};

// Attribute bits of createScaledFont.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;
inline constexpr int kFontStrikeOut = 8;

// Named values of the 0/1 flags that the frame's operations take as ints.
inline constexpr int kClipOff = 0;     // setFrame, setClip: no clip region
inline constexpr int kClipOn = 1;      //   clip to the frame
inline constexpr int kPlaceOnly = 0;   // setPanel: place the panel, draw nothing
inline constexpr int kDecorate = 1;    //   also fill it and draw its border
inline constexpr int kNoClamp = 0;     // unmapX, unmapY: any device value
inline constexpr int kClamp = 1;       //   the world window's edge outside the frame
inline constexpr int kDeviceDpi = 0;   // createScaledFont: dots per millimetre of the device
inline constexpr int kLogicalDpi = 1;  //   the device's logical dots per inch

// Mapped device coordinates are saturated to [-limit, limit] so that huge or
// non-finite world values give a defined coordinate that every canvas can
// take; a NaN maps to -limit.
inline constexpr int kDeviceCoordinateLimit = 1 << 26;

// Truncates a device value toward zero after saturating it as above.
int toDeviceUnit(double value);

// A font sized in tenths of a point for the resolution of dc. The caller
// owns the returned font. widthDecipoints 0 keeps the face's natural width.
FontHandle createScaledFont(Canvas& dc, std::string_view faceName, int heightDecipoints,
                            int widthDecipoints, int attributes, int useLogicalDpi);

// A framed, filled text area of the page in percentages, with its colour
// indices and text cursor.
struct Panel {
  int leftPct = 0;
  int rightPct = 0;
  int bottomPct = 0;
  int topPct = 0;
  int brushIndex = 0;
  int framePenIndex = 0;
  int penIndex = 0;
  int textColourIndex = 0;
  int cursorX = 0;
  int cursorY = 0;
};

// Text alignment of drawTextAt; any value other than 1 and 2 is right.
inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignCentre = 2;
inline constexpr int kAlignRight = 3;

using CurveFunction = std::function<double(double)>;

struct GraphFrame {
  explicit GraphFrame(DeviceWindow* window = nullptr) : window(window) {}

  // Device and drawing tools. dc is where drawing goes: the window's canvas,
  // or the printer's while printing (screenDc then keeps the window's).
  DeviceWindow* window = nullptr;
  Canvas* dc = nullptr;
  Canvas* screenDc = nullptr;
  Canvas* printerDc = nullptr;
  int printing = 0;
  int colourOutput = 1;  // 0 while printing in black and white
  int penWidth = 1;
  std::array<Pen, kPenCount> pens{};
  std::array<Brush, kBrushCount> brushes{};
  FontHandle font;
  TextMetrics textMetrics;
  Rect clientRect;
  Region clientRegion;
  Region frameRegion;
  int clipActive = 1;  // 1 while frameRegion clips the drawing
  int clientWidth = 0;
  int clientHeight = 0;
  int deviceWidth = 0;  // the surface the frame percentages refer to
  int deviceHeight = 0;
  double deviceAspect = 1.0;

  // Colour indices into the palettes, with the window's copies kept while
  // printing.
  int brushIndex = 0;       // also the text background colour
  int savedBrushIndex = 0;
  int textColourIndex = 0;  // into penPalette
  int savedTextColourIndex = 0;
  int framePenIndex = 0;    // frames, axes and ticks
  int savedFramePenIndex = 0;
  int penIndex = 0;
  int savedPenIndex = 0;

  // Mapping: the frame (device units, frameTop < frameBottom), the world
  // window on it, and the current point in both.
  Rect frameRect;
  int frameLeft = 0;
  int frameRight = 0;
  int frameBottom = 0;
  int frameTop = 0;
  int frameHeight = 0;
  int frameWidth = 0;
  double frameAspect = 1.0;
  double x0 = 0;
  double x1 = 0;
  double y0 = 0;
  double y1 = 0;
  double xRange = 0;
  double yRange = 0;
  double xScale = 0;
  double yScale = 0;
  double worldAspect = 0;
  std::array<double, 4> savedWorld{};  // x0, x1, y0, y1 while ticks use tick units
  double charWidthWorld = 0;
  double lineHeightWorld = 0;
  int points = 0;  // curve steps
  double currentX = 0;
  double currentY = 0;
  int currentDevX = 0;
  int currentDevY = 0;

  // Text cursor and the font's cell sizes.
  Size textExtent;  // of the last text measured
  int charWidth = 0;
  int lineHeight = 0;
  int lineStartX = 0;
  int cursorX = 0;  // top-left corner of the next text
  int cursorY = 0;
  int titlePercent = 50;
  char labelFormat[16] = "%.6g";

  // Frame and mapping.
  void setFrame(int leftPct, int rightPct, int bottomPct, int topPct, int clip);
  // A degenerate axis (empty or non-finite range, or a frame of no extent)
  // gets scale 0: every value on it then maps onto the frame's low edge.
  void setWorld(double worldX0, double worldX1, double worldY0, double worldY1, int curvePoints);
  int mapX(double x) const;
  int mapY(double y) const;
  double unmapX(int devX, int clamp) const;
  double unmapY(int devY, int clamp) const;
  void newLine(int k);

  // Drawing primitives.
  bool colourAllowed() const { return printing == 0 || colourOutput == 1; }
  void selectPen(int index);
  void selectBrush(int index);
  void setPanel(Panel& panel, int decorate);
  void drawBorder(int index);
  void moveTo(double x, double y);
  void lineTo(double x, double y);
  void plotCurve(const CurveFunction& f, double xa, double xb, int steps);
  template <class Evaluator>
    requires requires(Evaluator& e, double x) {
      { e.evaluate(x) } -> std::convertible_to<double>;
    }
  void plotCurve(Evaluator& evaluator, double xa, double xb, int steps) {
    plotCurve([&evaluator](double x) { return static_cast<double>(evaluator.evaluate(x)); }, xa,
              xb, steps);
  }
  void drawTextAt(double x, double y, int align, std::string_view text);

  // Text output helpers shared with the text-at-cursor operations: set the
  // device's background colour from brushIndex and text colour from
  // textColourIndex; measure a text into textExtent; draw it opaque.
  void applyTextColours();
  int measureText(std::string_view text);
  void drawText(int x, int y, std::string_view text);
  // Clip to frameRegion (on) or nothing (off), recorded in clipActive.
  void setClip(int on);
};

// What an IndexGuard puts back.
inline constexpr int kKeepPen = 1;
inline constexpr int kKeepBrush = 2;

// Remembers the frame's pen and/or brush index and selects them again when it
// goes, through selectPen and selectBrush, so the colour rule holds for the
// restoring as well.
class IndexGuard {
 public:
  IndexGuard(GraphFrame& frame, int keep)
      : frame_(frame), keep_(keep), pen_(frame.penIndex), brush_(frame.brushIndex) {}
  ~IndexGuard() {
    if ((keep_ & kKeepPen) != 0) frame_.selectPen(pen_);
    if ((keep_ & kKeepBrush) != 0) frame_.selectBrush(brush_);
  }
  IndexGuard(const IndexGuard&) = delete;
  IndexGuard& operator=(const IndexGuard&) = delete;

 private:
  GraphFrame& frame_;
  const int keep_;
  const int pen_;
  const int brush_;
};

}  // namespace tavex
