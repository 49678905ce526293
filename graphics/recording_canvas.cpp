// SPDX-License-Identifier: GPL-3.0-or-later
#include "graphics/recording_canvas.h"

namespace tavex {

RecordingCanvas::RecordingCanvas() {
  // A device's default pen is black and one unit wide, its brush white.
  pen_ = makePen(Rgb{0, 0, 0}, 1);
  brush_ = makeBrush(Rgb{255, 255, 255});
}

std::vector<CanvasCall> RecordingCanvas::callsOf(CallKind kind) const {
  std::vector<CanvasCall> result;
  for (const CanvasCall& call : calls_) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

CanvasCall& RecordingCanvas::record(CallKind kind) {
  CanvasCall& call = calls_.emplace_back();
  call.kind = kind;
  call.pen = pen_;
  call.brush = brush_;
  call.background = background_;
  call.textColour = textColour_;
  call.clip = clip_;
  return call;
}

void RecordingCanvas::selectPen(const Pen& pen) {
  pen_ = pen;
  record(CallKind::SelectPen);
}

void RecordingCanvas::selectBrush(const Brush& brush) {
  brush_ = brush;
  record(CallKind::SelectBrush);
}

void RecordingCanvas::setBackgroundColour(Rgb colour) {
  background_ = colour;
  record(CallKind::SetBackgroundColour).colour = colour;
}

void RecordingCanvas::setTextColour(Rgb colour) {
  textColour_ = colour;
  record(CallKind::SetTextColour).colour = colour;
}

void RecordingCanvas::fillRegion(const Region& region, const Brush& brush) {
  CanvasCall& call = record(CallKind::FillRegion);
  call.rect = region.rect;
  call.brush = brush;
}

void RecordingCanvas::fillPolygon(const Point* points, int count, const Brush& brush) {
  CanvasCall& call = record(CallKind::FillPolygon);
  call.points.assign(points, points + (count > 0 ? count : 0));
  call.brush = brush;
}

void RecordingCanvas::setClipRegion(const Region* region) {
  if (region != nullptr && region->valid) {
    clip_ = region->rect.normalised();
  } else {
    clip_.reset();
  }
  CanvasCall& call = record(CallKind::SetClipRegion);
  if (clip_) call.rect = *clip_;
}

void RecordingCanvas::moveTo(int x, int y) {
  posX_ = x;
  posY_ = y;
  CanvasCall& call = record(CallKind::MoveTo);
  call.x = x;
  call.y = y;
}

void RecordingCanvas::lineTo(int x, int y) {
  CanvasCall& call = record(CallKind::LineTo);
  call.fromX = posX_;
  call.fromY = posY_;
  call.x = x;
  call.y = y;
  posX_ = x;
  posY_ = y;
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
  record(CallKind::Rectangle).rect = Rect{left, top, right, bottom};
}

void RecordingCanvas::textOut(int x, int y, std::string_view text) {
  CanvasCall& call = record(CallKind::TextOut);
  call.x = x;
  call.y = y;
  call.text = std::string(text);
}

Size RecordingCanvas::textExtent(std::string_view text) {
  auto it = textWidths_.find(std::string(text));
  int width = it != textWidths_.end() ? it->second : widthPerChar * static_cast<int>(text.size());
  return Size{width, lineHeight};
}

TextMetrics RecordingCanvas::textMetrics() {
  return TextMetrics{charWidth, lineHeight, ascent, lineHeight - ascent};
}

FontHandle RecordingCanvas::createFont(const FontDescription& description) {
  FontHandle font{nextFontId_++};
  liveFonts_.insert(font.id);
  CanvasCall& call = record(CallKind::CreateFont);
  call.font = description;
  call.fontId = font.id;
  return font;
}

FontHandle RecordingCanvas::selectFont(FontHandle font) {
  FontHandle previous = selectedFont_;
  selectedFont_ = font;
  record(CallKind::SelectFont).fontId = font.id;
  return previous;
}

void RecordingCanvas::deleteFont(FontHandle font) {
  liveFonts_.erase(font.id);
  record(CallKind::DeleteFont).fontId = font.id;
}

}  // namespace tavex
