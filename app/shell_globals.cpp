// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_globals.h"

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

}  // namespace tavex
