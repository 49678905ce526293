// SPDX-License-Identifier: GPL-3.0-or-later
// Plot windows: only the newest draws; the probe before a click, after a
// resize and at the panel's edges; the status bar after each draw pass.
#include <QLabel>

#include "gui_support.h"
#include "platform/image_window.h"

namespace tavex::testing {
namespace {

using PlotWindows = GuiTest;

int countColour(const QImage& image, Colour colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += pixel(image, x, y) == colour;
  return n;
}

TEST_F(PlotWindows, AClickDrawsThePanelsAndTheCurveAndTheWindowShowsIt) {
  ChildWindow* plot = openPlot();
  EXPECT_TRUE(allWhite(plot->image()));  // empty until the first click
  click(plot, {300, 200});
  const QImage& image = plot->image();
  EXPECT_EQ(image.size(), QSize(600, 400));
  EXPECT_EQ(pixelAtPercent(image, 13, 75), kGraphFill);
  EXPECT_EQ(pixelAtPercent(image, 96, 17), kDataFill);
  EXPECT_EQ(pixelAtPercent(image, 58, 85), kFunctionFill);
  EXPECT_EQ(pixelAtPercent(image, 96, 80), kWhite);  // no probe yet
  EXPECT_GT(countColour(image, {255, 0, 0}), 200);   // the red curve
  EXPECT_GT(countColour(image, {0, 255, 255}), 50);  // upper outlines
  EXPECT_EQ(probeEnabled, 1);
  // Painting the window shows the backing image.
  const QImage shown = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(pixelAtPercent(shown, 13, 75), kGraphFill);
  EXPECT_EQ(pixelAtPercent(shown, 58, 85), kFunctionFill);
}

TEST_F(PlotWindows, TwoScreenWindowsOnlyTheNewerDraws) {
  ChildWindow* older = openPlot();
  ChildWindow* newer = openPlot();
  click(older, {300, 200});
  EXPECT_TRUE(allWhite(older->image()));
  EXPECT_EQ(probeEnabled, 0);
  moveMouse(older, {17, 23});
  EXPECT_EQ(lastMouseX, 17);  // the position is kept all the same
  EXPECT_EQ(lastMouseY, 23);
  click(newer, {300, 200});
  EXPECT_EQ(pixelAtPercent(newer->image(), 13, 75), kGraphFill);
  // Closing the older one leaves the live frame alone.
  closeWindow(older);
  ASSERT_NE(currentFrame, nullptr);
  EXPECT_EQ(probeEnabled, 1);
  closeWindow(newer);
  EXPECT_EQ(currentFrame, nullptr);
  EXPECT_EQ(probeEnabled, 0);
}

TEST_F(PlotWindows, MovesBeforeTheFirstClickOrAfterAResizeProbeNothing) {
  ChildWindow* plot = openPlot();
  moveMouse(plot, {50, 200});
  EXPECT_TRUE(allWhite(plot->image()));
  click(plot, {300, 200});
  moveMouse(plot, {50, 200});
  EXPECT_EQ(pixelAtPercent(plot->image(), 96, 80), kDataFill);  // the probe panel

  plot->resize(640, 420);
  EXPECT_EQ(probeEnabled, 0);
  EXPECT_EQ(plot->image().size(), QSize(640, 420));
  EXPECT_TRUE(allWhite(plot->image()));
  moveMouse(plot, {50, 200});
  EXPECT_TRUE(allWhite(plot->image()));
  // The next click draws again, into the new size.
  click(plot, {300, 200});
  EXPECT_EQ(pixelAtPercent(plot->image(), 13, 75), kGraphFill);
  EXPECT_EQ(probeEnabled, 1);
}

TEST_F(PlotWindows, TheProbeAtThePanelsEdgesShowsTheDefaultValues) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  struct Case {
    QPoint at;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      // Left of and above the graph panel: x = x0, Y = y1.
      {{5, 5},
       {"x = 0.00000   Y = 3.00000", "y = f(x) = 1.00000", "f'(x) = 1.00000   f\"(x) = 1.00000"}},
      // Right of and below it: x = x1, Y = y0.
      {{595, 395},
       {"x = 5.00000   Y = 0.00000", "y = f(x) = 0.38330", "f'(x) = 0.10873   f\"(x) = 0.39840"}},
  };
  for (const Case& c : cases) {
    moveMouse(plot, c.at);
    EXPECT_EQ(lines(main->lastProbePass().probePanel), c.lines);
  }
}

TEST_F(PlotWindows, StatusBarTellsWhereTheFunctionFailedAndIsEmptyOtherwise) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  EXPECT_TRUE(main->statusText().isEmpty());

