#include "platform/image_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

#include "platform/qpainter_canvas.h"

namespace tavex {

ImageWindow::ImageWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
  // Made here, once every member it reads (reserved_) has its value.
  image_ = makeImage();
  // The image covers the whole widget: no background erase before painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

ImageWindow::~ImageWindow() {
  // Canvases end before the images they paint.
  for (Lease& lease : leases_) lease.canvas.reset();
}

QSize ImageWindow::clientSize() const { return QSize(width(), std::max(0, height() - reserved_)); }

std::unique_ptr<QImage> ImageWindow::makeImage() const {
  // A painter cannot work on an empty image: keep at least one pixel.
  const QSize client = clientSize();
  auto image = std::make_unique<QImage>(std::max(1, client.width()), std::max(1, client.height()),
                                        QImage::Format_RGB32);
  image->fill(Qt::white);
  return image;
}

Canvas* ImageWindow::acquireCanvas() {
  for (Lease& lease : leases_) {
    if (!lease.retiredImage) {
      ++lease.acquires;
      return lease.canvas.get();
    }
  }
  // A size set before the first resize event arrived: match it now.
  const QSize size(std::max(1, clientSize().width()), std::max(1, clientSize().height()));
  if (image_->size() != size) image_ = makeImage();
  Lease lease;
  lease.canvas = std::make_unique<QPainterCanvas>(image_.get());
  lease.acquires = 1;
  leases_.push_back(std::move(lease));
  return leases_.back().canvas.get();
}

void ImageWindow::releaseCanvas(Canvas* canvas) {
  auto it = std::find_if(leases_.begin(), leases_.end(),
                         [canvas](const Lease& l) { return l.canvas.get() == canvas; });
  if (it == leases_.end()) return;
  if (--it->acquires > 0) return;
  it->canvas.reset();
  leases_.erase(it);
  update();
}

void ImageWindow::clearToWhite() {
  image_->fill(Qt::white);
  if (isVisible()) repaint();
}

Rect ImageWindow::clientRect() {
  const QSize client = clientSize();
  return Rect{0, 0, client.width(), client.height()};
}

void ImageWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect() & QRect(QPoint(0, 0), clientSize());
  painter.drawImage(area, *image_, area);
}

void ImageWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QSize before(event->oldSize().width(), event->oldSize().height() - reserved_);
  reserved_ = pendingReserve_;
  clientResized_ = clientSize() != before;
  if (!clientResized_) return;  // only the reserved strip changed
  // A canvas still out keeps painting its old image, which goes when it is
  // released; the window shows the new, white one.
  for (Lease& lease : leases_)
    if (!lease.retiredImage) lease.retiredImage = std::move(image_);
  image_ = makeImage();
}

}  // namespace tavex
