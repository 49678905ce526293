// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/pass_runner.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

namespace tavex {

namespace {

using Clock = std::chrono::steady_clock;

// With TAVEX_TRACE_PASSES set, what passes do and when, on standard error,
// in seconds of the monotonic clock (for measuring how fast the program
// answers while a pass runs).
void trace(const char* what, long long made = -1) {
  static const bool on = std::getenv("TAVEX_TRACE_PASSES") != nullptr;
  if (!on) return;
  const double t = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  if (made >= 0) std::fprintf(stderr, "tavex: pass %.6f %s %lld\n", t, what, made);
  else std::fprintf(stderr, "tavex: pass %.6f %s\n", t, what);
}

constexpr auto kEventTurn = std::chrono::milliseconds(25);  // the event loop's turn
constexpr auto kShowAfter = std::chrono::milliseconds(300);

PassHost* host = nullptr;

// The monitor of the running pass. Its clock starts at the pass's first
// report, so that questions asked before the pass (printing) do not count.
class Runner : public PassMonitor {
 public:
  explicit Runner(ProgressView* view) : view_(view) {}
  ~Runner() override { passEnded(); }

  void progress(long long made, long long expected) override {
    if (cancelled) throw PassCancelled{};
    const Clock::time_point now = Clock::now();
    if (!started_) {
      started_ = true;
      start_ = now;
      nextTurn_ = now + kEventTurn;
    }
    if (now < nextTurn_) return;
    nextTurn_ = now + kEventTurn;
    if (now - start_ >= kShowAfter) show(made, expected);
    if (host != nullptr) host->giveEventLoopTurn();
    if (cancelled) {
      trace("stops", made);
      throw PassCancelled{};
    }
  }

  void passEnded() override {
    if (shown_ && view_ != nullptr) view_->endProgress();
    shown_ = false;
  }

  bool cancelled = false;

 private:
  void show(long long made, long long expected) {
    if (view_ == nullptr) return;
    if (!shown_) trace("shows progress", made);
    shown_ = true;
    const double fraction = expected > 0 ? static_cast<double>(made) / expected : 0.0;
    view_->showProgress(fraction, std::to_string(static_cast<int>(fraction * 100)) + "% of " +
                                      std::to_string(expected) + " evaluations of f");
    view_->showPictureSoFar();
  }

  ProgressView* view_;
  Clock::time_point start_;
  Clock::time_point nextTurn_;
  bool started_ = false;
  bool shown_ = false;
};

Runner* running = nullptr;
std::deque<std::function<void()>> afterPass;

void runDeferred() {
  // Each action may start a pass of its own; the rest then wait for it.
  while (!afterPass.empty() && running == nullptr) {
    const std::function<void()> action = std::move(afterPass.front());
    afterPass.pop_front();
    trace("runs what waited for it");
    action();
  }
}

}  // namespace

void setPassHost(PassHost* passHost) { host = passHost; }

bool passRunning() { return running != nullptr; }

PassResult runMonitored(PlotContext context, ProgressView* view,
                        const std::function<PassResult(const PlotContext&)>& work) {
  Runner runner(view);
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
  if (!afterPass.empty()) {
    if (host != nullptr) host->runSoon(runDeferred);
    else runDeferred();
  }
  return result;
}

PassResult runPass(PlotContext context, GraphFrame& frame, int probe, int toPrinter,
                   ProgressView* view) {
  return runMonitored(context, view, [&frame, probe, toPrinter](const PlotContext& c) {
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
