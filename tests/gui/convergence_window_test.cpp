// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence window: one window from the menu, rows equal to the sums,
// Copy, Recompute after an edit, "Save CSV...", cancel and close while it
// computes.
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "app/convergence_command.h"
#include "session/pass_runner.h"
#include "plot/sums.h"
#include "tests/gui/gui_support.h"
#include "tests/support/full_disk.h"
#include "ui/convergence_view.h"

namespace tavex::testing {
namespace {

class ConvergenceWindow : public GuiTest {
 protected:
  void TearDown() override {
    resetPassRunner();
    GuiTest::TearDown();
  }
  // x*x on [0, 1] from n = 4, in a window computed up to n = 64.
  ConvergenceView* openSquares() {
    acceptLine(functionData[kFdFunction], "y    = x*x");
    acceptLine(functionData[kFdX1], "x1   = 0");
    acceptLine(functionData[kFdX2], "x2   = 1");
    acceptLine(functionData[kFdSteps], "n    = 4");
    acceptLine(graphData[kGdPoints], "n         = 50");
    command(kConvergenceCommand);
    ConvergenceView* view = convergenceView();
    if (view == nullptr) return nullptr;
    view->setLimit(64);
    QTest::mouseClick(view->recomputeButton, Qt::LeftButton);
    return view;
  }
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      out.push_back(text.substr(start, end - start));
    return out;
  }
};

int windowsTitled(const QString& title) {
  int count = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    count += w->isVisible() && w->windowTitle() == title;
  return count;
}

TEST_F(ConvergenceWindow, TheMenuOpensOneWindow) {
  command(kConvergenceCommand);
  command(kConvergenceCommand);  // raises and recomputes the same window
  EXPECT_EQ(windowsTitled("convergence"), 1);
  ChildWindow* window = convergenceWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->parentWidget(), main.get());
  EXPECT_GE(lines(convergenceView()->tabText()).size(), 2u);  // header and rows
  EXPECT_FALSE(passRunning());
  closeWindow(window);
  EXPECT_EQ(convergenceWindow(), nullptr);
}

TEST_F(ConvergenceWindow, RowsAreTheSumsCopyGivesThemRecomputeRenewsThem) {
  ConvergenceView* view = openSquares();
  ASSERT_NE(view, nullptr);
  const std::vector<std::string> table = lines(view->tabText());
  ASSERT_EQ(table.size(), 6u);
  EXPECT_EQ(
      table[0].rfind("n\tSumU\tSumL\tSumT\tSumM\tSumS\tSumLeft\tSumRight\tExact\tReference\t", 0),
      0u);
  ExpressionEngine engine;
  int n = 4;
  for (size_t i = 1; i < table.size(); ++i, n *= 2) {
    FunctionEvaluator evaluator(functionData, engine);
    FunctionInterval interval = intervalOf(functionData);
    interval.n = n;
    interval.h = (interval.x2 - interval.x1) / n;
    const RiemannSums sums = computeSums(evaluator, interval, nullptr);
    const ReadoutLines readouts = sumReadouts(sums);
    const ReadoutLines sides = sideReadouts(sums);
    std::string expected = std::to_string(n);
    // SumU to SumS, then SumLeft and SumRight, then Exact.
    for (int k = 0; k + 1 < readouts.count; ++k) expected += std::string("\t") + (readouts.lines[k] + 8);
    for (int k = 0; k < sides.count; ++k) expected += std::string("\t") + (sides.lines[k] + 11);
    expected += std::string("\t") + (readouts.lines[readouts.count - 1] + 8);
    EXPECT_EQ(table[i].substr(0, expected.size()), expected);
  }
  EXPECT_EQ(view->table->rowCount(), 5);
  EXPECT_EQ(view->table->item(4, 0)->text(), "64");

  QTest::mouseClick(view->copyButton, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), view->tabText());

  // Recompute reads the records again.
  acceptLine(functionData[kFdFunction], "y    = 2*x*x");
  QTest::mouseClick(view->recomputeButton, Qt::LeftButton);
  EXPECT_EQ(lines(view->tabText())[1].substr(0, 15), "4\t0.9375000000\t");  // twice 0.46875
}

