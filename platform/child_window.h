// The one kind of window the menu commands open: the data boxes and the plot
// windows. Each is a top-level window owned by the main window (it stays
// above it and goes with it; on X11 it is transient for it), with a backing
// image as its client area. Every window of this kind hands its events
// (destroy, size, a control's notification, mouse move, left button press,
// key press) to one shared function, the child procedure, which decides by
// the window what they mean.
#pragma once

#include <QString>

#include "platform/image_window.h"

namespace tavex {

class ChildWindow;

enum class ChildMessage {
  Close,           // the user asks to close the window; a nonzero answer keeps it open
  Destroy,         // the window is going; sent once
  Size,            // the client area was sized
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

  // Shows the window with its outer rectangle at rect (frame included, as far
  // as the window system tells the frame's size).
  void showWithOuterRect(const QRect& rect);

  // Sends Destroy now and deletes the window when control returns to the
  // event loop. Safe to call more than once.
  void destroyWindow();
  bool destroyed() const { return destroyed_; }

  // The status line below the client area: a text of its own, shown while
  // it is not empty, and the progress of a long pass with a Cancel button.
  // The window grows by the line's height while it shows, so that the
  // client area and its picture keep their size.
  void setStatusText(const QString& text);
  QString statusText() const;
  void showProgress(double fraction, const QString& text);
  void endProgress();
  bool progressShown() const;
  QWidget* cancelControl() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void sendDestroy();
  void fitStatusLine();
  // Tells the window system that the owner's window owns this one.
  void markOwned();

  ChildProcedure procedure_;
  bool destroyed_ = false;
  StatusLine* status_ = nullptr;  // made when first needed
};

}  // namespace tavex
