// SPDX-License-Identifier: GPL-3.0-or-later
// The data boxes: rows, the edit field's write-back, accepting, layout.
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStyle>

#include "gui_support.h"

namespace tavex::testing {
namespace {

using DataBoxes = GuiTest;

TEST_F(DataBoxes, NewBoxesListTheRecordRowsWithRowZeroSelectedAndInTheEditField) {
  struct Case {
    int command;
    DataBox** box;
    std::vector<std::string> rows;
  };
  const std::vector<Case> cases = {
      {kFdataCommand, &fdataBox,
       {"y    = exp(a*sin(b*x))", "a    = 1", "b    = 1", "c    = 1", "d    = 1", "e    = 1",
        "x1   = 1", "x2   = 4", "n    = 12"}},
      {kGdataCommand, &gdataBox,
       {"x0        = 0", "x1        = 5", "y0        = 0", "y1        = 3", "n         = 500",
        "t1        = 5", "tt1       = 5", "t2        = 3", "tt2       = 5", "tsize     = 10",
        "xlab      = x", "ylab      = Y  ", "title     = "}},
  };
  for (const Case& c : cases) {
    command(c.command);
    DataBox* box = *c.box;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->built, 1);
    EXPECT_EQ(rows(box->list), c.rows);
    EXPECT_EQ(box->list->currentRow(), 0);
    EXPECT_TRUE(box->list->item(0)->isSelected());
    EXPECT_EQ(box->edit->text().toStdString(), c.rows[0]);
    EXPECT_EQ(box->button->text().toStdString(), "u");
    EXPECT_EQ(box->index(), 0);
  }
}

TEST_F(DataBoxes, FdataTwiceOpensOneBoxAndAReopenedBoxShowsTheAcceptedData) {
  command(kFdataCommand);
  DataBox* first = fdataBox;
  ChildWindow* window = fdataWindow;
  command(kFdataCommand);
  EXPECT_EQ(fdataBox, first);
  EXPECT_EQ(fdataWindow, window);
  EXPECT_EQ(main->findChildren<ChildWindow*>().size(), 1);

  doubleClickRow(fdataBox->list, 1);
  fdataBox->edit->setText("a    = 2.5");
  closeWindow(fdataWindow);  // closing accepts
  EXPECT_EQ(fdataBox, nullptr);
  EXPECT_STREQ(functionData[2].value, "2.5");

  command(kFdataCommand);
  ASSERT_NE(fdataBox, nullptr);
  EXPECT_EQ(fdataBox->list->item(1)->text().toStdString(), "a    = 2.5");
  EXPECT_EQ(fdataBox->edit->text().toStdString(), "y    = exp(a*sin(b*x))");
}

TEST_F(DataBoxes, TypingRightAfterOpeningChangesRowZeroWhateverRowIsHighlighted) {
  command(kFdataCommand);
  click(fdataBox->list->viewport(), fdataBox->list->visualItemRect(fdataBox->list->item(3)).center());
  ASSERT_EQ(fdataBox->list->currentRow(), 3);
  fdataBox->edit->setCursorPosition(fdataBox->edit->text().size());
  // The field takes only what fits its width: make room before typing.
  for (int i = 0; i < 4; ++i) QTest::keyClick(fdataBox->edit, Qt::Key_Backspace);
  QTest::keyClicks(fdataBox->edit, ")");
  EXPECT_EQ(fdataBox->list->item(0)->text().toStdString(), "y    = exp(a*sin(b)");
  EXPECT_EQ(fdataBox->list->item(3)->text().toStdString(), "c    = 1");
  EXPECT_EQ(fdataBox->list->currentRow(), 0);  // the written row is selected again
  EXPECT_STREQ(functionData[1].value, "exp(a*sin(b*x))");  // not accepted yet
}

TEST_F(DataBoxes, StepsChangedThroughTheButtonReachTheNextPlotCall) {
  command(kFdataCommand);
  doubleClickRow(fdataBox->list, 8);
  EXPECT_EQ(fdataBox->index(), 8);
  ASSERT_EQ(fdataBox->edit->text().toStdString(), "n    = 12");
  fdataBox->edit->setCursorPosition(fdataBox->edit->text().size());
  QTest::keyClick(fdataBox->edit, Qt::Key_Backspace);
  QTest::keyClick(fdataBox->edit, Qt::Key_Backspace);
  QTest::keyClicks(fdataBox->edit, "20");
  EXPECT_EQ(fdataBox->list->item(8)->text().toStdString(), "n    = 20");
  EXPECT_EQ(readFunctionInterval().n, 12);
  QTest::mouseClick(fdataBox->button, Qt::LeftButton);
  EXPECT_EQ(readFunctionInterval().n, 20);

  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  const std::vector<std::string> panel = lines(main->lastDrawPass().dataPanel);
  EXPECT_NE(std::find(panel.begin(), panel.end(), "n    = 20"), panel.end());
}

TEST_F(DataBoxes, SingleClicksMoveTheSelectionButTheEditKeepsWritingItsRow) {
  command(kGdataCommand);
  doubleClickRow(gdataBox->list, 4);  // n
  click(gdataBox->list->viewport(), gdataBox->list->visualItemRect(gdataBox->list->item(1)).center());
  gdataBox->edit->setText("n         = 50");
  EXPECT_EQ(gdataBox->list->item(4)->text().toStdString(), "n         = 50");
  EXPECT_EQ(gdataBox->list->item(1)->text().toStdString(), "x1        = 5");
  EXPECT_EQ(gdataBox->list->count(), 13);
}

TEST_F(DataBoxes, TheEditFieldHandsOverAtMost118Characters) {
  command(kFdataCommand);
  const std::string longText = "y    = " + std::string(150, '1');
  fdataBox->edit->setText(QString::fromStdString(longText));
  EXPECT_EQ(fdataBox->list->item(0)->text().toStdString(), longText.substr(0, 118));
  QTest::mouseClick(fdataBox->button, Qt::LeftButton);
  EXPECT_EQ(std::string(functionData[1].line), longText.substr(0, 118));
}

TEST_F(DataBoxes, TypingStopsWhenTheFieldIsFullAndDeletingStillWorks) {
  command(kFdataCommand);
  DataEdit* edit = fdataBox->edit;
  edit->setText("a    = ");
  edit->setCursorPosition(edit->text().size());
  QTest::keyClicks(edit, QString(60, 'w'));
  const QFontMetrics m = edit->fontMetrics();
  const int width = m.horizontalAdvance(edit->text());
  EXPECT_LE(width, edit->textRoom());
  EXPECT_GT(m.horizontalAdvance(edit->text() + "w"), edit->textRoom());
  EXPECT_EQ(fdataBox->list->item(0)->text(), edit->text());
  // An over-wide text set by the program can still be shortened.
  edit->setText(QString(100, 'm'));
  edit->setCursorPosition(100);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text().size(), 99);
}

