// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas of the browser: a picture of 32-bit pixels in the byte order of
// an HTML ImageData (red, green, blue, alpha), drawn with the same aliased
// pixels the desktop's painter canvas gives a 32-bit image. Text is not
// rasterised here: its cell is filled with the background colour and the
// text kept as a run, which the page draws over the pixels with its font.
// The font's metrics come from a FontMeasure, so that the layout uses the
// page's font.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/canvas.h"
#include "graphics/font_table.h"

namespace tavex {

// Sizes of text in a font, in device units.
class FontMeasure {
 public:
  virtual ~FontMeasure() = default;
  virtual TextMetrics metrics(const FontDescription& font) = 0;
  virtual int width(const FontDescription& font, std::string_view text) = 0;
};

// One textOut: its cell, the text (8-bit, Latin-1) and how to draw it.
struct TextRun {
  Rect cell;
  int baseline = 0;  // y of the glyphs' baseline
  std::string text;
  Rgb colour;
  FontDescription font;
  Rect clip;  // the glyphs show only inside it
};

class RasterCanvas : public Canvas {
 public:
  RasterCanvas(int width, int height, FontMeasure& measure);

  int width() const { return width_; }
  int height() const { return height_; }
  // Pixels row by row, 4 bytes each, red first.
  const std::uint32_t* pixels() const { return pixels_.data(); }
  // Text drawn since the last takeChanges, in order.
  const std::vector<TextRun>& texts() const { return texts_; }
  // The rectangle pixels may have changed in since the last takeChanges
  // (empty when none); clears it and the texts.
  Rect takeChanges();
  // Whether textOut keeps text runs (on) or only fills the cells.
  void setTextRuns(bool on) { keepTexts_ = on; }
  // Whether runs down a column skip the rows that hold their colour already
  // (on by default); the pixels are the same.
  void setColumnMemory(bool on) { columnMemory_ = on; }

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

  // Whether lines are drawn (the line rasteriser of graphics/ is built in).

  // Logical dots per inch the fonts are scaled for (96 times the page's
  // device pixel ratio).
  void setLogicalDpi(double dpi) { dpi_ = dpi; }

 private:
  // The visible part: the picture, within the clip rectangle if one is set.
  Rect bounds() const;
  // Fills rect (cut to the visible part) with colour.
  void fill(Rect rect, Rgb colour);
  // Rows top to bottom (inclusive) of column x, already cut to the picture.
  void fillColumn(int x, int top, int bottom, std::uint32_t value);
  void writeColumn(int x, int top, int bottom, std::uint32_t value);
  void wideLine(int x0, int y0, int x1, int y1);
  const FontDescription& currentFont() const;

  int width_;
  int height_;
  std::vector<std::uint32_t> pixels_;
  FontMeasure& measure_;
  double dpi_ = 96;
  Rgb pen_{0, 0, 0};
  int penWidth_ = 1;
  Rgb brush_{255, 255, 255};
  Rgb background_{255, 255, 255};
  Rgb textColour_{0, 0, 0};
  bool clipped_ = false;
  Rect clip_;
  int x_ = 0, y_ = 0;  // the current position
  FontTable<FontDescription> fonts_;
  FontDescription deviceFont_;
  // What the last run of one colour down each column left there (rows lo
  // to hi), and which of those rows (touchedLo to touchedHi) other strokes
  // may have changed since: a later run of the same colour writes only the
  // rows that may differ. Where a pass draws many steps into one column,
  // the pixels come out the same with far fewer writes. A fill of more than
  // one row and one column forgets every record (a new generation).
  struct ColumnRun {
    std::uint32_t generation = 0;
    std::uint32_t value = 0;
    int lo = 0, hi = -1;
    int touchedLo = 0, touchedHi = -1;
  };
  std::vector<ColumnRun> columns_;
  std::uint32_t generation_ = 1;
  bool columnMemory_ = true;
  Rect changed_;
  std::vector<TextRun> texts_;
  bool keepTexts_ = true;
};

}  // namespace tavex
