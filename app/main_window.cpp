#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "app/commands.h"
#include "app/pass_runner.h"
#include "session/pass_report.h"
#include "app/shell_globals.h"
#include "platform/child_window.h"
#include "platform/image_window.h"

namespace tavex {

namespace {
constexpr char kCommandProperty[] = "tavexCommand";
}

MainWindow::MainWindow() : dialogs_(this) {
  setWindowTitle("tavex");
  setWindowIcon(QIcon(QStringLiteral(":/tavex.svg")));

  // The menu bar in its fixed order: two commands on the bar itself around
  // the two pop-ups.
  QMenuBar* bar = menuBar();
  addCommand(bar, "E&xit", kExitCommand);
  QMenu* data = bar->addMenu("&Data");
  addCommand(data, "&Fdata", kFdataCommand);
  addCommand(data, "&Gdata", kGdataCommand);
  QMenu* plotMenu = bar->addMenu("&Plot");
  addCommand(plotMenu, "&Screen", kScreenCommand);
  addCommand(plotMenu, "&Print", kPrintCommand);
  // The teaching tools, after the items above.
  addCommand(plotMenu, "&Convergence", kConvergenceCommand);
  addCommand(plotMenu, "&Fit Graph", kFitGraphCommand);
  QAction* save = addCommand(plotMenu, "Save &Picture...", kSavePictureCommand);
  QAction* copyPicture = addCommand(plotMenu, "Copy &Picture", kCopyPictureCommand);
  QAction* copyReadouts = addCommand(plotMenu, "Copy &Readouts", kCopyReadoutsCommand);
  // Saving and copying need a live plot window.
  connect(plotMenu, &QMenu::aboutToShow, this, [save, copyPicture, copyReadouts] {
    const bool live = livePlotShown();
    for (QAction* a : {save, copyPicture, copyReadouts}) a->setEnabled(live);
  });
  addCommand(bar, "&Help", kHelpCommand);

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
}

MainWindow::~MainWindow() {
  destroyOwnedWindows();
  if (mainWindow == this) mainWindow = nullptr;
  if (dialogs == &dialogs_) dialogs = nullptr;
}

QAction* MainWindow::addCommand(QWidget* menu, const char* text, int id) {
  auto* action = new QAction(QString::fromLatin1(text), menu);
  action->setProperty(kCommandProperty, id);
  connect(action, &QAction::triggered, this, [id] { mainWindowCommand(id); });
  menu->addAction(action);
  return action;
}

QAction* MainWindow::commandAction(int id) const {
  for (QAction* action : findChildren<QAction*>())
    if (action->property(kCommandProperty).isValid() &&
        action->property(kCommandProperty).toInt() == id)
      return action;
  return nullptr;
}

void MainWindow::showPass(const PassResult& result) {
  if (!result.ran) return;
  if (!result.report.drawPass) {
    lastProbePass_ = result;
    return;
  }
  lastDrawPass_ = result;
  status_->setText(QString::fromLatin1(passReportText(result.report).c_str()));
}

QString MainWindow::statusText() const { return status_->text(); }

void MainWindow::destroyOwnedWindows() {
  // Owned windows go first, each through its own destroy handling.
  for (ChildWindow* child : findChildren<ChildWindow*>(Qt::FindDirectChildrenOnly))
    child->destroyWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (passRunning()) {
    // The running pass is cancelled first; the window closes once it has ended.
    event->ignore();
    whenNoPass([this] { close(); });
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
