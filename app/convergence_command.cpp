// SPDX-License-Identifier: GPL-3.0-or-later
// "&Convergence": the convergence study window.
#include "app/convergence_command.h"

#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include "app/child_procedure.h"
#include "app/main_window.h"
#include "app/pass_host.h"
#include "app/plot_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "platform/child_window.h"
#include "plot/convergence.h"
#include "session/plot_tools.h"
#include "plot/tolerance.h"
#include "session/pass_runner.h"
#include "ui/convergence_view.h"
#include "ui/tolerance_panel.h"

namespace tavex {

namespace {

// Room for the table and the plot side by side.
const QSize kWindowSize(1160, 680);

QPointer<ChildWindow> window;
QPointer<ConvergenceView> view;
bool computing = false;
bool recomputeWaiting = false;

void fitView() {
  if (!window || !view) return;
  view->setGeometry(QRect(QPoint(0, 0), window->clientSize()));
  view->lower();  // under the status line
}

// Keeps the view on the window's client area once a resize is done, and
// keeps the window open while its table is computed: closing cancels the
// computation first and closes the window after it.
class WindowWatch : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && view) QTimer::singleShot(0, view, fitView);
    if (event->type() == QEvent::Close &&
        closeAfterPass(static_cast<QWidget*>(watched), computing)) {
      event->ignore();
      return true;
    }
    return false;
  }
};

void openWindow() {
  window = openChildWindow("convergence", mainWindow);
  // As large as it wants, as far as the screen has room.
  QSize size = kWindowSize;
  if (const QScreen* screen = window->screen()) {
    const QRect room = screen->availableGeometry();
    size = size.boundedTo(QSize(room.right() - window->x(), room.bottom() - window->y()) -
                          QSize(16, 40));
  }
  window->resize(size.expandedTo(QSize(480, 320)));
  view = new ConvergenceView(window);
  view->onRecompute = [] {
    if (recomputeWaiting) return;
    recomputeWaiting = true;
    whenNoPass(recomputeConvergence);
  };
  view->tolerance->onFind = [] { whenNoPass(findStepsForTolerance); };
  window->installEventFilter(new WindowWatch(window));
  fitView();
  view->show();
}

}  // namespace

ChildWindow* convergenceWindow() { return window && !window->destroyed() ? window.data() : nullptr; }

ConvergenceView* convergenceView() { return convergenceWindow() != nullptr ? view.data() : nullptr; }

void findStepsForTolerance() {
  if (convergenceView() == nullptr || passRunning()) return;
  TolerancePanel& panel = *view->tolerance;
  double tolerance = 0.0;
  std::string problem;
  if (!panel.tolerance(tolerance, problem)) {
    panel.say(QString::fromStdString(problem));
    return;
  }
  ToleranceStudy study(functionData, graphData, tolerance);
  computing = true;
  panel.showStudy(study, true);
  DesktopProgress progress(window, mainWindow);
  auto work = [&study](const PlotContext& c) {
    study.run(c.engine, c.monitor);
    PassResult result;
    result.ran = true;
    result.cancelled = study.cancelled();
    return result;
  };
  const PassResult pass = runMonitored(shellPlotContext(), &progress, work);
  computing = false;
  if (!view) return;
  panel.showStudy(study, false);
  view->showBounds();
  if (pass.cancelled) panel.say(QStringLiteral("Cancelled: the n shown are those found before"));
}

void recomputeConvergence() {
  recomputeWaiting = false;
  if (convergenceView() == nullptr || passRunning()) return;
  // The records may have changed: the bounds of the last tolerance go.
  view->tolerance->clear();
  ConvergenceStudy study(functionData, graphData, view->limit());
  computing = true;
  view->showStudy(study, true);
  DesktopProgress progress(window, mainWindow);
  const std::string summary = runConvergenceStudy(study, shellPlotContext(), &progress, [&] {
    if (view) view->showStudy(study, true);
  });
  computing = false;
  if (view) view->showStudy(study, false);
  if (window) window->setStatusText(QString::fromStdString(summary));
}

int convergenceCommand() {
  if (convergenceWindow() != nullptr) {
    window->raise();
    window->activateWindow();
  } else {
    openWindow();
  }
  view->onRecompute();
  return 0;
}

}  // namespace tavex
