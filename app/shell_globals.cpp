#include "app/shell_globals.h"

#include "expr/engine.h"

namespace tavex {

ChildWindow* fdataWindow = nullptr;
DataBox* fdataBox = nullptr;
ChildWindow* gdataWindow = nullptr;
DataBox* gdataBox = nullptr;
ChildWindow* plotWindow = nullptr;
GraphFrame* currentFrame = nullptr;
int lastMouseX = 0;
int lastMouseY = 0;
int probeEnabled = 0;
PrintService* printService = nullptr;
MainWindow* mainWindow = nullptr;
Dialogs* dialogs = nullptr;

int sizeMessages = 0;

ExpressionEngine& programEngine() {
  static ExpressionEngine engine;
  return engine;
}

}  // namespace tavex
