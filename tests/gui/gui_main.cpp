// SPDX-License-Identifier: GPL-3.0-or-later
// GoogleTest main for the widget tests: one QApplication on the offscreen
// platform for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  // Qt takes the locale from the environment; the readouts want the point.
  std::setlocale(LC_NUMERIC, "C");
  return RUN_ALL_TESTS();
}
