// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of the pass runner (session/pass_runner.h): Qt's event
// loop gets its turn while a pass runs, and a pass shows its progress in its
// plot window's status line or, for printing, in a progress box.
#pragma once

#include <QPointer>

#include <memory>

#include "platform/child_window.h"
#include "session/pass_runner.h"

class QProgressDialog;

namespace tavex {

// Makes Qt's event loop the pass runner's host (done by the main window).
void installPassHost();
void removePassHost();

// Closing widget while a pass runs that it is involved in (the pass draws
// into it, or computes what it shows) cancels the pass and closes widget once
// the pass has ended. True when the close was put off that way.
bool closeAfterPass(QWidget* widget, bool involved);

// Progress in a window's status line, with Cancel and Esc; with no window
// (or once it has gone), in a progress box over boxParent.
class DesktopProgress : public ProgressView {
 public:
  DesktopProgress(ChildWindow* window, QWidget* boxParent);
  ~DesktopProgress() override;
  void showProgress(double fraction, const std::string& text) override;
  void showPictureSoFar() override;
  void endProgress() override;

 private:
  QPointer<ChildWindow> window_;
  QPointer<QWidget> parent_;
  std::unique_ptr<QProgressDialog> box_;
};

}  // namespace tavex
