// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/child_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <functional>

#if defined(TAVEX_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define TAVEX_MARK_TRANSIENT 1
#endif

namespace tavex {

namespace {

// How long the window system may take to answer a resize, and to frame a
// new window.
constexpr qint64 kAnswerWaitMs = 3000;
constexpr qint64 kFrameWaitMs = 2000;
constexpr int kFramePollMs = 10;

// A label that shows as much of its text as fits, ending in "…" when it
// is cut; its width is the layout's, not the text's.
class ElidingLabel : public QLabel {
 public:
  explicit ElidingLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  }
  void setWholeText(const QString& text) {
    whole_ = text;
    refit();
  }
  const QString& wholeText() const { return whole_; }
  bool cut() const { return text() != whole_; }
  std::function<void()> onRefit;

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QLabel::resizeEvent(event);
    refit();
  }

 private:
  void refit() {
    const QString shown =
        fontMetrics().elidedText(whole_, Qt::ElideRight, std::max(0, contentsRect().width()));
    if (shown != text()) setText(shown);
    if (onRefit) onRefit();
  }
  QString whole_;
};

}  // namespace

// The line along the bottom of a child window.
class StatusLine : public QWidget {
 public:
  explicit StatusLine(ChildWindow* window) : QWidget(window) {
    setAutoFillBackground(true);  // the window paints only its client area
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 1, 4, 1);
    layout->setSpacing(6);
    text_ = new ElidingLabel(this);
    text_->setFont(QFont());  // the general font, not the window's bold one
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The whole text, when the line shows only its beginning.
    text_->onRefit = [this] { setToolTip(text_->cut() ? text_->wholeText() : QString()); };
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(120);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setFont(QFont());
    cancel_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(progress_);
    layout->addWidget(text_, 1);
    layout->addWidget(cancel_);
    progress_->hide();
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, window,
            [window, this] { window->notify(cancel_, kCancelRequested); });
    hide();
  }
  QString own;  // the window's own text
  bool running = false;
  ElidingLabel* text_;
  QProgressBar* progress_;
  QPushButton* cancel_;
  bool wanted() const { return running || !own.isEmpty(); }
};

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
  clock_.start();
  // Minimised and restored with the owner's window.
  if (owner != nullptr) owner->window()->installEventFilter(this);
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
  markOwned();
  // The frame's size is known once the window system has framed the window.
  outerRect_ = rect;
  frameDeadline_ = clock_.elapsed() + kFrameWaitMs;
  fitFrame();
  if (frameDeadline_ < 0 || QGuiApplication::platformName() != QLatin1String("xcb")) return;
  frameTimer_ = new QTimer(this);
  connect(frameTimer_, &QTimer::timeout, this, &ChildWindow::fitFrame);
  frameTimer_->start(kFramePollMs);
}

// Moves and sizes the window so that its frame lies on the outer rectangle,
// once the frame is known, unless the window was moved, sized or used since.
void ChildWindow::fitFrame() {
  if (frameDeadline_ < 0) return;
  if (clock_.elapsed() > frameDeadline_ || geometry().topLeft() != outerRect_.topLeft()) {
    stopFittingFrame();
    return;
  }
  const QWindow* handle = windowHandle();
  const QMargins m = handle != nullptr ? handle->frameMargins() : QMargins();
  if (m.isNull()) return;
  // A window sized meanwhile (a larger window made from this one) keeps its size.
  QSize size = this->size();
  if (size == outerRect_.size())
    size = QSize(outerRect_.width() - m.left() - m.right(),
                 outerRect_.height() - m.top() - m.bottom());
  stopFittingFrame();
  setGeometry(QRect(outerRect_.topLeft() + QPoint(m.left(), m.top()), size));
}

void ChildWindow::stopFittingFrame() {
  frameDeadline_ = -1;
  if (frameTimer_ != nullptr) frameTimer_->deleteLater();
  frameTimer_ = nullptr;
}

void ChildWindow::markOwned() {
#ifdef TAVEX_MARK_TRANSIENT
  // X11 window managers keep a window above another that it is transient for,
  // but most minimise such a window's owner, and with it every other window
  // transient for the owner, when the window is minimised. A window
  // transient for its group (the root window as WM_TRANSIENT_FOR: Qt puts all
  // of a program's windows in one group) stays above the group's other
  // windows, the main window among them, and is minimised alone. Qt deletes
  // the property on each show of a window of this kind: set it once shown.
  if (parentWidget() == nullptr) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 != nullptr && x11->connection() != nullptr &&
      QGuiApplication::platformName() == QLatin1String("xcb")) {
    xcb_connection_t* connection = x11->connection();
    const auto child = static_cast<xcb_window_t>(winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, child, XCB_ATOM_WM_TRANSIENT_FOR,
                        XCB_ATOM_WINDOW, 32, 1, &root);
    xcb_flush(connection);
  }
#endif
}

bool ChildWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && watched->isWidgetType())
    followOwnerState(*static_cast<QWidget*>(watched));
  return false;
}

