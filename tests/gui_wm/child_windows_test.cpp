// SPDX-License-Identifier: GPL-3.0-or-later
// The child windows under a real window manager (openbox on Xvfb), which
// answers resizes late and frames, stacks and iconifies windows itself: the
// status line coming and going, maximised and user-sized windows, minimising
// one window, and the outer rectangle the windows open with.
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

#include "tests/gui/gui_support.h"
#include "tests/gui_wm/window_system.h"

// Rectangles in failure messages.
inline void PrintTo(const QRect& r, std::ostream* out) {
  *out << r.width() << "x" << r.height() << " at (" << r.x() << ", " << r.y() << ")";
}

namespace tavex::testing {
namespace {

void pressKey(QWidget* window, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(window, &press);
}

const QRect kOuter(30, 50, 200, 200);

class WindowManager : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(waitUntil([this] { return wmState(main.get()) == 1; }));
  }
  // A plot window as "&Screen" opens it, once its frame is in place.
  ChildWindow* openFreshPlot() {
    command(kScreenCommand);
    EXPECT_TRUE(waitUntil([] { return framedOnServer(plotWindow) == kOuter; }));
    EXPECT_TRUE(settle());
    return plotWindow;
  }
  void draw(ChildWindow* plot) {
    click(plot, QPoint(plot->clientSize().width() / 2, plot->clientSize().height() / 2));
    ASSERT_TRUE(settle());
  }
  // The picture of the last draw pass is still in the window (a cancelled
  // pass drew the graph panel but not the function panel).
  static bool pictureShown(const ChildWindow* plot, bool finished = true) {
    return pixelAtPercent(plot->image(), 13, 75) == kGraphFill &&
           (!finished || pixelAtPercent(plot->image(), 58, 85) == kFunctionFill);
  }
};

TEST_F(WindowManager, TheStatusLineComingAndGoingKeepsThePictureAndTheProbe) {
  ChildWindow* plot = openFreshPlot();
  draw(plot);
  ASSERT_EQ(probeEnabled, 1);
  const QSize picture = plot->clientSize();
  const int sizes = sizeMessages;
  // Each key hides the line of the last pass and shows the new n at once.
  for (int press = 1; press <= 8; ++press) {
    SCOPED_TRACE(press);
    pressKey(plot, Qt::Key_Plus);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sizeMessages, sizes);
    EXPECT_EQ(probeEnabled, 1);
    EXPECT_EQ(plot->clientSize(), picture);
    EXPECT_TRUE(pictureShown(plot));
    // The window grew by the line, which lies below the picture.
    const QRect line = plot->statusLine()->geometry();
    EXPECT_EQ(line.top(), picture.height());
    EXPECT_EQ(serverGeometry(plot).size(), picture + QSize(0, line.height()));
  }
  // Esc cancels a long pass whose progress showed the line: it goes and
  // comes back with where the pass stopped.
  for (int cancel = 1; cancel <= 4; ++cancel) {
    SCOPED_TRACE(cancel);
    acceptLine(functionData[kFdSteps], "n    = 12");
    draw(plot);
    EXPECT_TRUE(plot->statusText().isEmpty());
    acceptLine(functionData[kFdSteps], "n    = 100000000");
    QTimer::singleShot(400, plot, [plot] { pressKey(plot, Qt::Key_Escape); });
    draw(plot);
    EXPECT_TRUE(main->lastDrawPass().cancelled);
    EXPECT_TRUE(plot->statusText().startsWith("Cancelled at "));
    EXPECT_EQ(sizeMessages, sizes);
    EXPECT_EQ(plot->clientSize(), picture);
    EXPECT_TRUE(pictureShown(plot, false));
  }
}

