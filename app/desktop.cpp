#include "app/desktop.h"

#include <QApplication>
#include <clocale>

#include "app/main_window.h"
#include "app/shell_globals.h"
#include "platform/qt_print_service.h"

namespace tavex {

int runDesktop(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt takes the locale from the environment; numbers are always shown with a
  // decimal point, as the readouts and labels are formatted.
  std::setlocale(LC_NUMERIC, "C");
  QtPrintService printers;
  printService = &printers;
  // The program ends when the main window goes, not with its last window.
  app.setQuitOnLastWindowClosed(false);
  MainWindow window;
  window.show();
  const int status = app.exec();
  printService = nullptr;
  return status;
}

}  // namespace tavex
