// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>

#include "app/pass_host.h"
#include "app/shell_globals.h"
#include "platform/child_window.h"
#include "platform/image_window.h"
#include "ui/data_box.h"
#include "session/pass_report.h"
#include "session/plot_tools.h"
#include "session/state.h"

namespace tavex {

namespace {
constexpr char kCommandProperty[] = "tavexCommand";
}

MainWindow::MainWindow() : dialogs_(this) {
  setWindowTitle("tavex");
  setWindowIcon(QIcon(QStringLiteral(":/tavex.svg")));

  client_ = new ImageWindow(this);
  setCentralWidget(client_);

  // A widget of its own, so that menu status tips do not wipe the report.
  status_ = new QLabel(this);
  statusBar()->addWidget(status_, 1);
  statusBar()->setSizeGripEnabled(false);

  // The system leaves position to the window manager; the default size is
  // three quarters of the screen, as a default-sized overlapped window gets.
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize available = screen->availableGeometry().size();
    resize(available.width() * 3 / 4, available.height() * 3 / 4);
  }

  mainWindow = this;
  dialogs = &dialogs_;
  installPassHost();
  // Entries the program writes show at once in an open data box.
  setEntryListener([](const DataEntry* record, int entry) {
    DataBox* box = record == functionData ? fdataBox : record == graphData ? gdataBox : nullptr;
    if (box != nullptr) box->refreshRow(entry);
  });
}

MainWindow::~MainWindow() {
  destroyOwnedWindows();
  setEntryListener(nullptr);
  if (mainWindow == this) mainWindow = nullptr;
  if (dialogs == &dialogs_) dialogs = nullptr;
}

void MainWindow::tagCommand(QAction* action, int id) { action->setProperty(kCommandProperty, id); }

QAction* MainWindow::commandAction(int id) const {
  for (QAction* action : findChildren<QAction*>())
    if (action->property(kCommandProperty).isValid() &&
        action->property(kCommandProperty).toInt() == id)
      return action;
  return nullptr;
}

void MainWindow::showPass(const PassResult& result) {
  if (!result.ran || !result.report.drawPass) return;
  status_->setText(QString::fromLatin1(passReportText(result.report).c_str()));
}

QString MainWindow::statusText() const { return status_->text(); }

const PassResult& MainWindow::lastDrawPass() const { return tavex::lastDrawPass(); }
const PassResult& MainWindow::lastProbePass() const { return tavex::lastProbePass(); }

void MainWindow::destroyOwnedWindows() {
  // Owned windows go first, each through its own destroy handling.
  for (ChildWindow* child : findChildren<ChildWindow*>(Qt::FindDirectChildrenOnly))
    child->destroyWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The running pass is cancelled first; the window closes once it has ended.
  if (closeAfterPass(this, true)) {
    event->ignore();
    return;
  }
  event->accept();
  if (destroyed_) return;
  destroyed_ = true;
  destroyOwnedWindows();
  // The main window's end ends the program with exit code 0.
  QCoreApplication::exit(0);
}

}  // namespace tavex
