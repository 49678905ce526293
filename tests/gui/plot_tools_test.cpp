// The teaching tools: n at a keystroke in the live plot window and "&Fit Graph".
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>

#include <climits>
#include <functional>

#include "app/pass_runner.h"
#include "app/plot_tools.h"
#include "gui_support.h"
#include "platform/image_window.h"

namespace tavex::testing {
namespace {

void pressKey(QWidget* window, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(window, &press);
}

// Handles events until done() holds, for at most ten seconds.
bool waitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

std::vector<std::string> graphLines() {
  std::vector<std::string> out;
  for (int i = 1; i < kGraphDataEntries; ++i) out.push_back(graphData[i].line);
  return out;
}

class PlotTools : public GuiTest {
 protected:
  void TearDown() override {
    resetPassRunner();
    GuiTest::TearDown();
  }
};

TEST(StepsKeys, DoubleAndHalveWithinOneAndTheLargestInteger) {
  struct Case {
    std::int32_t n, doubled, halved;
  };
  const Case cases[] = {{12, 24, 6},  {25, 50, 12}, {1, 2, 1},
                        {0, 2, 1},    {-7, 2, 1},   {1073741824, INT32_MAX, 536870912},
                        {INT32_MAX, INT32_MAX, 1073741823}};
  for (const Case& c : cases) {
    EXPECT_EQ(doubledSteps(c.n), c.doubled) << c.n;
    EXPECT_EQ(halvedSteps(c.n), c.halved) << c.n;
  }
  const std::pair<int, int> keys[] = {{Qt::Key_Plus, 1},     {Qt::Key_Equal, 1},
                                      {Qt::Key_PageUp, 1},   {Qt::Key_Minus, -1},
                                      {Qt::Key_PageDown, -1}, {Qt::Key_Escape, 0},
                                      {Qt::Key_A, 0}};
  for (const auto& [key, direction] : keys) EXPECT_EQ(stepsKeyDirection(key), direction) << key;
}

TEST_F(PlotTools, KeysInTheLivePlotChangeNAsTypedShowItInTheBoxAndDraw) {
  command(kFdataCommand);
  doubleClickRow(fdataBox->list, 8);  // the edit field writes to n's row
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  const std::pair<int, std::string> steps[] = {{Qt::Key_Plus, "24"},    {Qt::Key_PageUp, "48"},
                                               {Qt::Key_Minus, "24"},   {Qt::Key_PageDown, "12"},
                                               {Qt::Key_Equal, "24"}};
  for (const auto& [key, n] : steps) {
    SCOPED_TRACE(n);
    pressKey(plot, key);
    const std::string line = "n    = " + n;
    EXPECT_EQ(functionData[kFdSteps].line, line);
    EXPECT_EQ(rows(fdataBox->list)[8], line);
    EXPECT_EQ(fdataBox->edit->text().toStdString(), line);
    EXPECT_EQ(plot->statusText().toStdString(), "n = " + n);
    EXPECT_EQ(lines(main->lastDrawPass().dataPanel)[7], line);  // drawn with it
  }
  // Closing the box accepts its rows: the new n stays.
  closeWindow(fdataWindow);
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 24");

  // Only the live plot window takes the keys.
  ChildWindow* newer = openPlot();
  pressKey(plot, Qt::Key_Plus);
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 24");
  command(kPrintCommand);
  pressKey(newer, Qt::Key_Plus);
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 24");
}

TEST_F(PlotTools, TheNoteComesBeforeThePassesOwnLine) {
  acceptLine(functionData[kFdFunction], "y    = 1/x");
  acceptLine(functionData[kFdX1], "x1   = -1");
  acceptLine(functionData[kFdX2], "x2   = 1");
  acceptLine(functionData[kFdSteps], "n    = 2");
  ChildWindow* plot = openPlot();
  pressKey(plot, Qt::Key_Plus);
  EXPECT_TRUE(plot->statusText().startsWith("n = 4; y: Divide by Zero at column 11"))
      << plot->statusText().toStdString();
}

TEST_F(PlotTools, AKeyDuringALongPassCancelsItThenChangesNAndDraws) {
  acceptLine(functionData[kFdSteps], "n    = 100000000");
  ChildWindow* plot = openPlot();
  QTimer::singleShot(300, [plot] {
    pressKey(plot, Qt::Key_Minus);
    QTimer::singleShot(700, [] { cancelPass(); });  // the next pass, with n halved
  });
  click(plot, {300, 200});
  EXPECT_TRUE(main->lastDrawPass().cancelled);
  ASSERT_TRUE(waitFor([plot] { return plot->statusText().startsWith("n = 50000000; "); }));
  EXPECT_TRUE(waitFor([] { return !passRunning(); }));
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 50000000");
  EXPECT_TRUE(plot->statusText().startsWith("n = 50000000; Cancelled at "))
      << plot->statusText().toStdString();
}

TEST_F(PlotTools, FitGraphWritesRoundEntriesAsTypedAndDraws) {
  command(kGdataCommand);
  doubleClickRow(gdataBox->list, 3);  // y1's row in the edit field
  acceptLine(functionData[kFdFunction], "y    = x*x");
  acceptLine(functionData[kFdX1], "x1   = -2");
  acceptLine(functionData[kFdX2], "x2   = 3");
  ChildWindow* plot = openPlot();
  command(kFitGraphCommand);
  const std::vector<std::pair<int, std::string>> expected = {
      {kGdX0, "x0        = -3"}, {kGdX1, "x1        = 4"}, {kGdY0, "y0        = 0"},
      {kGdY1, "y1        = 20"}, {kGdT1, "t1        = 7"}, {kGdT2, "t2        = 4"}};
  for (const auto& [entry, line] : expected) {
    EXPECT_EQ(graphData[entry].line, line);
    EXPECT_EQ(rows(gdataBox->list)[static_cast<size_t>(entry - 1)], line);
  }
  EXPECT_EQ(gdataBox->edit->text().toStdString(), "y1        = 20");
  EXPECT_EQ(plot->statusText().toStdString(), "Fitted x -3 to 4, y 0 to 20");
  EXPECT_EQ(pixelAtPercent(plot->image(), 13, 75), kGraphFill);  // drawn
  EXPECT_EQ(probeEnabled, 1);
}

TEST_F(PlotTools, FitGraphWithoutAFiniteValueChangesNothingAndSaysWhy) {
  acceptLine(functionData[kFdFunction], "y    = log(-1)");
  const std::vector<std::string> before = graphLines();
  ChildWindow* plot = openPlot();
  command(kFitGraphCommand);
  EXPECT_EQ(graphLines(), before);
  EXPECT_EQ(plot->statusText().toStdString(),
            "Fit Graph: f has no finite value between x = 0.5 and x = 4.5; nothing changed");
  EXPECT_TRUE(allWhite(plot->image()));

  // Without a live plot window a message box says it, and, once f has
  // values, that the next click draws the fitted window.
  closeWindow(plot);
  command(kFitGraphCommand);
  initFunctionData();
  command(kFitGraphCommand);
  ASSERT_EQ(scripted.shown.size(), 2u);
  EXPECT_EQ(scripted.shown[0].text,
            "Fit Graph: f has no finite value between x = 0.5 and x = 4.5; nothing changed");
  EXPECT_EQ(scripted.shown[1].text, "Fitted x 0.5 to 4.5, y 0 to 3. Click into a plot window to draw.");
  EXPECT_STREQ(graphData[kGdT2].line, "t2        = 6");
}

}  // namespace
}  // namespace tavex::testing
