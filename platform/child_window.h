// SPDX-License-Identifier: GPL-3.0-or-later
// The one kind of window the menu commands open: the data boxes and the plot
// windows. Each is a top-level window owned by the main window (it stays
// above it, is minimised with it and goes with it; on X11 it is transient for
// the program's window group, so that it can be minimised on its own), with
// a backing image as its client area. Every window of this kind hands its
// events (destroy, size, a control's notification, mouse move, left button
// press, key press) to one shared function, the child procedure, which
// decides by the window what they mean.
#pragma once

#include <QElapsedTimer>
#include <QRect>
#include <QString>

#include <vector>

#include "platform/image_window.h"

class QTimer;

namespace tavex {

class ChildWindow;

enum class ChildMessage {
  Close,           // the user asks to close the window; a nonzero answer keeps it open
  Destroy,         // the window is going; sent once
  Size,            // the client area was sized (by the user, or by the program from outside)
  Command,         // a control in the window notified: control, notification
  MouseMove,       // x, y in client coordinates
  LeftButtonDown,  // x, y in client coordinates
  Key,             // a key pressed in the window: key (Qt::Key); a nonzero answer takes it
};

struct ChildEvent {
  ChildMessage message = ChildMessage::Size;
  int x = 0;
  int y = 0;
  QWidget* control = nullptr;
  int notification = 0;
  int key = 0;
  int modifiers = 0;  // Key: the Qt::KeyboardModifiers held with it
};

using ChildProcedure = long (*)(ChildWindow& window, const ChildEvent& event);

// The notification of a Command message that asks to cancel the window's
// long pass: the Cancel button of its status line, or Esc.
inline constexpr int kCancelRequested = 0x7001;

class StatusLine;

class ChildWindow final : public ImageWindow {
  Q_OBJECT

 public:
  // A hidden window titled title and owned by owner; every event goes to
  // procedure. The caller places and shows it.
  ChildWindow(ChildProcedure procedure, const QString& title, QWidget* owner);
  ~ChildWindow() override;

  // Hands event to the window's procedure, unless the window was destroyed.
  long send(const ChildEvent& event);
  // A control's notification, as a Command message.
  void notify(QWidget* control, int notification);

  // Shows the window with its outer rectangle at rect, frame included, once
  // the window system tells the frame's size (it is waited for a moment).
  void showWithOuterRect(const QRect& rect);

  // Sends Destroy now and deletes the window when control returns to the
  // event loop. Safe to call more than once.
  void destroyWindow();
  bool destroyed() const { return destroyed_; }

  // The status line along the bottom: a text of its own, shown while it is
  // not empty, and the progress of a long pass with a Cancel button. A text
  // too long for the line ends in "…" and shows whole as its tooltip. The
  // window grows by the line's height while it shows, so that the client
  // area and its picture keep their size; a window that is maximised, was
  // sized by the user or has no room below keeps its size, and the line
  // covers the bottom of the picture instead.
  void setStatusText(const QString& text);
  QString statusText() const;  // the whole text
  void showProgress(double fraction, const QString& text);
  void endProgress();
  bool progressShown() const;
  QWidget* cancelControl() const;
  // The line itself, or null before it was first needed.
  QWidget* statusLine() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Who a resize came from: the window itself, for its status line, or the
  // window system answering late a size the program asked for (the picture
  // stays); the program from outside; the user or the window manager.
  enum class Resize { Own, Program, User };
  Resize resizeSource(const QResizeEvent& event);
  void sendDestroy();
  void fitStatusLine();
  bool mayGrow(int line) const;
  void resizeForLine(int height);
  void placeStatusLine();
  void fitFrame();
  void stopFittingFrame();
  // Tells the window system that the owner's window group owns this one.
  void markOwned();
  void followOwnerState(const QWidget& owner);

  ChildProcedure procedure_;
  bool destroyed_ = false;
  StatusLine* status_ = nullptr;  // made when first needed
  int lineRoom_ = 0;              // rows the window grew by for its status line
  bool ownResize_ = false;        // resizing for the status line right now
  bool userSized_ = false;        // sized by the user or the window manager
  bool minimisedWithOwner_ = false;
  // Sizes the program asked for, with the time it asked: the window system
  // answers each late, and an answer that matches one is not the user's.
  struct Asked {
    QSize size;
    qint64 at;
  };
  std::vector<Asked> asked_;
  QElapsedTimer clock_;
  // The outer rectangle the window opens with, and until when to wait for
  // its frame.
  QRect outerRect_;
  qint64 frameDeadline_ = -1;
  QTimer* frameTimer_ = nullptr;
};

}  // namespace tavex
