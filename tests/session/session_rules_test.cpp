// SPDX-License-Identifier: GPL-3.0-or-later
// The rules the front ends share: passes one at a time with cancel and
// put-off actions, and the data box's edit model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/records.h"
#include "graphics/null_canvas.h"
#include "session/edit_model.h"
#include "session/pass_runner.h"
#include "session/plot_tools.h"
#include "session/state.h"

namespace tavex {
namespace {

// A host that counts its turns and can act during one.
struct CountingHost : PassHost {
  int turns = 0;
  std::function<void()> duringTurn;
  std::vector<std::function<void()>> soon;
  void giveEventLoopTurn() override {
    ++turns;
    if (duringTurn) std::exchange(duringTurn, nullptr)();
  }
  void runSoon(std::function<void()> action) override { soon.push_back(std::move(action)); }
};

class PassRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData();
    initGraphData();
    resetPassRunner();
    setPassHost(&host);
  }
  void TearDown() override {
    setPassHost(nullptr);
    resetPassRunner();
  }
  // A draw pass at n = 2,000,000 into a canvas that keeps nothing.
  PassResult longPass() {
    acceptLine(functionData[kFdSteps], "n    = 2000000");
    NullWindow window(640, 480);
    GraphFrame frame(&window);
    return runPass(programContext(), frame, kDrawPass, kToWindow, nullptr);
  }
  CountingHost host;
};

TEST_F(PassRunnerTest, ActionsWaitForTheRunningPassWhichTheyCancelAndRunInOrder) {
  std::vector<std::string> done;
  host.duringTurn = [&] {
    EXPECT_TRUE(passRunning());
    whenNoPass([&] { done.push_back("first"); });
    whenNoPass([&] {
      done.push_back("second");
      EXPECT_FALSE(passRunning());
    });
    EXPECT_TRUE(done.empty());  // nothing runs inside the pass
  };
  const PassResult pass = longPass();
  EXPECT_TRUE(pass.cancelled);
  EXPECT_EQ(pass.dataPanel.count, 0);
  EXPECT_FALSE(passRunning());
  ASSERT_EQ(host.soon.size(), 1u);  // the put-off actions run from the event loop
  host.soon.front()();
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second"}));
  // With no pass running an action runs at once.
  whenNoPass([&] { done.push_back("now"); });
  EXPECT_EQ(done.back(), "now");
}

TEST_F(PassRunnerTest, APassRunsToItsEndGivingTheLoopTurnsWhenNothingCancelsIt) {
  const PassResult pass = longPass();
  EXPECT_FALSE(pass.cancelled);
  EXPECT_GT(host.turns, 0);
  EXPECT_EQ(pass.dataPanel.count > 0, true);
  cancelPass();  // no pass: nothing to cancel, nothing breaks
  EXPECT_FALSE(passRunning());
}

TEST(EditModel, EditsTheRowChosenAndAcceptsEveryRowIntoTheRecord) {
  initFunctionData();
  RecordEditModel model;
  model.open(functionData);
  ASSERT_EQ(model.rowCount(), 9);
  EXPECT_EQ(model.index(), 0);
  EXPECT_EQ(model.row(8), "n    = 12");
  EXPECT_FALSE(model.chooseRow(-1));  // a double-click with no row selected
  EXPECT_FALSE(model.chooseRow(9));
  EXPECT_EQ(model.index(), 0);
  ASSERT_TRUE(model.chooseRow(8));
  EXPECT_EQ(model.editText(), "n    = 12");
  model.edited("n    = 24");
  EXPECT_STREQ(functionData[kFdSteps].value, "12");  // not before it is accepted
  model.edited(std::string(200, 'x'));
  EXPECT_EQ(model.row(8).size(), 118u);  // the edit field hands over 118 characters
  model.edited("n    = 24");
  model.acceptAll();
  EXPECT_STREQ(functionData[kFdSteps].value, "24");
  // The program writes an entry: its row shows it, and the edit field too
  // when it is the row being edited.
  acceptLine(functionData[kFdSteps], "n    = 48");
  EXPECT_TRUE(model.refreshRow(kFdSteps));
  EXPECT_EQ(model.row(8), "n    = 48");
  EXPECT_FALSE(model.refreshRow(1));
  EXPECT_FALSE(model.refreshRow(99));
  // Closing accepts: there is no way to discard edits.
  model.chooseRow(1);
  model.edited("a    = 7");
  model.close();
  EXPECT_STREQ(functionData[2].value, "7");
  EXPECT_FALSE(model.isOpen());
}

TEST(PlotTools, StepKeysAndFitGraphWriteThroughAcceptLineAndTellTheListener) {
  initFunctionData();
  initGraphData();
  std::vector<int> told;
  setEntryListener([&](const DataEntry* record, int entry) {
    told.push_back(record == functionData ? entry : 100 + entry);
  });
  EXPECT_EQ(changeStepsEntry(1), "n = 24");
  EXPECT_EQ(changeStepsEntry(-1), "n = 12");
  EXPECT_STREQ(functionData[kFdSteps].line, "n    = 12");
  const FitOutcome fit = fitGraphEntries(programContext(), nullptr);
  EXPECT_TRUE(fit.changed);
  EXPECT_EQ(fit.note.rfind("Fitted x ", 0), 0u);
  EXPECT_EQ(told.size(), 2u + 6u);  // n twice, then x0 x1 y0 y1 t1 t2
  setEntryListener(nullptr);
}

}  // namespace
}  // namespace tavex
