// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/edge_sizer.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>

namespace tavex {

EdgeSizer* EdgeSizer::attach(QWidget* target) { return new EdgeSizer(target); }

EdgeSizer::EdgeSizer(QWidget* target) : QObject(target), target_(target) {
  watch(target);
  // A scroll area's inside and scroll bar take the mouse over most of it.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) {
    watch(area->viewport());
    watch(area->verticalScrollBar());
    watch(area->horizontalScrollBar());
  }
}

void EdgeSizer::watch(QWidget* widget) {
  if (widget == nullptr) return;
  watched_.push_back({widget, widget->testAttribute(Qt::WA_SetCursor), widget->cursor()});
  widget->setMouseTracking(true);
  widget->installEventFilter(this);
}

int EdgeSizer::edgesAt(QPoint p) const {
  int edges = kNone;
  if (p.x() >= target_->width() - kGrip && p.x() < target_->width()) edges |= kRight;
  if (p.y() >= target_->height() - kGrip && p.y() < target_->height()) edges |= kBottom;
  if (p.x() < 0 || p.y() < 0) edges = kNone;
  return edges;
}

void EdgeSizer::showCursor(Watched& w, int edges) {
  switch (edges) {
    case kRight:
      w.widget->setCursor(Qt::SizeHorCursor);
      break;
    case kBottom:
      w.widget->setCursor(Qt::SizeVerCursor);
      break;
    case kRight | kBottom:
      w.widget->setCursor(Qt::SizeFDiagCursor);
      break;
    default:
      if (w.hadCursor)
        w.widget->setCursor(w.cursor);
      else
        w.widget->unsetCursor();
  }
}

bool EdgeSizer::eventFilter(QObject* object, QEvent* event) {
  auto it = std::find_if(watched_.begin(), watched_.end(),
                         [object](const Watched& w) { return w.widget == object; });
  if (it == watched_.end()) return false;
  const QEvent::Type type = event->type();
  if (type == QEvent::Leave) {
    if (dragEdges_ == kNone) showCursor(*it, kNone);
    return false;
  }
  if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
      type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;

  auto* mouse = static_cast<QMouseEvent*>(event);
  const QPoint inTarget = it->widget->mapTo(target_, mouse->position().toPoint());
  const QPoint global = mouse->globalPosition().toPoint();

  if (dragEdges_ != kNone) {
    if (type == QEvent::MouseMove) {
      const QPoint delta = global - dragStart_;
      QSize size = startSize_;
      if (dragEdges_ & kRight) size.setWidth(std::max(kMinimum, startSize_.width() + delta.x()));
      if (dragEdges_ & kBottom)
        size.setHeight(std::max(kMinimum, startSize_.height() + delta.y()));
      target_->resize(size);
    } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
      dragEdges_ = kNone;
      showCursor(*it, edgesAt(inTarget));
    }
    return true;
  }

  const int edges = edgesAt(inTarget);
  if (type == QEvent::MouseMove) {
    if (mouse->buttons() == Qt::NoButton) showCursor(*it, edges);
    return edges != kNone && mouse->buttons() == Qt::NoButton;
  }
  if (edges == kNone) return false;
  if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
      mouse->button() == Qt::LeftButton) {
    dragEdges_ = edges;
    dragStart_ = global;
    startSize_ = target_->size();
  }
  return true;  // the edge belongs to the border, not to the control
}

}  // namespace tavex
