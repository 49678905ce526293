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
  // The menu item of a command identifier, or null.
  QAction* commandAction(int id) const;

  // Keeps what a pass produced; after a draw pass the status bar tells
  // whether f could be evaluated everywhere.
  void showPass(const PassResult& result);
  QString statusText() const;
  // The last draw pass and the last probe pass that ran.
  const PassResult& lastDrawPass() const { return lastDrawPass_; }
  const PassResult& lastProbePass() const { return lastProbePass_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* addCommand(QWidget* menu, const char* text, int id);
  void destroyOwnedWindows();

  ImageWindow* client_ = nullptr;
  QLabel* status_ = nullptr;
  QtDialogs dialogs_;
  PassResult lastDrawPass_;
  PassResult lastProbePass_;
  bool destroyed_ = false;
};

}  // namespace tavex
