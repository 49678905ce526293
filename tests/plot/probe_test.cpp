// SPDX-License-Identifier: GPL-3.0-or-later
// The probe's formulas and the order of its three evaluations.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "plot/plot.h"
#include "plot_test_support.h"

namespace tavex {
namespace {

using testing::LoggingEvaluator;

TEST(Probe, ReadingsAtTheWindowEdgesAndTheirEvaluationOrder) {
  struct Case {
    double x;
    const char* text;
  };
  const Case cases[] = {{0.0, "0.00000 1.00000 1.00000 1.00000"},
                        {5.0, "5.00000 0.38330 0.10873 0.39840"}};
  for (const Case& c : cases) {
    LoggingEvaluator ev;
    const ProbeReadings r = probeReadings(ev, c.x);
    char text[120];
    std::snprintf(text, sizeof text, "%.5f %.5f %.5f %.5f", r.x, r.y, r.d1, r.d2);
    EXPECT_STREQ(text, c.text);
    EXPECT_EQ(ev.xs, (std::vector<double>{c.x, c.x + 0.001, c.x - 0.001}));
  }
}

}  // namespace
}  // namespace tavex
