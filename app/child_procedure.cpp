// SPDX-License-Identifier: GPL-3.0-or-later
// The shared procedure of the child windows: data box notifications and
// clean-up, and the mouse and the keys on the live plot window.
#include "app/child_procedure.h"

#include <QPointer>
#include <QRect>

#include <cstdint>

#include "app/pass_host.h"
#include "app/plot_keys.h"
#include "app/plot_tools.h"
#include "app/plot_window.h"
#include "app/shell_globals.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "plot/plot.h"
#include "session/pass_runner.h"
#include "ui/data_box.h"

namespace tavex {

namespace {

const QRect kChildOuterRect(30, 50, 200, 200);

void closeBox(DataBox*& box) {
  box->close();
  delete box;
  box = nullptr;
}

// The keys of the live plot window: "+" and "-" double and halve n and
// draw (a pass running meanwhile is cancelled first); U, L, R, M, T and S
// choose the rule; the arrows, Home, End, Z, X and I move the probe.
long plotKey(ChildWindow& window, const ChildEvent& event) {
  if (const int direction = stepsKeyDirection(event.key); direction != 0) {
    changeSteps(window, direction);
    return 1;
  }
  const bool shift = (event.modifiers & Qt::ShiftModifier) != 0;
  const int commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  if ((event.modifiers & commandKeys) != 0) return 0;
  SumRule rule;
  if (ruleOfKey(event.key, rule)) {
    ruleCommand(rule);
    return 1;
  }
  return probeKey(window, event.key, shift) ? 1 : 0;
}

}  // namespace

ChildWindow* openChildWindow(const char* title, QWidget* owner) {
  auto* window = new ChildWindow(&childWindowProcedure, QString::fromLatin1(title), owner);
  window->showWithOuterRect(kChildOuterRect);
  window->raise();
  window->activateWindow();
  return window;
}

long childWindowProcedure(ChildWindow& window, const ChildEvent& event) {
  switch (event.message) {
    case ChildMessage::Close:
      // A pass drawing into this window ends first; the window closes after it.
      return closeAfterPass(&window, currentFrame != nullptr &&
                                         currentFrame->window == static_cast<DeviceWindow*>(&window))
                 ? 1
                 : 0;
    case ChildMessage::Destroy:
      if (&window == fdataWindow && fdataBox != nullptr) closeBox(fdataBox);
      if (&window == gdataWindow && gdataBox != nullptr) closeBox(gdataBox);
      if (servesPlot(window)) discardCurrentFrame();
      return 0;
    case ChildMessage::Size:
      probeEnabled = 0;
      ++sizeMessages;
      return 0;
    case ChildMessage::Command:
      if (event.notification == kCancelRequested) {
        cancelPass();
        return 0;
      }
      if (fdataWindow != nullptr && fdataBox != nullptr &&
          fdataBox->notify(event.control, event.notification))
        return 0;
      if (gdataWindow != nullptr && gdataBox != nullptr)
        gdataBox->notify(event.control, event.notification);
      return 0;
    case ChildMessage::MouseMove:
      // The low and high 16 bits of the position, taken as unsigned.
      lastMouseX = static_cast<std::uint16_t>(event.x);
      lastMouseY = static_cast<std::uint16_t>(event.y);
      // While a pass runs, the pointer only moves: no probe enters the engine.
      if (servesPlot(window) && !passRunning()) runWindowPass(window, kProbePass);
      return 0;
    case ChildMessage::LeftButtonDown:
      if (servesPlot(window) && !passRunning()) runWindowPass(window, kDrawPass);
      return 0;
    case ChildMessage::Key:
      return servesPlot(window) ? plotKey(window, event) : 0;
  }
  return 0;
}

}  // namespace tavex
