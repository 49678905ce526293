// SPDX-License-Identifier: GPL-3.0-or-later
// The teaching tools: n at a keystroke in the live plot window, "&Fit Graph",
// "Save &Picture...", "Copy &Picture" and "Copy &Readouts".
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <optional>

#include "session/pass_runner.h"
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

// The file dialog, answered from the test; it notes what it was offered.
struct ScriptedFiles : PictureFileDialog {
  std::optional<PictureRequest> choosePictureFile(const std::string& path, int w, int h) override {
    suggested = path;
    width = w;
    height = h;
    return answer;
  }
  std::optional<PictureRequest> answer;
  std::string suggested;
  int width = 0;
  int height = 0;
};

std::vector<std::string> graphLines() {
  std::vector<std::string> out;
  for (int i = 1; i < kGraphDataEntries; ++i) out.push_back(graphData[i].line);
  return out;
}

QStringList filesIn(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class PlotTools : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    pictureFileDialog = &files;
  }
  void TearDown() override {
    pictureFileDialog = nullptr;
    resetPassRunner();
    GuiTest::TearDown();
  }
  ScriptedFiles files;
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

TEST_F(PlotTools, SaveAndCopyNeedALivePlotWindow) {
  QMenu* plotMenu = main->menuBar()->actions()[2]->menu();
  auto enabled = [&] {
    emit plotMenu->aboutToShow();
    std::vector<bool> states;
    for (int id : {kFitGraphCommand, kSavePictureCommand, kCopyPictureCommand, kCopyReadoutsCommand})
      states.push_back(main->commandAction(id)->isEnabled());
    return states;
  };
  const std::vector<bool> none = {true, false, false, false};
  const std::vector<bool> all = {true, true, true, true};
  EXPECT_EQ(enabled(), none);
  openPlot();
  EXPECT_EQ(enabled(), all);
  command(kPrintCommand);
  EXPECT_EQ(enabled(), none);
  openPlot();
  EXPECT_EQ(enabled(), all);
  closeWindow(plotWindow);
  EXPECT_EQ(enabled(), none);

  // Called all the same, they do nothing.
  QGuiApplication::clipboard()->setText("before");
  for (int id : {kSavePictureCommand, kCopyPictureCommand, kCopyReadoutsCommand})
    mainWindowCommand(id);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
  EXPECT_TRUE(files.suggested.empty());
}

TEST_F(PlotTools, CopyPutsThePictureAndTheReadoutsOnTheClipboard) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText("before");
  ChildWindow* plot = openPlot();
  command(kCopyReadoutsCommand);  // nothing drawn yet
  EXPECT_EQ(clipboard->text().toStdString(), "before");
  EXPECT_EQ(plot->statusText().toStdString(),
            "No readouts to copy yet: click into the window to draw");

  click(plot, {300, 200});
  command(kCopyPictureCommand);
  EXPECT_EQ(clipboard->image().convertToFormat(QImage::Format_RGB32), plot->image());
  command(kCopyReadoutsCommand);
  EXPECT_EQ(clipboard->text().toStdString(),
            "y    = exp(a*sin(b*x))\na    = 1\nb    = 1\nc    = 1\nd    = 1\ne    = 1\n"
            "x1   = 1\nx2   = 4\nn    = 12\nSumU  = 5.4857108520\nSumL  = 4.8272055958\n"
            "SumT  = 5.1564582239\nSumM  = 5.1686823794\nSumS  = 5.1646833897\n"
            "Exact = 5.1646028130\nSumLeft  = 5.3877848038\nSumRight = 4.9251316441\n");
}