TEST_F(DataBoxes, ControlsAreLaidOutFromTheWindowsDefaultFont) {
  command(kGdataCommand);
  const QFontMetrics m(gdataWindow->font());
  const int H = m.height(), W = m.averageCharWidth();
  const int L = 15;  // "n         = 500"
  const int listWidth = gdataWindow->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + L * W;
  EXPECT_EQ(gdataBox->edit->geometry(),
            QRect(W, 3 * H - static_cast<int>(2.5 * H), listWidth, H));
  EXPECT_EQ(gdataBox->button->geometry(), QRect(W, 3 * H - static_cast<int>(1.1 * H), 2 * W, H));
  EXPECT_EQ(gdataBox->list->geometry(), QRect(W, 3 * H, listWidth, 14 * H));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (QWidget* control : {static_cast<QWidget*>(gdataBox->list), static_cast<QWidget*>(gdataBox->edit)}) {
    EXPECT_EQ(control->font().family(), fixed.family());
    EXPECT_EQ(control->font().pointSizeF(), fixed.pointSizeF());
    EXPECT_EQ(control->font().weight(), fixed.weight());
  }
  EXPECT_EQ(gdataBox->button->font(), gdataWindow->font());
  // With the window's font the default lines fit their rows.
  const QFontMetrics rows(gdataBox->list->font());
  EXPECT_LE(rows.horizontalAdvance("n         = 500"), gdataBox->list->viewport()->width() - 6);
}

TEST_F(DataBoxes, DraggingTheRightEdgeWidensTheEditField) {
  command(kFdataCommand);
  DataEdit* edit = fdataBox->edit;
  const int before = edit->width();
  const QPoint grip(edit->width() - 2, edit->height() / 2);
  sendMouse(edit, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
  sendMouse(edit, QEvent::MouseMove, grip + QPoint(40, 0), Qt::NoButton, Qt::LeftButton);
  sendMouse(edit, QEvent::MouseButtonRelease, grip + QPoint(40, 0), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(edit->width(), before + 40);
  EXPECT_EQ(edit->text().toStdString(), "y    = exp(a*sin(b*x))");  // the press was no edit
}

TEST_F(DataBoxes, ResizingABoxClearsTheProbe) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  command(kFdataCommand);  // its first sizing counts as well
  EXPECT_EQ(probeEnabled, 0);
  click(plot, {300, 200});
  ASSERT_EQ(probeEnabled, 1);
  fdataWindow->resize(300, 320);
  EXPECT_EQ(probeEnabled, 0);
}

}  // namespace
}  // namespace tavex::testing
