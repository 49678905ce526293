// SPDX-License-Identifier: GPL-3.0-or-later
// Many passes in one process through the front ends' layer: memory stays
// flat once the first hundred have run.
#include <gtest/gtest.h>

#include "data/records.h"
#include "graphics/null_canvas.h"
#include "session/pass_runner.h"
#include "session/state.h"
#include "tests/support/resident_memory.h"

namespace tavex {
namespace {

TEST(Soak, TenThousandDrawAndProbePassesKeepResidentMemoryFlat) {
  initFunctionData();
  initGraphData();
  const int passes = testing::kUnderSanitizer ? 1000 : 10000;
  NullWindow window(640, 480);
  GraphFrame frame(&window);
  long long afterHundred = 0;
  for (int i = 0; i < passes; ++i) {
    PlotContext context = programContext();
    const PassResult draw = runPass(context, frame, kDrawPass, kToWindow, nullptr);
    keepPass(draw);
    context.probeEnabled = draw.probeEnabled;
    context.mouseX = 100 + i % 400;
    context.mouseY = 200;
    keepPass(runPass(context, frame, kProbePass, kToWindow, nullptr));
    if (i == 99) afterHundred = testing::residentBytes();
  }
  finishOutput(frame);
  EXPECT_EQ(lastDrawPass().dataPanel.count, 14);
  EXPECT_TRUE(lastProbePass().ran);
  if (!testing::kUnderSanitizer) {
    EXPECT_LE(testing::residentBytes() - afterHundred, 1 << 20);
  }
}

}  // namespace
}  // namespace tavex
