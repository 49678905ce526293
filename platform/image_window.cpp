// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/image_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>

#include <algorithm>

#include "platform/qpainter_canvas.h"

namespace tavex {

ImageWindow::ImageWindow(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), client_(size()) {
  // Made here, once every member it reads (client_) has its value.
  image_ = makeImage();
  // The image covers the whole widget: no background erase before painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

ImageWindow::~ImageWindow() {
  // Canvases end before the images they paint.
  for (Lease& lease : leases_) lease.canvas.reset();
}

QSize ImageWindow::clientSize() const {
  // A size given while the widget was hidden waits for its resize event.
  return testAttribute(Qt::WA_PendingResizeEvent) ? size() : client_;
}

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
  const QRect client(QPoint(0, 0), clientSize().boundedTo(image_->size()));
  const QRect area = event->rect() & client;
  painter.drawImage(area, *image_, area);
  for (const QRect& rest : QRegion(event->rect()).subtracted(client))
    painter.fillRect(rest, Qt::white);
}

void ImageWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  setClientSize(size());
}

bool ImageWindow::setClientSize(QSize size) {
  size = size.expandedTo(QSize(0, 0));
  if (sized_ && size == client_) return false;
  sized_ = true;  // the first size counts as a change whatever it is
  client_ = size;
  // A canvas still out keeps painting its old image, which goes when it is
  // released; the window shows the new, white one.
  for (Lease& lease : leases_)
    if (!lease.retiredImage) lease.retiredImage = std::move(image_);
  image_ = makeImage();
  return true;
}

}  // namespace tavex
