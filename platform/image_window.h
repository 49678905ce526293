// SPDX-License-Identifier: GPL-3.0-or-later
// A widget whose client area is a backing image, lent to the graphics as a
// canvas. What is drawn stays in the image and is copied to the screen
// whenever the widget is painted, so an uncovered window shows its last
// picture. The client area takes the widget's size on every resize, and a new
// size starts a fresh white image; a subclass may decide otherwise
// (setClientSize), and the widget shows white wherever it is larger than the
// client area.
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

#include "graphics/canvas.h"

namespace tavex {

class QPainterCanvas;

class ImageWindow : public QWidget, public DeviceWindow {
  Q_OBJECT

 public:
  explicit ImageWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
  ~ImageWindow() override;
  ImageWindow(const ImageWindow&) = delete;
  ImageWindow& operator=(const ImageWindow&) = delete;

  // A canvas on the backing image. Acquiring again while one is out hands out
  // the same canvas; each acquire wants its release.
  Canvas* acquireCanvas() override;
  // Ends the canvas once all its acquires are released and schedules a
  // repaint. A pointer this window did not hand out is ignored.
  void releaseCanvas(Canvas* canvas) override;
  Rect clientRect() override;

  const QImage& image() const { return *image_; }
  // Fills the backing image white and shows it at once.
  void clearToWhite();
  // The client area's size, the picture's. Until the widget has had its
  // first resize event, the size it was given.
  QSize clientSize() const;
  int canvasesOut() const { return static_cast<int>(leases_.size()); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Makes size the client area's size, at the widget's top left; a new size
  // starts a fresh white image. Returns whether the size changed.
  bool setClientSize(QSize size);

 private:
  // A canvas that is out, with the image it paints when that is no longer
  // the window's (a resize replaced it while the canvas was out).
  struct Lease {
    std::unique_ptr<QImage> retiredImage;
    std::unique_ptr<QPainterCanvas> canvas;
    int acquires = 0;
  };

  std::unique_ptr<QImage> makeImage() const;

  QSize client_;
  bool sized_ = false;  // had its first size
  std::unique_ptr<QImage> image_;
  std::vector<Lease> leases_;
};

}  // namespace tavex