TEST_F(PlotTools, SavePictureWritesTheLivePlotAtTheChosenSize) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  QTemporaryDir dir;
  struct Case {
    const char* name;
    int width, height;
    QByteArray start;
  };
  const Case cases[] = {{"plot.png", 300, 200, "\x89PNG"},
                        {"plot.svg", 600, 400, "<?xml"},
                        {"plot.pdf", 640, 480, "%PDF"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(c.name);
    files.answer = PictureRequest{path.toStdString(), c.width, c.height};
    command(kSavePictureCommand);
    EXPECT_EQ(files.width, 600);  // the window's size is offered
    EXPECT_EQ(files.height, 400);
    EXPECT_TRUE(QString::fromStdString(files.suggested).endsWith("/tavex-plot"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith(c.start));
    EXPECT_EQ(plot->statusText().toStdString(), "Saved " + std::string(c.name) + " (" +
                                                    std::to_string(c.width) + " by " +
                                                    std::to_string(c.height) + ")");
  }
  EXPECT_TRUE(scripted.shown.empty());
  const QImage png(dir.filePath("plot.png"));
  EXPECT_EQ(png.size(), QSize(300, 200));
  EXPECT_EQ(pixelAtPercent(png, 13, 75), kGraphFill);
  EXPECT_EQ(filesIn(dir.path()), QStringList({"plot.pdf", "plot.png", "plot.svg"}));
  // A new file is readable as any file the user makes.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat st;
  ASSERT_EQ(::stat(dir.filePath("plot.png").toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

  // A link stays a link: the file it names gets the picture.
  ASSERT_TRUE(QFile::link(dir.filePath("plot.png"), dir.filePath("link.png")));
  files.answer = PictureRequest{dir.filePath("link.png").toStdString(), 120, 80};
  command(kSavePictureCommand);
  EXPECT_TRUE(QFileInfo(dir.filePath("link.png")).isSymLink());
  EXPECT_EQ(QImage(dir.filePath("plot.png")).size(), QSize(120, 80));
  EXPECT_EQ(filesIn(dir.path()).size(), 4);
}

TEST_F(PlotTools, SavingWhereItCannotBeWrittenSaysSoAndLeavesNoFile) {
  openPlot();
  QTemporaryDir dir;
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  QDir(dir.path()).mkdir("locked");
  ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0555);
  struct Case {
    QString path;
    int width, height;
    std::string message;
  };
  std::vector<Case> cases = {
      {dir.filePath("missing/plot.png"), 300, 200, "Saving failed: cannot write '"},
      {dir.filePath("plain/plot.png"), 300, 200, "Saving failed: cannot write '"},
      {dir.filePath("plot.jpg"), 300, 200,
       "Saving failed: unknown file type 'jpg' (use .png, .svg or .pdf)"},
      {dir.filePath("plot.png"), 0, 200,
       "Saving failed: a picture is 1 to 10000 pixels wide and high"},
  };
  if (::geteuid() != 0)  // the superuser writes into any folder
    cases.push_back({dir.filePath("locked/plot.png"), 300, 200, "Saving failed: cannot write '"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    scripted.shown.clear();
    files.answer = PictureRequest{c.path.toStdString(), c.width, c.height};
    command(kSavePictureCommand);
    ASSERT_EQ(scripted.shown.size(), 1u);
    EXPECT_EQ(scripted.shown[0].text.rfind(c.message, 0), 0u) << scripted.shown[0].text;
  }
  EXPECT_EQ(filesIn(dir.path()), QStringList({"locked", "plain"}));
  EXPECT_TRUE(filesIn(dir.filePath("locked")).isEmpty());
  ::chmod(dir.filePath("locked").toLocal8Bit().constData(), 0755);
}

TEST_F(PlotTools, CancellingASaveLeavesTheFileThatWasThere) {
  acceptLine(functionData[kFdSteps], "n    = 100000000");
  ChildWindow* plot = openPlot();
  QTemporaryDir dir;
  const QString path = dir.filePath("plot.png");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  files.answer = PictureRequest{path.toStdString(), 300, 200};
  QTimer::singleShot(500, [] { cancelPass(); });
  command(kSavePictureCommand);
  EXPECT_TRUE(scripted.shown.empty());
  EXPECT_EQ(plot->statusText().toStdString(), "Saving cancelled: plot.png was not written");
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  EXPECT_EQ(filesIn(dir.path()), QStringList({"plot.png"}));
}

}  // namespace
}  // namespace tavex::testing
