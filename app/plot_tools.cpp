// "&Fit Graph", "Save &Picture...", "Copy P&icture" and "Copy &Readouts".
#include "app/commands.h"
#include "app/shell_globals.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"

namespace tavex {

bool livePlotShown() {
  return plotWindow != nullptr && currentFrame != nullptr &&
         currentFrame->window == static_cast<DeviceWindow*>(plotWindow);
}

int fitGraphCommand() { return 0; }
int savePictureCommand() { return 0; }
int copyPictureCommand() { return 0; }
int copyReadoutsCommand() { return 0; }

}  // namespace tavex
