// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/raster_canvas.h"

#include <algorithm>
#include <cstdlib>

// The line rasteriser the desktop's painter canvas uses.
#include "graphics/raster.h"

namespace tavex {

namespace {

// A colour as 4 bytes red, green, blue, alpha in memory (little-endian).
std::uint32_t pixelOf(Rgb c) {
  return 0xFF000000u | static_cast<std::uint32_t>(c.blue) << 16 |
         static_cast<std::uint32_t>(c.green) << 8 | c.red;
}

Rect intersected(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Rect united(const Rect& a, const Rect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

}  // namespace

RasterCanvas::RasterCanvas(int width, int height, FontMeasure& measure)
    : width_(std::max(1, width)),
      height_(std::max(1, height)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), pixelOf({255, 255, 255})),
      measure_(measure),
      columns_(static_cast<size_t>(width_)) {
  // Without a font of its own the canvas writes in the page's plain face.
  deviceFont_.height = -13;
  deviceFont_.faceName = "sans-serif";
}

Rect RasterCanvas::takeChanges() {
  const Rect changed = changed_;
  changed_ = Rect{};
  texts_.clear();
  return changed;
}

void RasterCanvas::selectPen(const Pen& pen) {
  // An empty slot draws as a device's default pen: black, one unit.
  pen_ = pen.valid ? pen.colour : Rgb{0, 0, 0};
  penWidth_ = pen.valid ? std::max(1, pen.width) : 1;
}

void RasterCanvas::selectBrush(const Brush& brush) {
  brush_ = brush.valid ? brush.colour : Rgb{255, 255, 255};
}

Rect RasterCanvas::bounds() const {
  const Rect picture{0, 0, width_, height_};
  return clipped_ ? intersected(picture, clip_) : picture;
}

void RasterCanvas::fill(Rect rect, Rgb colour) {
  rect = intersected(rect.normalised(), bounds());
  if (rect.empty()) return;
  changed_ = united(changed_, rect);
  const std::uint32_t value = pixelOf(colour);
  if (rect.right - rect.left == 1) {
    fillColumn(rect.left, rect.top, rect.bottom - 1, value);
    return;
  }
  for (int y = rect.top; y < rect.bottom; ++y) {
    std::uint32_t* row = pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    std::fill(row + rect.left, row + rect.right, value);
  }
  if (rect.bottom - rect.top > 1) {
    ++generation_;
    return;
  }
  // One row: the column records it crosses count it as touched.
  for (int x = rect.left; x < rect.right; ++x) {
    ColumnRun& run = columns_[static_cast<size_t>(x)];
    if (run.generation != generation_) continue;
    run.touchedLo = run.touchedLo <= run.touchedHi ? std::min(run.touchedLo, rect.top) : rect.top;
    run.touchedHi = std::max(run.touchedHi, rect.top);
  }
}

void RasterCanvas::writeColumn(int x, int top, int bottom, std::uint32_t value) {
  std::uint32_t* at = pixels_.data() + static_cast<size_t>(top) * static_cast<size_t>(width_) +
                      static_cast<size_t>(x);
  for (int k = bottom - top; k >= 0; --k, at += width_) *at = value;
}

void RasterCanvas::fillColumn(int x, int top, int bottom, std::uint32_t value) {
  if (!columnMemory_) {
    writeColumn(x, top, bottom, value);
    return;
  }
  ColumnRun& run = columns_[static_cast<size_t>(x)];
  const bool current = run.generation == generation_;
  if (current && run.value != value) {
    // Another colour over part of the record: those rows count as touched.
    writeColumn(x, top, bottom, value);
    run.touchedLo = run.touchedLo <= run.touchedHi ? std::min(run.touchedLo, top) : top;
    run.touchedHi = std::max(run.touchedHi, bottom);
    return;
  }
  if (!current) {
    writeColumn(x, top, bottom, value);
  } else {
    // The record's rows hold the colour, but for those touched since.
    if (top < run.lo) writeColumn(x, top, std::min(bottom, run.lo - 1), value);
    if (bottom > run.hi) writeColumn(x, std::max(top, run.hi + 1), bottom, value);
    const int lo = std::max({top, run.lo, run.touchedLo});
    const int hi = std::min({bottom, run.hi, run.touchedHi});
    if (lo <= hi) writeColumn(x, lo, hi, value);
  }
  run = ColumnRun{generation_, value, top, bottom, 0, -1};
}

void RasterCanvas::fillRegion(const Region& region, const Brush& brush) {
  if (!region.valid) return;
  fill(region.rect, brush.valid ? brush.colour : Rgb{255, 255, 255});
}

void RasterCanvas::fillPolygon(const Point* points, int count, const Brush& brush) {
  const Rgb colour = brush.valid ? brush.colour : Rgb{255, 255, 255};
  polygonRows(points, count, bounds(), [this, colour](const Rect& row) { fill(row, colour); });
  // Rows of many columns: the column records are forgotten, as after a fill
  // of many rows.
  ++generation_;
}

void RasterCanvas::setClipRegion(const Region* region) {
  clipped_ = region != nullptr && region->valid;
  // An empty clip rectangle shows nothing.
  if (clipped_) clip_ = region->rect.normalised();
}

void RasterCanvas::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void RasterCanvas::lineTo(int x, int y) {
  if (x != x_ || y != y_) {
    if (penWidth_ <= 1) {
      const Pixel from{x_, y_}, to{x, y};
      Rect strip;
      // A horizontal or vertical line is one strip (the same pixels).
      if (x == x_ || y == y_) {
        if (straightStrip(from, to, bounds(), strip)) fill(strip, pen_);
      } else {
        rasterLine(from, to, bounds(), [this](const Rect& run) { fill(run, pen_); });
      }
    } else {
      wideLine(x_, y_, x, y);
    }
  }
  x_ = x;
  y_ = y;
}

// A pen wider than one unit: a square of its width at each pixel of the thin
// line, and at its end (a printer's pen; the screen draws one unit wide).
void RasterCanvas::wideLine(int x0, int y0, int x1, int y1) {
  const int w = penWidth_, half = (w - 1) / 2;
  auto stamp = [&](int x, int y) { fill(Rect{x - half, y - half, x - half + w, y - half + w}, pen_); };
  const Rect b = bounds();
  const Rect near{b.left - w, b.top - w, b.right + w, b.bottom + w};
  rasterLine(Pixel{x0, y0}, Pixel{x1, y1}, near, [&](const Rect& strip) {
    for (int y = strip.top; y < strip.bottom; ++y)
      for (int x = strip.left; x < strip.right; ++x) stamp(x, y);
  });
  stamp(x1, y1);
}

void RasterCanvas::rectangle(int left, int top, int right, int bottom) {
  const Rect box = Rect{left, top, right, bottom}.normalised();
  if (box.empty()) return;
  // Inside in the brush, then the outline: its one-unit form covers the
  // outermost rows and columns of the box; wider pens centre on them.
  if (box.right - box.left > 2 && box.bottom - box.top > 2)
    fill(Rect{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, brush_);
  const int w = penWidth_;
  const int half = (w - 1) / 2;
  const Rect outer{box.left - half, box.top - half, box.right - half + w - 1,
                   box.bottom - half + w - 1};
  fill(Rect{outer.left, outer.top, outer.right, outer.top + w}, pen_);
  fill(Rect{outer.left, outer.bottom - w, outer.right, outer.bottom}, pen_);
  fill(Rect{outer.left, outer.top, outer.left + w, outer.bottom}, pen_);
  fill(Rect{outer.right - w, outer.top, outer.right, outer.bottom}, pen_);
}

void RasterCanvas::textOut(int x, int y, std::string_view text) {
  if (text.empty() || (clipped_ && clip_.empty())) return;
  const FontDescription& font = currentFont();
  const TextMetrics metrics = measure_.metrics(font);
  const Rect cell{x, y, x + measure_.width(font, text), y + metrics.height};
  fill(cell, background_);
  if (!keepTexts_) return;
  texts_.push_back(TextRun{cell, y + metrics.ascent, std::string(text), textColour_, font, bounds()});
  changed_ = united(changed_, intersected(cell, bounds()));
}

Size RasterCanvas::textExtent(std::string_view text) {
  const FontDescription& font = currentFont();
  return Size{measure_.width(font, text), measure_.metrics(font).height};
}

TextMetrics RasterCanvas::textMetrics() { return measure_.metrics(currentFont()); }

FontHandle RasterCanvas::createFont(const FontDescription& description) {
  return fonts_.add(description);
}

FontHandle RasterCanvas::selectFont(FontHandle font) { return fonts_.select(font); }

void RasterCanvas::deleteFont(FontHandle font) { fonts_.remove(font); }

const FontDescription& RasterCanvas::currentFont() const {
  return fonts_.selected(deviceFont_);
}

DeviceResolution RasterCanvas::resolution() {
  // A CSS pixel is 1/96 inch: the device size in millimetres follows.
  const double mmPerDot = 25.4 / dpi_;
  return DeviceResolution{dpi_, dpi_, width_, height_, width_ * mmPerDot, height_ * mmPerDot};
}

}  // namespace tavex
