// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the widget tests: a fresh main window with scripted message
// boxes and default records, and synthetic mouse input.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/shell_globals.h"
#include "data/records.h"
#include "graphics/graph_frame.h"
#include "platform/child_window.h"
#include "plot/plot.h"
#include "plot/scripted_dialogs.h"
#include "ui/data_box.h"

namespace tavex::testing {

// Deletes windows whose deletion was deferred.
inline void flushDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::NoButton,
                      Qt::MouseButtons buttons = Qt::NoButton) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}
inline void moveMouse(QWidget* w, QPoint at) { sendMouse(w, QEvent::MouseMove, at); }
inline void click(QWidget* w, QPoint at) {
  sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  sendMouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}
inline void doubleClickRow(QListWidget* list, int row) {
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

inline std::vector<std::string> rows(const QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

inline std::vector<std::string> lines(const PanelText& panel) {
  return std::vector<std::string>(panel.lines, panel.lines + panel.count);
}

struct Colour {
  int r, g, b;
  friend bool operator==(const Colour&, const Colour&) = default;
};
inline Colour pixel(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}
// The pixel at pctX % of the width and pctUp % of the height from the bottom.
inline Colour pixelAtPercent(const QImage& image, double pctX, double pctUp) {
  return pixel(image, static_cast<int>(image.width() * pctX / 100),
               static_cast<int>(image.height() * (100 - pctUp) / 100));
}
inline constexpr Colour kWhite{255, 255, 255};
inline bool allWhite(const QImage& image) {
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3)
      if (pixel(image, x, y) != kWhite) return false;
  return true;
}
inline constexpr Colour kGraphFill{255, 230, 255};
inline constexpr Colour kDataFill{230, 255, 255};
inline constexpr Colour kFunctionFill{255, 230, 200};

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
    fdataWindow = gdataWindow = plotWindow = nullptr;
    probeEnabled = 0;
    lastMouseX = lastMouseY = 0;
    forgetPasses();
    main = makeMainWindow();
    main->show();
    dialogs = &scripted;
  }
  void TearDown() override {
    main.reset();
    flushDeletes();
    EXPECT_EQ(fdataBox, nullptr);
    EXPECT_EQ(gdataBox, nullptr);
    EXPECT_EQ(currentFrame, nullptr);
    EXPECT_EQ(mainWindow, nullptr);
    fdataWindow = gdataWindow = plotWindow = nullptr;
    dialogs = nullptr;
  }

  void command(int id) {
    QAction* action = main->commandAction(id);
    ASSERT_NE(action, nullptr) << id;
    action->trigger();
  }
  // "&Screen", sized so that the panels have room, and a click to draw.
  ChildWindow* openPlot(QSize size = {600, 400}) {
    command(kScreenCommand);
    plotWindow->resize(size);
    return plotWindow;
  }
  void closeWindow(ChildWindow* window) {
    window->close();
    flushDeletes();
  }

  ScriptedDialogs scripted;
  std::unique_ptr<MainWindow> main;
};

}  // namespace tavex::testing
