// SPDX-License-Identifier: GPL-3.0-or-later
// Graph frame: font scaling, frame placement, world window, mapping between
// world and device coordinates, text cursor.
#include "graphics/graph_frame.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace tavex {

int toDeviceUnit(double value) {
  if (std::isnan(value)) return -kDeviceCoordinateLimit;
  if (value >= kDeviceCoordinateLimit) return kDeviceCoordinateLimit;
  if (value <= -kDeviceCoordinateLimit) return -kDeviceCoordinateLimit;
  return static_cast<int>(value);
}

FontHandle createScaledFont(Canvas& dc, std::string_view faceName, int heightDecipoints,
                            int widthDecipoints, int attributes, int useLogicalDpi) {
  // The canvas has no world transformation: logical and device units are the
  // same, so the point needs no conversion.
  const DeviceResolution resolution = dc.resolution();
  float dpiX;
  double dpiY;
  if (useLogicalDpi != 0) {
    dpiX = static_cast<float>(resolution.logicalDpiX);
    dpiY = resolution.logicalDpiY;
  } else {
    dpiX = static_cast<float>(25.4 * resolution.widthDots / resolution.widthMm);
    dpiY = 25.4 * resolution.heightDots / resolution.heightMm;
  }
  const float perPoint = 1.0f / 72.0f;
  // Tenths of a device unit.
  const int ptX = toDeviceUnit(static_cast<double>(widthDecipoints * dpiX * perPoint));
  const int ptY = toDeviceUnit(heightDecipoints * dpiY * static_cast<double>(perPoint));

  FontDescription description;
  description.height = -toDeviceUnit(std::abs(ptY) * 0.1 + 0.5);
  description.width = 0;
  description.weight = (attributes & kFontBold) != 0 ? 700 : 0;
  description.italic = (attributes & kFontItalic) != 0;
  description.underline = (attributes & kFontUnderline) != 0;
  description.strikeOut = (attributes & kFontStrikeOut) != 0;
  description.faceName = std::string(faceName);

  FontHandle font = dc.createFont(description);
  if (widthDecipoints != 0) {
    const FontHandle previous = dc.selectFont(font);
    const TextMetrics metrics = dc.textMetrics();
    dc.selectFont(previous);
    dc.deleteFont(font);
    // A zero height gives no ratio to scale by: keep the natural width.
    if (ptY != 0) {
      description.width = toDeviceUnit(std::abs(static_cast<double>(ptX)) *
                                           metrics.averageCharWidth / std::abs(ptY) +
                                       0.5);
    }
    font = dc.createFont(description);
  }
  return font;
}

namespace {

// pct % of size, from the integer product, truncated toward zero.
int percentOf(std::int64_t pct, int size) {
  return toDeviceUnit(static_cast<double>(pct * size) * 0.01);
}

// 1 / range × extent, or 0 where that has no finite value.
double scaleFor(double range, int extent) {
  const double scale = (1 / range) * extent;
  return std::isfinite(scale) ? scale : 0.0;
}

}  // namespace

void GraphFrame::setFrame(int leftPct, int rightPct, int bottomPct, int topPct, int clip) {
  frameLeft = percentOf(leftPct, deviceWidth);
  frameTop = percentOf(100 - static_cast<std::int64_t>(topPct), deviceHeight);
  frameRight = percentOf(rightPct, deviceWidth);
  frameBottom = percentOf(100 - static_cast<std::int64_t>(bottomPct), deviceHeight);
  frameRect = Rect{frameLeft, frameTop, frameRight, frameBottom};

  lineStartX = cursorX = frameLeft + charWidth;
  cursorY = frameTop + lineHeight;

  frameRegion = makeRectRegion(frameRect);

  if (dc != nullptr && brushIndex >= 0 && brushIndex < kBrushCount) {
    dc->selectBrush(brushes[brushIndex]);
  }
  applyTextColours();
  setClip(clip);

  frameWidth = frameRight - frameLeft;
  frameHeight = frameBottom - frameTop;
  frameAspect = (static_cast<double>(topPct) - bottomPct) * deviceAspect /
                (static_cast<double>(rightPct) - leftPct);
}

void GraphFrame::setWorld(double worldX0, double worldX1, double worldY0, double worldY1,
                          int curvePoints) {
  xRange = worldX1 - worldX0;
  yRange = worldY1 - worldY0;
  x0 = worldX0;
  x1 = worldX1;
  y0 = worldY0;
  y1 = worldY1;
  points = curvePoints;
  xScale = scaleFor(xRange, frameWidth);
  yScale = scaleFor(yRange, frameHeight);
  worldAspect = xRange * frameAspect / yRange;
  charWidthWorld = charWidth / xScale;
  lineHeightWorld = lineHeight / yScale;
}

int GraphFrame::mapX(double x) const {
  const double offset = xScale == 0 ? 0.0 : (x - x0) * xScale;
  return toDeviceUnit(offset + frameLeft + 0.5);
}

int GraphFrame::mapY(double y) const {
  const double offset = yScale == 0 ? 0.0 : (y - y0) * yScale;
  return toDeviceUnit(frameBottom - offset + 0.5);
}

double GraphFrame::unmapX(int devX, int clamp) const {
  if (clamp == 1 && devX <= frameLeft) return x0;
  if (clamp == 1 && devX >= frameRight) return x1;
  if (xScale == 0) return x0;
  return (static_cast<double>(devX) - frameLeft) / xScale + x0;
}

double GraphFrame::unmapY(int devY, int clamp) const {
  if (clamp == 1 && devY <= frameTop) return y1;
  if (clamp == 1 && devY >= frameBottom) return y0;
  if (yScale == 0) return y0;
  return y0 - (static_cast<double>(devY) - frameBottom) / yScale;
}

void GraphFrame::newLine(int k) {
  if (k != 0) {
    cursorY += k * lineHeight;
  } else {
    cursorY = frameTop + lineHeight;
  }
  cursorX = lineStartX;
}

}  // namespace tavex