  command(kFdataCommand);
  fdataBox->edit->setText("y    = exp(a*sin(b*x)))");
  QTest::mouseClick(fdataBox->button, Qt::LeftButton);
  click(plot, {300, 200});
  EXPECT_EQ(main->statusText().toStdString(), "y: Unexpected ')' at column 23");
  // A probe pass leaves the report of the draw pass.
  moveMouse(plot, {300, 200});
  EXPECT_EQ(main->statusText().toStdString(), "y: Unexpected ')' at column 23");

  doubleClickRow(fdataBox->list, 1);
  fdataBox->edit->setText("a    = 1+");
  doubleClickRow(fdataBox->list, 0);
  fdataBox->edit->setText("y    = exp(a*sin(b*x))");
  QTest::mouseClick(fdataBox->button, Qt::LeftButton);
  click(plot, {300, 200});
  EXPECT_EQ(main->statusText().left(3).toStdString(), "a: ");

  doubleClickRow(fdataBox->list, 1);
  fdataBox->edit->setText("a    = 1");
  QTest::mouseClick(fdataBox->button, Qt::LeftButton);
  click(plot, {300, 200});
  EXPECT_TRUE(main->statusText().isEmpty());
}

TEST_F(PlotWindows, ALongStatusLineEndsInAnEllipsisAndShowsWholeAsItsTooltip) {
  acceptLine(functionData[kFdFunction], "y    = 1/x");
  acceptLine(functionData[kFdX1], "x1   = -1");
  acceptLine(functionData[kFdX2], "x2   = 1");
  acceptLine(functionData[kFdSteps], "n    = 2");
  acceptLine(graphData[kGdT1], "t1        = five");
  command(kScreenCommand);  // as it opens, 200 pixels wide
  ChildWindow* plot = plotWindow;
  click(plot, {100, 100});
  const QString whole = QStringLiteral(
      "y: Divide by Zero at column 11 (x = 0.00000; 5 of 813 evaluations failed); "
      "t1 = five read as 0");
  ASSERT_EQ(plot->statusText(), whole);
  const QLabel* shown = plot->statusLine()->findChild<QLabel*>();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->text().endsWith(QChar(0x2026))) << shown->text().toStdString();
  EXPECT_TRUE(whole.startsWith(shown->text().chopped(1)));
  EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->contentsRect().width());
  EXPECT_EQ(plot->statusLine()->toolTip(), whole);
  // With room for all of it: the whole text, and no tooltip.
  plot->resize(1400, 300);
  EXPECT_EQ(shown->text(), whole);
  EXPECT_TRUE(plot->statusLine()->toolTip().isEmpty());
}

TEST_F(PlotWindows, AfterPrintNoPlotWindowReactsUntilScreenAgain) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  command(kPrintCommand);
  EXPECT_EQ(currentFrame, nullptr);
  EXPECT_EQ(probeEnabled, 0);
  EXPECT_EQ(main->clientArea()->canvasesOut(), 0);
  plot->resize(610, 400);  // wipe it, then see that a click does not draw
  click(plot, {300, 200});
  EXPECT_TRUE(allWhite(plot->image()));
  ChildWindow* fresh = openPlot();
  click(fresh, {300, 200});
  EXPECT_EQ(pixelAtPercent(fresh->image(), 13, 75), kGraphFill);
}

}  // namespace
}  // namespace tavex::testing
