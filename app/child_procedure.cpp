// The shared procedure of the child windows: data box notifications and
// clean-up, and the mouse and the keys on the live plot window.
#include <QPointer>

#include <cstdint>

#include "app/commands.h"
#include "app/pass_runner.h"
#include "app/plot_tools.h"
#include "app/shell_globals.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "plot/plot.h"
#include "ui/data_box.h"

namespace tavex {

namespace {

// The window is the live plot window and the current frame draws into it
// (not into the main window, as a print frame does).
bool servesPlot(ChildWindow& window) {
  return &window == plotWindow && currentFrame != nullptr &&
         currentFrame->window == static_cast<DeviceWindow*>(&window);
}

void closeBox(DataBox*& box) {
  if (box->built == 1) {
    box->acceptAllRows();
    box->closeControls();
    box->built = 0;
    box->index = 0;
  }
  delete box;
  box = nullptr;
}

}  // namespace

long childWindowProcedure(ChildWindow& window, const ChildEvent& event) {
  switch (event.message) {
    case ChildMessage::Close:
      // A pass drawing into this window ends first; the window closes after it.
      if (passRunning() && currentFrame != nullptr &&
          currentFrame->window == static_cast<DeviceWindow*>(&window)) {
        QPointer<ChildWindow> closing(&window);
        whenNoPass([closing] {
          if (closing) closing->close();
        });
        return 1;
      }
      return 0;
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
      // "+" and "-" double and halve n and draw; a pass running meanwhile is
      // cancelled first.
      if (servesPlot(window)) {
        if (const int direction = stepsKeyDirection(event.key); direction != 0) {
          changeSteps(window, direction);
          return 1;
        }
      }
      return 0;
  }
  return 0;
}

}  // namespace tavex
