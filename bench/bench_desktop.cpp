// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse probe as the desktop program runs it: a mouse move reaching the
// live plot window (procedure, probe pass, panel), with and without the
// repaint that shows it, against the three evaluations alone and a click's
// whole draw pass.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>

#include <cstdlib>
#include <memory>

#include "app/commands.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "expr/engine.h"
#include "expr/function_evaluator.h"
#include "platform/child_window.h"
#include "plot/plot.h"

namespace {

using namespace tavex;

// A main window with one plot window of size 640 x 420, drawn once.
struct Desktop {
  Desktop() {
    initFunctionData();
    initGraphData();
    main = makeMainWindow();
    main->show();
    screenCommand();
    plotWindow->resize(640, 420);
    QApplication::processEvents();
    press(plotWindow, {320, 200});
  }
  ~Desktop() { main.reset(); }

  static void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(at), QPointF(w->mapToGlobal(at)), button,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
  }
  static void press(QWidget* w, QPoint at) {
    send(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton);
  }

  std::unique_ptr<MainWindow> main;
};

// Pointer positions across the graph panel.
int nextX(int x) { return x < 380 ? x + 1 : 64; }

void BM_ProbeEvaluationsOnly(benchmark::State& state) {
  initFunctionData();
  ExpressionEngine engine;
  FunctionEvaluator evaluator(functionData, engine);
  double x = 0.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(probeReadings(evaluator, x));
    x = x < 4.5 ? x + 0.01 : 0.5;
  }
}
BENCHMARK(BM_ProbeEvaluationsOnly)->Unit(benchmark::kMicrosecond);

void BM_ProbeMouseMove(benchmark::State& state) {
  Desktop desktop;
  int x = 64;
  for (auto _ : state) {
    Desktop::send(plotWindow, QEvent::MouseMove, {x, 200}, Qt::NoButton);
    x = nextX(x);
  }
  if (probeEnabled != 1) state.SkipWithError("the probe was not live");
}
BENCHMARK(BM_ProbeMouseMove)->Unit(benchmark::kMicrosecond);

void BM_ProbeMouseMoveAndRepaint(benchmark::State& state) {
  Desktop desktop;
  int x = 64;
  for (auto _ : state) {
    Desktop::send(plotWindow, QEvent::MouseMove, {x, 200}, Qt::NoButton);
    plotWindow->repaint();
    x = nextX(x);
  }
}
BENCHMARK(BM_ProbeMouseMoveAndRepaint)->Unit(benchmark::kMicrosecond);

void BM_ClickDrawPass(benchmark::State& state) {
  Desktop desktop;
  for (auto _ : state) Desktop::press(plotWindow, {320, 200});
}
BENCHMARK(BM_ClickDrawPass)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