// Minimised with the owner's window, and restored with it when it went with it.
void ChildWindow::followOwnerState(const QWidget& owner) {
  if (destroyed_ || !isVisible()) return;
  if (owner.isMinimized()) {
    if (isMinimized()) return;
    minimisedWithOwner_ = true;
    setWindowState(windowState() | Qt::WindowMinimized);
  } else if (minimisedWithOwner_) {
    minimisedWithOwner_ = false;
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
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
  // The procedure may keep the window open for now (a pass still draws into it).
  ChildEvent close;
  close.message = ChildMessage::Close;
  if (send(close) != 0) {
    event->ignore();
    return;
  }
  // Closing destroys the window, as the default handling of a close does.
  event->accept();
  destroyWindow();
}

void ChildWindow::keyPressEvent(QKeyEvent* event) {
  stopFittingFrame();  // in use: it stays where it is
  if (event->key() == Qt::Key_Escape && status_ != nullptr && status_->running) {
    notify(status_->cancel_, kCancelRequested);
    return;
  }
  ChildEvent key;
  key.message = ChildMessage::Key;
  key.key = event->key();
  key.modifiers = static_cast<int>(event->modifiers());
  if (send(key) != 0) {
    event->accept();
    return;
  }
  ImageWindow::keyPressEvent(event);
}

// A resize the program asks for arrives at once; the window system answers
// it later with a resize of its own, which may come after the program has
// asked for another size (the status line going and coming at once). Only
// a resize that answers no request is the user's (or the window manager's).
ChildWindow::Resize ChildWindow::resizeSource(const QResizeEvent& event) {
  const qint64 now = clock_.elapsed();
  std::erase_if(asked_, [now](const Asked& a) { return now - a.at > kAnswerWaitMs; });
  if (!event.spontaneous()) {
    asked_.push_back({event.size(), now});
    return ownResize_ ? Resize::Own : Resize::Program;
  }
  const auto answered = std::find_if(asked_.begin(), asked_.end(),
                                     [&](const Asked& a) { return a.size == event.size(); });
  if (answered != asked_.end()) {
    asked_.erase(asked_.begin(), answered + 1);
    return Resize::Own;
  }
  asked_.clear();
  return Resize::User;
}

void ChildWindow::resizeEvent(QResizeEvent* event) {
  // Not ImageWindow's: the client area follows the rules below.
  QWidget::resizeEvent(event);
  bool resized = false;
  switch (resizeSource(*event)) {
    case Resize::Own:  // the picture stays as it is
      break;
    case Resize::Program:
      resized = setClientSize(QSize(width(), height() - lineRoom_));
      break;
    case Resize::User:
      // The user's size is kept from now on: the status line takes its room
      // inside the window.
      userSized_ = true;
      lineRoom_ = 0;
      resized = setClientSize(size());
      break;
  }
  placeStatusLine();
  if (!resized) return;
  ChildEvent sized;
  sized.message = ChildMessage::Size;
  send(sized);
}

// Whether the window may grow by line rows for its status line: it keeps the
// size the program gave it and stays on the screen.
bool ChildWindow::mayGrow(int line) const {
  if (userSized_ || (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen |
                                      Qt::WindowMinimized)) != 0)
    return false;
  const QScreen* screen = this->screen();
  return screen == nullptr ||
         screen->availableGeometry().contains(frameGeometry().adjusted(0, 0, 0, line));
}

void ChildWindow::resizeForLine(int height) {
  ownResize_ = true;
  resize(width(), height);
  ownResize_ = false;
}

// Below the client area when the window grew for the line, else over the
// bottom of the window.
void ChildWindow::placeStatusLine() {
  if (status_ == nullptr) return;
  const int line = status_->sizeHint().height();
  const int top = lineRoom_ > 0 ? clientSize().height() : height() - line;
  status_->setGeometry(0, top, width(), line);
}

// Shows or hides the status line as it has something to show, growing or
// shrinking the window by its height where it may.
void ChildWindow::fitStatusLine() {
  const bool wanted = status_->wanted();
  if (wanted == status_->isVisible()) return;
  if (wanted) {
    const int line = status_->sizeHint().height();
    if (lineRoom_ == 0 && mayGrow(line)) {
      lineRoom_ = line;
      resizeForLine(clientSize().height() + line);
    }
    placeStatusLine();
    status_->show();
    status_->raise();
  } else {
    status_->hide();
    if (lineRoom_ > 0) {
      lineRoom_ = 0;
      resizeForLine(clientSize().height());
    }
  }
}

void ChildWindow::setStatusText(const QString& text) {
  if (status_ == nullptr) {
    if (text.isEmpty()) return;
    status_ = new StatusLine(this);
  }
  status_->own = text;
  if (!status_->running) status_->text_->setWholeText(text);
  fitStatusLine();
}

QString ChildWindow::statusText() const {
  return status_ != nullptr ? status_->text_->wholeText() : QString();
}

void ChildWindow::showProgress(double fraction, const QString& text) {
  if (status_ == nullptr) status_ = new StatusLine(this);
  status_->running = true;
  status_->progress_->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 1000));
  status_->text_->setWholeText(text);
  status_->progress_->show();
  status_->cancel_->show();
  fitStatusLine();
}

void ChildWindow::endProgress() {
  if (status_ == nullptr || !status_->running) return;
  status_->running = false;
  status_->progress_->hide();
  status_->cancel_->hide();
  status_->text_->setWholeText(status_->own);
  fitStatusLine();
}

bool ChildWindow::progressShown() const { return status_ != nullptr && status_->running; }

QWidget* ChildWindow::statusLine() const { return status_; }

QWidget* ChildWindow::cancelControl() const {
  return status_ != nullptr ? status_->cancel_ : nullptr;
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
  stopFittingFrame();  // in use: it stays where it is
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
