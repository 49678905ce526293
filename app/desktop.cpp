#include "app/desktop.h"

#include <QApplication>

#include "app/main_window.h"

namespace tavex {

int runDesktop(int argc, char** argv) {
  QApplication app(argc, argv);
  // The program ends when the main window goes, not with its last window.
  app.setQuitOnLastWindowClosed(false);
  MainWindow window;
  window.show();
  return app.exec();
}

}  // namespace tavex
