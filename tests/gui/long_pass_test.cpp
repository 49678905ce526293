// SPDX-License-Identifier: GPL-3.0-or-later
// A long pass in the desktop program: it can be cancelled, the program can be
// left while it runs, and nothing else enters the engine or the frame
// meanwhile. The plot window's status line tells how the last pass went.
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>

#include "session/pass_runner.h"
#include "tests/gui/gui_support.h"

namespace tavex::testing {
namespace {

class LongPass : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    acceptLine(functionData[kFdSteps], "n    = 100000000");
    plot = openPlot();
  }
  void TearDown() override {
    resetPassRunner();
    GuiTest::TearDown();
  }
  // Clicks into the plot window; during the pass, after half a second, does
  // meanwhile. Returns how long the click took.
  qint64 clickWhile(const std::function<void()>& meanwhile) {
    QTimer::singleShot(500, meanwhile);
    QElapsedTimer timer;
    timer.start();
    click(plot, {300, 200});
    return timer.elapsed();
  }

  ChildWindow* plot = nullptr;
};

TEST_F(LongPass, CancelStopsThePassAndTheWindowSaysWhere) {
  const QSize picture = plot->clientSize();
  bool probeRan = false;
  const qint64 took = clickWhile([&] {
    EXPECT_TRUE(passRunning());
    EXPECT_TRUE(plot->progressShown());
    const int probesBefore = main->lastProbePass().report.evaluations;
    moveMouse(plot, {250, 150});  // ignored while the pass runs
    probeRan = main->lastProbePass().report.evaluations != probesBefore;
    QTest::mouseClick(plot->cancelControl(), Qt::LeftButton);
  });
  EXPECT_LT(took, 5000);
  EXPECT_FALSE(probeRan);
  EXPECT_FALSE(passRunning());
  EXPECT_TRUE(main->lastDrawPass().cancelled);
  EXPECT_EQ(main->lastDrawPass().dataPanel.count, 0);  // no readout of an unfinished sum
  EXPECT_EQ(probeEnabled, 0);
  EXPECT_TRUE(plot->statusText().startsWith("Cancelled at ")) << plot->statusText().toStdString();
  EXPECT_FALSE(plot->progressShown());
  EXPECT_EQ(plot->clientSize(), picture);  // the line sits below the picture

  // Esc in the plot window cancels as well.
  const qint64 again = clickWhile([&] {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(plot, &esc);
  });
  EXPECT_LT(again, 5000);
  EXPECT_TRUE(main->lastDrawPass().cancelled);
}

TEST_F(LongPass, ExitDuringThePassEndsTheProgramOnceThePassStops) {
  command(kFdataCommand);
  fdataBox->edit->setText("y    = x*x");  // typed, not yet accepted
  const qint64 took = clickWhile([&] { command(kExitCommand); });
  EXPECT_LT(took, 5000);
  flushDeletes();
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(currentFrame, nullptr);
  EXPECT_EQ(fdataBox, nullptr);
  EXPECT_STREQ(functionData[kFdFunction].line, "y    = x*x");  // accepted as on any Exit
}

TEST_F(LongPass, ClosingThePlotWindowOrScreenWaitForThePassToStop) {
  const qint64 took = clickWhile([&] {
    plot->close();
    EXPECT_TRUE(plot->isVisible());  // kept open while the pass draws into it
    command(kScreenCommand);
  });
  EXPECT_LT(took, 5000);
  flushDeletes();
  ASSERT_NE(plotWindow, nullptr);
  EXPECT_NE(plotWindow, plot);  // "&Screen" ran after the pass, in a new window
  ASSERT_NE(currentFrame, nullptr);
  EXPECT_EQ(currentFrame->window, static_cast<DeviceWindow*>(plotWindow));
}

TEST_F(LongPass, TheStatusLineTellsTheFirstFailureAndTheWarnings) {
  acceptLine(functionData[kFdFunction], "y    = 1/x");
  acceptLine(functionData[kFdX1], "x1   = -1");
  acceptLine(functionData[kFdX2], "x2   = 1");
  acceptLine(functionData[kFdSteps], "n    = 2");
  acceptLine(graphData[kGdT1], "t1        = five");
  const QSize picture = plot->clientSize();
  click(plot, {300, 200});
  EXPECT_EQ(plot->statusText().toStdString(),
            "y: Divide by Zero at column 11 (x = 0.00000; 5 of 813 evaluations failed); "
            "t1 = five read as 0");
  EXPECT_EQ(plot->clientSize(), picture);
  EXPECT_EQ(main->statusText().toStdString(), "y: Divide by Zero at column 11");

  initFunctionData();
  initGraphData();
  click(plot, {300, 200});
  EXPECT_TRUE(plot->statusText().isEmpty());
  EXPECT_EQ(plot->clientSize(), picture);
}

}  // namespace
}  // namespace tavex::testing
