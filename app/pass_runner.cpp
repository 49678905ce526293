#include "app/pass_runner.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/main_window.h"
#include "app/shell_globals.h"
#include "platform/child_window.h"

namespace tavex {

namespace {

using Clock = std::chrono::steady_clock;

// With TAVEX_TRACE_PASSES set, what passes do and when, on standard error,
// in seconds of the monotonic clock (for measuring how fast the program
// answers while a pass runs).
void trace(const char* what, long long made = -1) {
  static const bool on = qEnvironmentVariableIsSet("TAVEX_TRACE_PASSES");
  if (!on) return;
  const double t = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  if (made >= 0) std::fprintf(stderr, "tavex: pass %.6f %s %lld\n", t, what, made);
  else std::fprintf(stderr, "tavex: pass %.6f %s\n", t, what);
}
constexpr auto kEventTurn =
    std::chrono::milliseconds(25);  // the event loop's turn comes this often
constexpr auto kShowAfter = std::chrono::milliseconds(300);

// The monitor of the running pass.
class Runner : public PassMonitor {
 public:
  explicit Runner(ChildWindow* window) : window_(window), start_(Clock::now()) {
    nextTurn_ = start_ + kEventTurn;
  }
  ~Runner() override {
    if (window_) window_->endProgress();
  }

  void progress(long long made, long long expected) override {
    if (cancelled) throw PassCancelled{};
    const Clock::time_point now = Clock::now();
    if (now < nextTurn_) return;
    nextTurn_ = now + kEventTurn;
    if (now - start_ >= kShowAfter) show(made, expected);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (cancelled) {
      trace("stops", made);
      throw PassCancelled{};
    }
  }

  bool cancelled = false;

 private:
  void show(long long made, long long expected) {
    if (!shown_) trace("shows progress", made);
    shown_ = true;
    const double fraction = expected > 0 ? static_cast<double>(made) / expected : 0.0;
    const QString text = QStringLiteral("%1% of %2 evaluations of f")
                             .arg(static_cast<int>(fraction * 100))
                             .arg(expected);
    if (window_) {
      window_->showProgress(fraction, text);
      window_->update();  // the picture so far
      return;
    }
    if (!box_) {
      box_ = std::make_unique<QProgressDialog>(text, QStringLiteral("Cancel"), 0, 1000,
                                               mainWindow);
      box_->setWindowTitle(QStringLiteral("tavex"));
      box_->setMinimumDuration(0);
      box_->setAutoClose(false);
      box_->setAutoReset(false);
      QObject::connect(box_.get(), &QProgressDialog::canceled, [] { cancelPass(); });
      box_->show();
    }
    box_->setLabelText(text);
    box_->setValue(static_cast<int>(fraction * 1000));
  }

  QPointer<ChildWindow> window_;
  std::unique_ptr<QProgressDialog> box_;
  Clock::time_point start_;
  Clock::time_point nextTurn_;
  bool shown_ = false;
};

Runner* running = nullptr;
std::vector<std::function<void()>> afterPass;

void runDeferred() {
  // Each action may start a pass of its own; the rest then wait for it.
  while (!afterPass.empty() && running == nullptr) {
    const std::function<void()> action = afterPass.front();
    afterPass.erase(afterPass.begin());
    trace("runs what waited for it");
    action();
  }
}

}  // namespace

bool passRunning() { return running != nullptr; }

PassResult runMonitored(PlotContext context, ChildWindow* window,
                        const std::function<PassResult(const PlotContext&)>& work) {
  Runner runner(window);
  context.monitor = &runner;
  running = &runner;
  trace("starts");
  PassResult result;
  try {
    result = work(context);
  } catch (...) {
    running = nullptr;
    throw;
  }
  running = nullptr;
  trace(result.cancelled ? "ended cancelled" : "ended");
  if (!afterPass.empty()) QTimer::singleShot(0, [] { runDeferred(); });
  return result;
}

PassResult runPass(PlotContext context, GraphFrame& frame, int probe, int toPrinter,
                   ChildWindow* window) {
  return runMonitored(context, window, [&frame, probe, toPrinter](const PlotContext& c) {
    return plot(c, frame, probe, toPrinter);
  });
}

void cancelPass() {
  if (running == nullptr) return;
  trace("cancel asked");
  running->cancelled = true;
}

void whenNoPass(const std::function<void()>& action) {
  if (running == nullptr) {
    action();
    return;
  }
  cancelPass();
  afterPass.push_back(action);
}

void resetPassRunner() {
  running = nullptr;
  afterPass.clear();
}

}  // namespace tavex
