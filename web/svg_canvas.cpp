// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/svg_canvas.h"

#include <algorithm>
#include <cstdio>

namespace tavex {

namespace {

std::string colourText(Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
  return text;
}

// 8-bit Latin-1 text as XML character data.
std::string xmlText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '<') out += "&lt;";
    else if (c == '&') out += "&amp;";
    else if (c == '"') out += "&quot;";
    else if (code < 0x20 || code >= 0x7F) out += "&#" + std::to_string(code) + ";";
    else out += c;
  }
  return out;
}

Rect intersected(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

}  // namespace

SvgCanvas::SvgCanvas(int width, int height, double dpi, FontMeasure& measure)
    : width_(width), height_(height), dpi_(dpi), measure_(measure) {
  deviceFont_.height = -13;
  deviceFont_.faceName = "sans-serif";
}

std::string SvgCanvas::svg() const {
  const std::string w = std::to_string(width_), h = std::to_string(height_);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
         "width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
         "\" shape-rendering=\"crispEdges\">\n" + body_ + path_ + "</svg>\n";
}

void SvgCanvas::selectPen(const Pen& pen) {
  endPath();
  pen_ = pen.valid ? pen.colour : Rgb{0, 0, 0};
  penWidth_ = pen.valid ? std::max(1, pen.width) : 1;
}

void SvgCanvas::selectBrush(const Brush& brush) {
  brush_ = brush.valid ? brush.colour : Rgb{255, 255, 255};
}

Rect SvgCanvas::bounds() const {
  const Rect picture{0, 0, width_, height_};
  return clipped_ ? intersected(picture, clip_) : picture;
}

void SvgCanvas::fill(const Rect& rect, Rgb colour) {
  const Rect r = intersected(rect.normalised(), bounds());
  if (r.empty()) return;
  endPath();
  body_ += "<rect x=\"" + std::to_string(r.left) + "\" y=\"" + std::to_string(r.top) +
           "\" width=\"" + std::to_string(r.right - r.left) + "\" height=\"" +
           std::to_string(r.bottom - r.top) + "\" fill=\"" + colourText(colour) + "\"/>\n";
}

void SvgCanvas::fillRegion(const Region& region, const Brush& brush) {
  if (region.valid) fill(region.rect, brush.valid ? brush.colour : Rgb{255, 255, 255});
}

void SvgCanvas::fillPolygon(const Point* points, int count, const Brush& brush) {
  if (count < 3 || (clipped_ && bounds().empty())) return;
  endPath();
  std::string corners;
  for (int i = 0; i < count; ++i) {
    if (i > 0) corners += ' ';
    corners += std::to_string(points[i].x) + "," + std::to_string(points[i].y);
  }
  const std::string clip = clipId_ ? " clip-path=\"url(#c" + std::to_string(clipId_) + ")\"" : "";
  body_ += "<polygon points=\"" + corners + "\" fill=\"" +
           colourText(brush.valid ? brush.colour : Rgb{255, 255, 255}) +
           "\" fill-rule=\"evenodd\"" + clip + "/>\n";
}

void SvgCanvas::setClipRegion(const Region* region) {
  endPath();
  clipped_ = region != nullptr && region->valid;
  clipId_ = 0;
  if (!clipped_) return;
  clip_ = region->rect.normalised();
  const Rect r = clip_;
  clipId_ = ++clips_;
  body_ += "<clipPath id=\"c" + std::to_string(clipId_) + "\"><rect x=\"" + std::to_string(r.left) +
           "\" y=\"" + std::to_string(r.top) + "\" width=\"" + std::to_string(r.right - r.left) +
           "\" height=\"" + std::to_string(r.bottom - r.top) + "\"/></clipPath>\n";
}

void SvgCanvas::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void SvgCanvas::lineTo(int x, int y) {
  if ((x != x_ || y != y_) && !(clipped_ && clip_.empty())) {
    // Through the pixel centres; a polyline continues its path.
    char piece[64];
    std::snprintf(piece, sizeof piece, "M%d.5 %d.5L%d.5 %d.5", x_, y_, x, y);
    path_ += piece;
  }
  x_ = x;
  y_ = y;
}

void SvgCanvas::endPath() {
  if (path_.empty()) return;
  const std::string clip = clipId_ ? " clip-path=\"url(#c" + std::to_string(clipId_) + ")\"" : "";
  body_ += "<path d=\"" + path_ + "\" fill=\"none\" stroke=\"" + colourText(pen_) +
           "\" stroke-width=\"" + std::to_string(penWidth_) + "\"" + clip + "/>\n";
  path_.clear();
}

void SvgCanvas::rectangle(int left, int top, int right, int bottom) {
  const Rect box = Rect{left, top, right, bottom}.normalised();
  if (box.empty()) return;
  if (box.right - box.left > 2 && box.bottom - box.top > 2)
    fill(Rect{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, brush_);
  const int w = penWidth_, half = (w - 1) / 2;
  const Rect o{box.left - half, box.top - half, box.right - half + w - 1, box.bottom - half + w - 1};
  fill(Rect{o.left, o.top, o.right, o.top + w}, pen_);
  fill(Rect{o.left, o.bottom - w, o.right, o.bottom}, pen_);
  fill(Rect{o.left, o.top, o.left + w, o.bottom}, pen_);
  fill(Rect{o.right - w, o.top, o.right, o.bottom}, pen_);
}

void SvgCanvas::textOut(int x, int y, std::string_view text) {
  if (text.empty() || (clipped_ && clip_.empty())) return;
  const FontDescription& font = currentFont();
  const TextMetrics metrics = measure_.metrics(font);
  fill(Rect{x, y, x + measure_.width(font, text), y + metrics.height}, background_);
  endPath();
  const int px = font.height < 0 ? -font.height : metrics.height;
  const std::string clip = clipId_ ? " clip-path=\"url(#c" + std::to_string(clipId_) + ")\"" : "";
  body_ += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y + metrics.ascent) +
           "\" font-family=\"" + xmlText(font.faceName) + ", Liberation Serif, serif\" font-size=\"" +
           std::to_string(px) + "px\"" + (font.weight >= 600 ? " font-weight=\"bold\"" : "") +
           (font.italic ? " font-style=\"italic\"" : "") + " fill=\"" + colourText(textColour_) +
           "\" xml:space=\"preserve\"" + clip + ">" + xmlText(text) + "</text>\n";
}

Size SvgCanvas::textExtent(std::string_view text) {
  const FontDescription& font = currentFont();
  return Size{measure_.width(font, text), measure_.metrics(font).height};
}

TextMetrics SvgCanvas::textMetrics() { return measure_.metrics(currentFont()); }

FontHandle SvgCanvas::createFont(const FontDescription& description) {
  return fonts_.add(description);
}

FontHandle SvgCanvas::selectFont(FontHandle font) { return fonts_.select(font); }

void SvgCanvas::deleteFont(FontHandle font) { fonts_.remove(font); }

const FontDescription& SvgCanvas::currentFont() const {
  return fonts_.selected(deviceFont_);
}

DeviceResolution SvgCanvas::resolution() {
  const double mmPerDot = 25.4 / dpi_;
  return DeviceResolution{dpi_, dpi_, width_, height_, width_ * mmPerDot, height_ * mmPerDot};
}

}  // namespace tavex
