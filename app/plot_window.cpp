// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/plot_window.h"

#include <QPointer>
#include <QString>

#include <new>

#include "app/main_window.h"
#include "app/pass_host.h"
#include "app/shell_globals.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "session/plot_status.h"
#include "session/plot_tools.h"
#include "session/state.h"

namespace tavex {

namespace {

// What the last draw pass in a plot window produced.
QPointer<ChildWindow> passWindow;
PassResult windowPass;

}  // namespace

void openPlotWindow(ChildWindow* window) {
  plotWindow = window;
  discardCurrentFrame();
  // Without a frame the window stays open and ignores the mouse.
  currentFrame = new (std::nothrow) GraphFrame(plotWindow);
}

bool livePlotShown() { return plotWindow != nullptr && servesPlot(*plotWindow); }

bool servesPlot(const ChildWindow& window) {
  return &window == plotWindow && currentFrame != nullptr &&
         currentFrame->window == static_cast<const DeviceWindow*>(&window);
}

void discardCurrentFrame() {
  if (currentFrame == nullptr) return;
  finishOutput(*currentFrame);
  probeEnabled = 0;
  delete currentFrame;
  currentFrame = nullptr;
}

PlotContext shellPlotContext() {
  PlotContext context = programContext();
  context.mouseX = lastMouseX;
  context.mouseY = lastMouseY;
  context.probeEnabled = probeEnabled;
  return context;
}

void passEnded(const PassResult& result, ChildWindow* window, int sizeMessagesBefore) {
  // A window sized while the pass ran may have lost its picture: the probe
  // stays off until the next click.
  const bool sized = sizeMessagesBefore >= 0 && sizeMessagesBefore != sizeMessages;
  probeEnabled = sized ? 0 : result.probeEnabled;
  keepPass(result);
  if (mainWindow != nullptr) mainWindow->showPass(result);
  if (window != nullptr && result.ran && result.report.drawPass)
    window->setStatusText(QString::fromLatin1(plotStatusLine(result).c_str()));
}

void runWindowPass(ChildWindow& window, int probe, const std::string& note) {
  const int sizesBefore = sizeMessages;
  DesktopProgress progress(&window, mainWindow);
  const PassResult result = runPass(shellPlotContext(), *currentFrame, probe, kToWindow, &progress);
  passEnded(result, &window, sizesBefore);
  if (probe != kDrawPass) return;
  passWindow = &window;
  windowPass = result;
  if (!note.empty())
    window.setStatusText(QString::fromLatin1(notedLine(note, plotStatusLine(result)).c_str()));
}

const PassResult& livePlotPass() {
  static const PassResult none{};
  return passWindow != nullptr && passWindow == plotWindow ? windowPass : none;
}

}  // namespace tavex
