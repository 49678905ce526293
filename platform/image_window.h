// A widget whose client area is a backing image of its own size, lent to the
// graphics as a canvas. What is drawn stays in the image and is copied to the
// screen whenever the widget is painted, so an uncovered window shows its last
// picture. A resize of the client area starts a fresh white image. A strip
// along the bottom may be kept out of the client area (reserveBottom).
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
  // The client area's size: the widget's, less the reserved bottom strip.
  QSize clientSize() const;
  int reservedBottom() const { return reserved_; }
  int canvasesOut() const { return static_cast<int>(leases_.size()); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Keeps the bottom `pixels` rows out of the client area from the next
  // resize on (the window grows or shrinks by as much at the same time, so
  // that the client area, and the picture in it, keep their size).
  void reserveBottom(int pixels) { pendingReserve_ = pixels; }
  // Whether the last resize changed the client area's size.
  bool clientResized() const { return clientResized_; }

 private:
  // A canvas that is out, with the image it paints when that is no longer
  // the window's (a resize replaced it while the canvas was out).
  struct Lease {
    std::unique_ptr<QImage> retiredImage;
    std::unique_ptr<QPainterCanvas> canvas;
    int acquires = 0;
  };

  std::unique_ptr<QImage> makeImage() const;

  std::unique_ptr<QImage> image_;
  std::vector<Lease> leases_;
  int reserved_ = 0;
  int pendingReserve_ = 0;
  bool clientResized_ = true;
};

}  // namespace tavex
