// SPDX-License-Identifier: GPL-3.0-or-later
// "R&ule" and the keys of the live plot window: the rule's picture drawn
// again with the same readouts, the status line naming the rule and its
// value; the probe moved by the arrows, Home and End, and to the points
// that Z, X and I find.
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include <cmath>
#include <set>

#include "gui_support.h"
#include "session/state.h"

namespace tavex::testing {
namespace {

class RuleKeys : public GuiTest {
 protected:
  void TearDown() override {
    setCurrentRule(SumRule::UpperLower);
    GuiTest::TearDown();
  }
  static void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window, &event);
  }
  QMenu* ruleMenu() {
    for (QAction* item : main->menuBar()->actions())
      if (item->text() == "&Plot")
        for (QAction* entry : item->menu()->actions())
          if (entry->text() == "R&ule") return entry->menu();
    return nullptr;
  }
  static int areaPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2)
        n += pixel(image, x, y) == Colour{kAreaAbove.ground.red, kAreaAbove.ground.green,
                                          kAreaAbove.ground.blue};
    return n;
  }
};

TEST_F(RuleKeys, TheRuleMenuHoldsOneRadioItemPerRule) {
  QMenu* rules = ruleMenu();
  ASSERT_NE(rules, nullptr);
  const char* texts[] = {"&Upper and Lower", "&Left", "&Right", "&Midpoint", "&Trapezoid", "Simp&son"};
  const QList<QAction*> items = rules->actions();
  ASSERT_EQ(items.size(), 6);
  std::set<QChar> mnemonics;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(items[i]->text().toStdString(), texts[i]);
    EXPECT_EQ(main->commandAction(kRuleCommand + i), items[i]);
    EXPECT_TRUE(items[i]->isCheckable());
    EXPECT_NE(items[i]->actionGroup(), nullptr);
    const QString text = items[i]->text();
    mnemonics.insert(text.at(text.indexOf('&') + 1).toLower());
  }
  EXPECT_EQ(mnemonics.size(), 6u);
  EXPECT_TRUE(items[0]->isChecked());
  // "R&ule"'s own mnemonic is no other item's in "&Plot".
  for (QAction* item : main->menuBar()->actions()) {
    if (item->text() != "&Plot") continue;
    for (QAction* entry : item->menu()->actions()) {
      if (entry->menu() == rules) continue;
      EXPECT_EQ(entry->text().toLower().indexOf("&u"), -1) << entry->text().toStdString();
    }
  }
}

TEST_F(RuleKeys, ChoosingARuleDrawsItsPictureWithTheSameReadouts) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  const QImage outlines = plot->image();
  const std::vector<std::string> readouts = lines(lastDrawPass().dataPanel);
  command(kRuleCommand + static_cast<int>(SumRule::Midpoint));
  EXPECT_EQ(currentRule(), SumRule::Midpoint);
  EXPECT_EQ(plot->statusText().toStdString(), "Midpoint: 5.1686823794");
  EXPECT_EQ(lines(lastDrawPass().dataPanel), readouts);
  EXPECT_GT(areaPixels(plot->image()), 100);
  ruleMenu()->popup({0, 0});  // the menu shows the rule chosen
  EXPECT_TRUE(ruleMenu()->actions()[3]->isChecked());
  ruleMenu()->hide();
  command(kRuleCommand + static_cast<int>(SumRule::UpperLower));
  EXPECT_EQ(plot->statusText().toStdString(), "");
  EXPECT_TRUE(plot->image() == outlines);
}

TEST_F(RuleKeys, KeysChooseTheRule) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  const std::pair<int, std::string> keys[] = {
      {Qt::Key_L, "Left: 5.3877848038"},     {Qt::Key_R, "Right: 4.9251316441"},
      {Qt::Key_M, "Midpoint: 5.1686823794"}, {Qt::Key_T, "Trapezoid: 5.1564582239"},
      {Qt::Key_S, "Simpson: 5.1646833897"},  {Qt::Key_U, ""}};
  for (const auto& [key, status] : keys) {
    press(plot, key);
    EXPECT_EQ(plot->statusText().toStdString(), status);
  }
  press(plot, Qt::Key_M, Qt::ControlModifier);  // a command key, not a rule
  EXPECT_EQ(currentRule(), SumRule::UpperLower);
}

TEST_F(RuleKeys, ArrowsHomeAndEndMoveTheProbe) {
  ChildWindow* plot = openPlot();
  press(plot, Qt::Key_Right);  // nothing drawn yet: nothing moves
  EXPECT_FALSE(lastProbePass().ran);
  click(plot, {300, 200});
  moveMouse(plot, {200, 150});
  const double x = lastProbePass().probe.x;
  const GraphFrame& frame = *currentFrame;
  press(plot, Qt::Key_Right);
  EXPECT_EQ(frame.mapX(lastProbePass().probe.x), frame.mapX(x) + 1);
  press(plot, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(frame.mapX(lastProbePass().probe.x), frame.mapX(x) - 9);
  press(plot, Qt::Key_Home);
  EXPECT_EQ(lastProbePass().probe.x, 1.0);
  EXPECT_EQ(lines(lastProbePass().probePanel)[0].substr(0, 11), "x = 1.00000");
  press(plot, Qt::Key_End);
  EXPECT_EQ(lastProbePass().probe.x, 4.0);
}

TEST_F(RuleKeys, ZXAndIFindThePointsAndSayThem) {
  ChildWindow* plot = openPlot();
  click(plot, {300, 200});
  press(plot, Qt::Key_Home);  // x = 1
  const double pi = 3.14159265358979323846;
  struct Step {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::string status;
    double x;  // NAN: the probe stays
  };
  const Step steps[] = {
      {Qt::Key_X, Qt::NoModifier, "maximum at x = 1.5707963, f = 2.7182818285", pi / 2},
      {Qt::Key_X, Qt::NoModifier,
       "on an extremum already; next minimum at x = 4.7123890, f = 0.3678794412", 1.5 * pi},
      {Qt::Key_I, Qt::ShiftModifier, "inflection point at x = ", NAN},
      {Qt::Key_Z, Qt::NoModifier, "no zero to the right of x = ", NAN},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.status);
    const double before = lastProbePass().probe.x;
    press(plot, s.key, s.modifiers);
    EXPECT_EQ(plot->statusText().toStdString().substr(0, s.status.size()), s.status);
    if (!std::isnan(s.x)) {
      EXPECT_NEAR(lastProbePass().probe.x, s.x, 1e-7 * s.x);
    }
    if (s.key == Qt::Key_I) {
      EXPECT_LT(lastProbePass().probe.x, before);
    }
  }
}

}  // namespace
}  // namespace tavex::testing
