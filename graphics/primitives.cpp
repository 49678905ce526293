// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing primitives of the graph frame: pen and brush selection under the
// colour rule, panels, borders, lines and the curve in world coordinates,
// aligned text.
#include <string>

#include "graphics/graph_frame.h"

namespace tavex {

namespace {

bool isPenIndex(int index) { return index >= 0 && index < kPenCount; }
bool isBrushIndex(int index) { return index >= 0 && index < kBrushCount; }

}  // namespace

void GraphFrame::applyTextColours() {
  if (dc == nullptr) return;
  if (isBrushIndex(brushIndex)) dc->setBackgroundColour(brushPalette[brushIndex]);
  if (isPenIndex(textColourIndex)) dc->setTextColour(penPalette[textColourIndex]);
}

int GraphFrame::measureText(std::string_view text) {
  textExtent = dc != nullptr ? dc->textExtent(text) : Size{};
  return textExtent.width;
}

void GraphFrame::drawText(int x, int y, std::string_view text) {
  if (dc != nullptr) dc->textOut(x, y, text);
}

void GraphFrame::setClip(int on) {
  clipActive = on != 0 ? 1 : 0;
  if (dc != nullptr) dc->setClipRegion(clipActive != 0 ? &frameRegion : nullptr);
}

void GraphFrame::selectPen(int index) {
  if (!isPenIndex(index) || !colourAllowed()) return;
  if (dc != nullptr) dc->selectPen(pens[index]);
  penIndex = index;
}

void GraphFrame::selectBrush(int index) {
  if (!isBrushIndex(index) || !colourAllowed()) return;
  if (dc != nullptr) dc->selectBrush(brushes[index]);
  brushIndex = index;
}

void GraphFrame::setPanel(Panel& panel, int decorate) {
  // An index outside its palette leaves the frame's index as it is.
  if (colourAllowed()) {
    if (isBrushIndex(panel.brushIndex)) brushIndex = panel.brushIndex;
    if (isPenIndex(panel.framePenIndex)) framePenIndex = panel.framePenIndex;
    if (isPenIndex(panel.penIndex)) penIndex = panel.penIndex;
    if (isPenIndex(panel.textColourIndex)) textColourIndex = panel.textColourIndex;
  }
  setFrame(panel.leftPct, panel.rightPct, panel.bottomPct, panel.topPct, kClipOn);
  cursorX = panel.cursorX;
  cursorY = panel.cursorY;
  if (decorate == 0) return;

  if (colourAllowed()) {
    selectBrush(panel.brushIndex);
    if (dc != nullptr && isBrushIndex(brushIndex)) dc->fillRegion(frameRegion, brushes[brushIndex]);
  }
  setClip(kClipOff);
  {
    // Ends with the panel's own pen selected again.
    IndexGuard keep(*this, kKeepPen);
    selectPen(framePenIndex);
    if (dc != nullptr) dc->rectangle(frameLeft, frameTop, frameRight, frameBottom);
    setClip(kClipOn);
  }

  lineStartX = cursorX = frameLeft + charWidth;
  cursorY = frameTop + lineHeight / 3;
  panel.cursorX = cursorX;
  panel.cursorY = cursorY;
}

void GraphFrame::drawBorder(int index) {
  const bool clipWasOn = clipActive == 1;
  if (clipWasOn) setClip(kClipOff);
  IndexGuard keep(*this, kKeepPen);
  selectPen(index == -1 ? framePenIndex : index);
  if (dc != nullptr) dc->rectangle(frameLeft, frameTop, frameRight, frameBottom);
  if (clipWasOn) setClip(kClipOn);
}

void GraphFrame::moveTo(double x, double y) {
  currentX = x;
  currentY = y;
  currentDevX = mapX(x);
  currentDevY = mapY(y);
  if (dc != nullptr) dc->moveTo(currentDevX, currentDevY);
}

void GraphFrame::lineTo(double x, double y) {
  currentX = x;
  currentY = y;
  currentDevX = mapX(x);
  currentDevY = mapY(y);
  if (dc != nullptr) dc->lineTo(currentDevX, currentDevY);
}

void GraphFrame::plotCurve(const CurveFunction& f, double xa, double xb, int steps) {
  const double h = (xb - xa) / steps;
  moveTo(xa, f(xa));
  // A wide counter: i runs up to steps inclusive even for the largest int.
  for (long long i = 1; i <= steps; ++i) {
    const double x = xa + static_cast<double>(i) * h;
    lineTo(x, f(x));
  }
}

void GraphFrame::drawTextAt(double x, double y, int align, std::string_view text) {
  applyTextColours();
  const int w = measureText(text);
  const int offset = align == kAlignLeft ? 0 : align == kAlignCentre ? -(w / 2) : -w;
  const int left = mapX(x) + offset;
  drawText(left, mapY(y) - lineHeight / 2, text);
  currentX = x0 + (static_cast<double>(left) + w - frameLeft) / xScale;
  currentY = y;
  currentDevX = mapX(currentX);
  currentDevY = mapY(currentY);
  if (dc != nullptr) dc->moveTo(currentDevX, currentDevY);
}

}  // namespace tavex
