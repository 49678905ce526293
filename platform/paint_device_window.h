// SPDX-License-Identifier: GPL-3.0-or-later
// A window whose client area is a paint device of a fixed size (an image, an
// SVG or PDF writer): the plot procedure draws on it as on a plot window.
#pragma once

#include <memory>

#include "graphics/canvas.h"
#include "platform/qpainter_canvas.h"

namespace tavex {

class PaintDeviceWindow : public DeviceWindow {
 public:
  PaintDeviceWindow(QPaintDevice* device, int width, int height)
      : device_(device), client_{0, 0, width, height} {}
  Canvas* acquireCanvas() override {
    if (!canvas_) canvas_ = std::make_unique<QPainterCanvas>(device_);
    return canvas_.get();
  }
  // Ends the painter, so that the device holds the finished picture.
  void releaseCanvas(Canvas*) override { canvas_.reset(); }
  Rect clientRect() override { return client_; }

 private:
  QPaintDevice* device_;
  Rect client_;
  std::unique_ptr<QPainterCanvas> canvas_;
};

}  // namespace tavex