TEST_F(WindowManager, AMaximisedOrUserSizedWindowKeepsItsSizeAndHoldsItsLine) {
  ChildWindow* plot = openFreshPlot();
  requestMaximize(plot, true);
  ASSERT_TRUE(waitUntil([plot] { return plot->isMaximized(); }));
  ASSERT_TRUE(settle());
  const QRect maximised = serverGeometry(plot);
  QRect userSized(300, 200, 520, 380);
  for (const bool byUser : {false, true}) {
    SCOPED_TRACE(byUser ? "user-sized" : "maximised");
    if (byUser) {
      requestMaximize(plot, false);
      ASSERT_TRUE(waitUntil([plot] { return !plot->isMaximized(); }));
      requestClientGeometry(plot, userSized);
      ASSERT_TRUE(waitUntil([&] { return serverGeometry(plot).size() == userSized.size(); }));
      ASSERT_TRUE(settle());
      userSized = serverGeometry(plot);
    }
    const QRect expected = byUser ? userSized : maximised;
    acceptLine(functionData[kFdSteps], "n    = 12");
    draw(plot);
    const QSize picture = plot->clientSize();
    const int sizes = sizeMessages;
    pressKey(plot, Qt::Key_Plus);  // the line comes
    ASSERT_TRUE(settle());
    ASSERT_NE(plot->statusLine(), nullptr);
    EXPECT_TRUE(plot->statusLine()->isVisible());
    EXPECT_EQ(plot->isMaximized(), !byUser);
    EXPECT_EQ(serverGeometry(plot), expected);
    EXPECT_TRUE(plot->rect().contains(plot->statusLine()->geometry()));
    EXPECT_TRUE(plot->screen()->availableGeometry().contains(framedOnServer(plot)));
    EXPECT_EQ(sizeMessages, sizes);
    EXPECT_EQ(probeEnabled, 1);
    EXPECT_EQ(plot->clientSize(), picture);
    EXPECT_TRUE(pictureShown(plot));
    draw(plot);  // a pass without a note: the line goes
    EXPECT_FALSE(plot->statusLine()->isVisible());
    EXPECT_EQ(plot->isMaximized(), !byUser);
    EXPECT_EQ(serverGeometry(plot), expected);
    EXPECT_EQ(sizeMessages, sizes);
  }
}

TEST_F(WindowManager, MinimisingOneChildWindowLeavesTheOthersAboveTheMainWindow) {
  command(kFdataCommand);
  command(kGdataCommand);
  command(kScreenCommand);
  const std::vector<ChildWindow*> children = {fdataWindow, gdataWindow, plotWindow};
  const auto allShown = [&] {
    for (const QWidget* w : children)
      if (wmState(w) != 1) return false;
    return wmState(main.get()) == 1;
  };
  ASSERT_TRUE(waitUntil(allShown));
  for (ChildWindow* child : children) {
    SCOPED_TRACE(child->windowTitle().toStdString());
    requestIconify(child);  // as its frame's minimise button does
    ASSERT_TRUE(waitUntil([child] { return wmState(child) == 3; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(wmState(main.get()), 1);
    for (const ChildWindow* other : children) {
      if (other == child) continue;
      EXPECT_EQ(wmState(other), 1) << other->windowTitle().toStdString();
    }
    requestActivate(child);
    ASSERT_TRUE(waitUntil(allShown));
  }
  // Raising the main window leaves them above it.
  requestActivate(main.get());
  ASSERT_TRUE(settle());
  for (const ChildWindow* child : children)
    EXPECT_GT(stackIndex(child), stackIndex(main.get())) << child->windowTitle().toStdString();
  // The main window takes them along when it is minimised and restored.
  requestIconify(main.get());
  EXPECT_TRUE(waitUntil([&] {
    for (const QWidget* w : children)
      if (wmState(w) != 3) return false;
    return wmState(main.get()) == 3;
  }));
  requestActivate(main.get());
  EXPECT_TRUE(waitUntil(allShown));
}

TEST_F(WindowManager, ChildWindowsOpenWithTheirFrameAtTheOuterRectangle) {
  command(kFdataCommand);
  command(kScreenCommand);
  for (const ChildWindow* window : std::vector<ChildWindow*>{fdataWindow, plotWindow}) {
    SCOPED_TRACE(window->windowTitle().toStdString());
    EXPECT_TRUE(waitUntil([&] { return framedOnServer(window) == kOuter; }))
        << ::testing::PrintToString(framedOnServer(window));
    ASSERT_TRUE(settle());
    EXPECT_EQ(framedOnServer(window), kOuter);
    EXPECT_EQ(window->frameGeometry(), kOuter);
  }
}

}  // namespace
}  // namespace tavex::testing
