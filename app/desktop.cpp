// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop.h"

#include <QApplication>
#include <clocale>
#include <cstdio>

#include "app/commands.h"
#include "app/lesson_commands.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "platform/qt_print_service.h"
#include "session/cli.h"

namespace tavex {

std::unique_ptr<MainWindow> makeMainWindow() {
  auto window = std::make_unique<MainWindow>();
  installMenu(*window);
  return window;
}

int runDesktop(int argc, char** argv) {
  // Without a display Qt would abort; say why and how else to run instead.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fputs("tavex: no display to open the main window on (DISPLAY is not set)\n", stderr);
    printUsage(stderr);
    return 2;
  }
  QApplication app(argc, argv);
  // Ties the windows to the installed menu entry (Wayland, task bars).
  QGuiApplication::setDesktopFileName(QStringLiteral("org.tavex.Tavex"));
  // Qt takes the locale from the environment; numbers are always shown with a
  // decimal point, as the readouts and labels are formatted.
  std::setlocale(LC_NUMERIC, "C");
  QtPrintService printers;
  printService = &printers;
  // The program ends when the main window goes, not with its last window.
  app.setQuitOnLastWindowClosed(false);
  const std::unique_ptr<MainWindow> window = makeMainWindow();
  window->show();
  // tavex FILE: the lesson to open (the command line took every other form).
  if (argc == 2) openLessonAtStart(argv[1]);
  const int status = app.exec();
  printService = nullptr;
  return status;
}

}  // namespace tavex
