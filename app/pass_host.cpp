// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pass_host.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

namespace tavex {

namespace {

class QtPassHost : public PassHost {
 public:
  void giveEventLoopTurn() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }
  void runSoon(std::function<void()> action) override {
    QTimer::singleShot(0, std::move(action));
  }
};

QtPassHost qtHost;

}  // namespace

void installPassHost() { setPassHost(&qtHost); }
void removePassHost() { setPassHost(nullptr); }

bool closeAfterPass(QWidget* widget, bool involved) {
  if (!involved || !passRunning()) return false;
  QPointer<QWidget> closing(widget);
  whenNoPass([closing] {
    if (closing) closing->close();
  });
  return true;
}

DesktopProgress::DesktopProgress(ChildWindow* window, QWidget* boxParent)
    : window_(window), parent_(boxParent) {}

DesktopProgress::~DesktopProgress() { endProgress(); }

void DesktopProgress::showProgress(double fraction, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (window_) {
    window_->showProgress(fraction, shown);
    return;
  }
  if (!box_) {
    box_ = std::make_unique<QProgressDialog>(shown, QStringLiteral("Cancel"), 0, 1000,
                                             parent_.data());
    box_->setWindowTitle(QStringLiteral("tavex"));
    box_->setMinimumDuration(0);
    box_->setAutoClose(false);
    box_->setAutoReset(false);
    QObject::connect(box_.get(), &QProgressDialog::canceled, [] { cancelPass(); });
    box_->show();
  }
  box_->setLabelText(shown);
  box_->setValue(static_cast<int>(fraction * 1000));
}

void DesktopProgress::showPictureSoFar() {
  if (window_) window_->update();
}

void DesktopProgress::endProgress() {
  if (window_) window_->endProgress();
  box_.reset();
}

}  // namespace tavex
