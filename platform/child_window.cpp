#include "platform/child_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWindow>

namespace tavex {

ChildWindow::ChildWindow(ChildProcedure procedure, const QString& title, QWidget* owner)
    : ImageWindow(owner, Qt::Window), procedure_(procedure) {
  setWindowTitle(title);
  // The window's default font, from which a data box takes its layout and its
  // button's caption, is the general font in bold: the data boxes were laid
  // out for a bold system font.
  QFont general = font();
  general.setBold(true);
  setFont(general);
  // Mouse moves arrive with no button held too: the probe follows the pointer.
  setMouseTracking(true);
}

ChildWindow::~ChildWindow() { sendDestroy(); }

long ChildWindow::send(const ChildEvent& event) {
  if (destroyed_ || procedure_ == nullptr) return 0;
  return procedure_(*this, event);
}

void ChildWindow::notify(QWidget* control, int notification) {
  ChildEvent event;
  event.message = ChildMessage::Command;
  event.control = control;
  event.notification = notification;
  send(event);
}

void ChildWindow::showWithOuterRect(const QRect& rect) {
  setGeometry(rect);
  show();
  // Once the window system has framed the window, fit the frame to rect.
  if (QWindow* handle = windowHandle()) {
    const QMargins m = handle->frameMargins();
    if (!m.isNull()) {
      resize(rect.width() - m.left() - m.right(), rect.height() - m.top() - m.bottom());
      move(rect.topLeft());
    }
  }
}

void ChildWindow::sendDestroy() {
  if (destroyed_) return;
  ChildEvent event;
  event.message = ChildMessage::Destroy;
  send(event);
  destroyed_ = true;
}

void ChildWindow::destroyWindow() {
  if (destroyed_) return;
  hide();
  sendDestroy();
  deleteLater();
}

void ChildWindow::closeEvent(QCloseEvent* event) {
  // Closing destroys the window, as the default handling of a close does.
  event->accept();
  destroyWindow();
}

void ChildWindow::resizeEvent(QResizeEvent* event) {
  ImageWindow::resizeEvent(event);
  ChildEvent size;
  size.message = ChildMessage::Size;
  send(size);
}

void ChildWindow::mouseMoveEvent(QMouseEvent* event) {
  ChildEvent move;
  move.message = ChildMessage::MouseMove;
  const QPoint p = event->position().toPoint();
  move.x = p.x();
  move.y = p.y();
  send(move);
  update();  // a probe pass may have drawn into the backing image
}

void ChildWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    ImageWindow::mousePressEvent(event);
    return;
  }
  ChildEvent down;
  down.message = ChildMessage::LeftButtonDown;
  const QPoint p = event->position().toPoint();
  down.x = p.x();
  down.y = p.y();
  send(down);
  update();
}

}  // namespace tavex
