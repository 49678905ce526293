// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for the window tests under a window manager: one
// QApplication on the X display (xcb) for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "xcb");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  std::setlocale(LC_NUMERIC, "C");  // the readouts want the point
  return RUN_ALL_TESTS();
}
