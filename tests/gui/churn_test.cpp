// SPDX-License-Identifier: GPL-3.0-or-later
// Windows opened, used and closed hundreds of times in random order: nothing
// may crash, leak (under the sanitizers) or leave the globals inconsistent.
#include <random>

#include "gui_support.h"
#include "tests/support/resident_memory.h"

namespace tavex::testing {
namespace {

using Churn = GuiTest;

std::vector<ChildWindow*> openWindows(MainWindow& main) {
  std::vector<ChildWindow*> out;
  for (ChildWindow* w : main.findChildren<ChildWindow*>(Qt::FindDirectChildrenOnly))
    if (!w->destroyed()) out.push_back(w);
  return out;
}

TEST_F(Churn, HundredsOfWindowsInAnyOrder) {
  // Cheap passes: a short curve.
  acceptLine(graphData[kGdPoints], "n         = 20");
  std::mt19937 random(20000201);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  int opened = 0, draws = 0;
  for (int step = 0; step < 600; ++step) {
    std::vector<ChildWindow*> windows = openWindows(*main);
    switch (pick(10)) {
      case 0:
        command(kFdataCommand);
        break;
      case 1:
        command(kGdataCommand);
        break;
      case 2:
      case 3:
        command(kScreenCommand);
        ++opened;
        break;
      case 4:
        command(kPrintCommand);
        break;
      case 5:  // close any window
        if (!windows.empty()) windows[static_cast<size_t>(pick(static_cast<int>(windows.size())))]->close();
        break;
      case 6:  // click or move over any window
      case 7:
        if (!windows.empty()) {
          ChildWindow* w = windows[static_cast<size_t>(pick(static_cast<int>(windows.size())))];
          // Often the newest plot window, which is the one that draws.
          if (pick(2) && std::find(windows.begin(), windows.end(), plotWindow) != windows.end())
            w = plotWindow;
          const QPoint at(pick(260), pick(260));
          if (pick(2)) {
            click(w, at);
            draws += probeEnabled;
          } else {
            moveMouse(w, at);
          }
        }
        break;
      case 8:  // resize any window
        if (!windows.empty())
          windows[static_cast<size_t>(pick(static_cast<int>(windows.size())))]->resize(
              20 + pick(300), 20 + pick(300));
        break;
      case 9:  // edit and accept in an open box
        if (DataBox* box = pick(2) ? fdataBox : gdataBox; box != nullptr) {
          box->edit->setText(box->edit->text() + " ");
          QTest::mouseClick(box->button, Qt::LeftButton);
        }
        break;
    }
    if (pick(3) == 0) flushDeletes();

    // The globals agree with the windows.
    if (fdataBox != nullptr) {
      ASSERT_EQ(fdataBox->window, fdataWindow);
      ASSERT_EQ(fdataBox->list->count(), 9);
    }
    if (gdataBox != nullptr) {
      ASSERT_EQ(gdataBox->list->count(), 13);
    }
    if (currentFrame != nullptr) {
      ASSERT_EQ(currentFrame->window, static_cast<DeviceWindow*>(plotWindow));
    }
    if (probeEnabled) {
      ASSERT_NE(currentFrame, nullptr);
    }
  }
  EXPECT_GT(opened, 50);
  EXPECT_GT(draws, 10);  // the live window did draw now and then
  flushDeletes();
  // Edits of the boxes were accepted row by row: the lines are still whole.
  EXPECT_EQ(std::string(functionData[kFdFunction].line).rfind("y    = exp(a*sin(b*x))", 0), 0u);
}

}  // namespace
}  // namespace tavex::testing

namespace tavex::testing {
namespace {

TEST_F(Churn, AThousandClicksAndProbesKeepResidentMemoryFlat) {
  ChildWindow* window = openPlot();
  long long afterHundred = 0;
  for (int i = 0; i < 1000; ++i) {
    click(window, {300, 200});
    moveMouse(window, {100 + i % 400, 150});
    if (i == 99) afterHundred = residentBytes();
  }
  EXPECT_EQ(main->lastDrawPass().dataPanel.count, 14);
  EXPECT_TRUE(main->lastProbePass().ran);
  if (!kUnderSanitizer) {
    EXPECT_LE(residentBytes() - afterHundred, 1 << 20);
  }
}

}  // namespace
}  // namespace tavex::testing
