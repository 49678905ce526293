// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the menu bar over an empty white client area, and a status
// bar that tells after each draw pass whether f could be evaluated everywhere.
#pragma once

#include <QMainWindow>

#include "platform/qt_dialogs.h"
#include "plot/plot.h"

class QAction;
class QLabel;

namespace tavex {

class ImageWindow;

class MainWindow : public QMainWindow {
 public:
  // Makes the window, sets the mainWindow and dialogs globals.
  MainWindow();
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // The client area, the device of a print frame.
  ImageWindow* clientArea() const { return client_; }
  // The menu item of a command identifier, or null; tagCommand marks an
  // item with its identifier.
  QAction* commandAction(int id) const;
  static void tagCommand(QAction* action, int id);

  // After a draw pass the status bar tells whether f could be evaluated
  // everywhere.
  void showPass(const PassResult& result);
  QString statusText() const;
  // The last draw pass and the last probe pass that ran (kept by the
  // session, session/state.h).
  const PassResult& lastDrawPass() const;
  const PassResult& lastProbePass() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void destroyOwnedWindows();

  ImageWindow* client_ = nullptr;
  QLabel* status_ = nullptr;
  QtDialogs dialogs_;
  bool destroyed_ = false;
};

}  // namespace tavex
