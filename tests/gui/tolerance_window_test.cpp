// SPDX-License-Identifier: GPL-3.0-or-later
// The tolerance part of the convergence window: "Find n" fills the rule
// table, the main table shows each rule's bound under its error, and a
// tolerance that cannot be used is said, not searched for.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/convergence_command.h"
#include "session/pass_runner.h"
#include "tests/gui/gui_support.h"
#include "ui/convergence_view.h"
#include "ui/tolerance_panel.h"

namespace tavex::testing {
namespace {

class ToleranceWindow : public GuiTest {
 protected:
  void TearDown() override {
    resetPassRunner();
    GuiTest::TearDown();
  }
  // x*x on [0, 1] from n = 4 up to n = 16.
  ConvergenceView* open() {
    acceptLine(functionData[kFdFunction], "y    = x*x");
    acceptLine(functionData[kFdX1], "x1   = 0");
    acceptLine(functionData[kFdX2], "x2   = 1");
    acceptLine(functionData[kFdSteps], "n    = 4");
    command(kConvergenceCommand);
    ConvergenceView* view = convergenceView();
    if (view == nullptr) return nullptr;
    view->setLimit(16);
    QTest::mouseClick(view->recomputeButton, Qt::LeftButton);
    return view;
  }
  static std::string cell(QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item != nullptr ? item->text().toStdString() : std::string();
  }
};

TEST_F(ToleranceWindow, FindFillsTheRuleTableAndTheBounds) {
  ConvergenceView* view = open();
  ASSERT_NE(view, nullptr);
  TolerancePanel* panel = view->tolerance;
  EXPECT_EQ(cell(view->table, 0, 3).find("bound"), std::string::npos);  // no K yet
  panel->field->setText("1e-4");
  QTest::mouseClick(panel->findButton, Qt::LeftButton);
  const char* expected[][5] = {{"SumLeft", "2", "1", "10000", "5000"},
                               {"SumRight", "2", "1", "10000", "5001"},
                               {"SumT", "2", "0", "41", "41"},
                               {"SumM", "2", "0", "29", "29"},
                               {"SumS", "0", "0", "2", "2"}};
  for (int row = 0; row < 5; ++row)
    for (int column = 0; column < 5; ++column)
      EXPECT_EQ(cell(panel->table, row, column), expected[row][column]) << row << "," << column;
  // n = 4: the trapezoid's bound 1 * 2 / (12 * 16), under its error.
  const std::string trapezoid = cell(view->table, 0, 3);
  EXPECT_NE(trapezoid.find("\nbound 1.042e-02"), std::string::npos) << trapezoid;
  EXPECT_NE(cell(view->table, 0, 6).find("\nbound 2.500e-01"), std::string::npos);  // SumLeft
  EXPECT_EQ(cell(view->table, 0, 1).find("bound"), std::string::npos);  // SumU has none
  // Recompute may read other records: the bounds go.
  QTest::mouseClick(view->recomputeButton, Qt::LeftButton);
  EXPECT_EQ(cell(view->table, 0, 3).find("bound"), std::string::npos);
  EXPECT_FALSE(passRunning());
}

TEST_F(ToleranceWindow, AToleranceThatCannotBeUsedIsSaid) {
  ConvergenceView* view = open();
  ASSERT_NE(view, nullptr);
  TolerancePanel* panel = view->tolerance;
  const std::pair<const char*, std::string> cases[] = {
      {"abc", "Tolerance: 'abc' is not a number"},
      {"0", "Tolerance 0: must be above 0"},
      {"-1", "Tolerance -1: must be above 0"},
      {"1e-20", "tolerance 1e-20 is below what double precision can tell apart here"},
  };
  for (const auto& [text, says] : cases) {
    panel->field->setText(text);
    QTest::mouseClick(panel->findButton, Qt::LeftButton);
    EXPECT_EQ(panel->message->text().toStdString().substr(0, says.size()), says);
  }
}

}  // namespace
}  // namespace tavex::testing