TEST_F(ConvergenceWindow, SaveWritesTheCsvOrSaysWhyNot) {
  ConvergenceView* view = openSquares();
  ASSERT_NE(view, nullptr);
  QTemporaryDir dir;
  for (const QString& path : {dir.filePath("table.csv"), dir.filePath("missing/table.csv")}) {
    view->askSavePath = [&path](QWidget*, const QString&) { return path; };
    QTest::mouseClick(view->saveButton, Qt::LeftButton);
    QFile saved(path);
    if (saved.open(QIODevice::ReadOnly)) {
      EXPECT_EQ(saved.readAll().toStdString(), view->csvText());
      EXPECT_EQ(view->message(), "Saved " + path + ".");
    } else {
      EXPECT_TRUE(view->message().startsWith("Could not save " + path + ": "));
    }
  }
  EXPECT_EQ(view->csvText().substr(0, 12), "n,SumU,SumL,");
  EXPECT_TRUE(QFile::exists(dir.filePath("table.csv")));
}

TEST_F(ConvergenceWindow, ASaveWithoutSpaceSaysSoAndKeepsTheOldFile) {
  ConvergenceView* view = openSquares();
  ASSERT_NE(view, nullptr);
  QTemporaryDir devices;
  QString path = QString::fromStdString(tavex_test::fullDevice(devices.path().toStdString()));
  view->askSavePath = [&path](QWidget*, const QString&) { return path; };
  if (!path.isEmpty()) {
    QTest::mouseClick(view->saveButton, Qt::LeftButton);
    EXPECT_EQ(view->message().toStdString(),
              "Could not save " + path.toStdString() + ": No space left on device");
    EXPECT_TRUE(QFileInfo(path).exists() && !QFileInfo(path).isFile());  // still the device
  }

  QTemporaryDir dir;
  if (!tavex_test::mountSmallTmpfs(dir.path().toStdString(), "8k"))
    GTEST_SKIP() << "needs the superuser and mount namespaces for a small tmpfs";
  path = dir.filePath("table.csv");
  const auto put = [&dir](const char* name, int size) {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(QByteArray(size, 'o')) == size && file.flush();
  };
  ASSERT_TRUE(put("table.csv", 3) && put("filler", 4096));  // a page each: the disk is full
  QTest::mouseClick(view->saveButton, Qt::LeftButton);
  EXPECT_EQ(view->message().toStdString(),
            "Could not save " + path.toStdString() + ": No space left on device");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll().toStdString(), "ooo");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"filler", "table.csv"}));
  ::umount(dir.path().toLocal8Bit().constData());
}

TEST_F(ConvergenceWindow, EscCancelsAndClosingWaitsForTheCancel) {
  acceptLine(functionData[kFdSteps], "n    = 100000000");  // one row of minutes
  bool progressShown = false;
  QTimer::singleShot(500, [&] {
    ChildWindow* window = convergenceWindow();
    progressShown = window->progressShown();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window, &esc);
  });
  command(kConvergenceCommand);
  EXPECT_TRUE(progressShown);
  EXPECT_FALSE(passRunning());
  ChildWindow* window = convergenceWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->statusText(), "Cancelled: 0 rows complete");
  EXPECT_TRUE(convergenceView()->notesLine->text().contains("cancelled at n = 100000000"));

  bool keptOpen = false;
  QTimer::singleShot(500, [&] {
    window->close();
    keptOpen = window->isVisible() && passRunning();
  });
  QTest::mouseClick(convergenceView()->recomputeButton, Qt::LeftButton);
  EXPECT_TRUE(keptOpen);
  QTest::qWait(50);  // the close that waited for the pass
  flushDeletes();
  EXPECT_EQ(convergenceWindow(), nullptr);
}

}  // namespace
}  // namespace tavex::testing
