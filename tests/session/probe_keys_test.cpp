// SPDX-License-Identifier: GPL-3.0-or-later
// The probe moved by keys: by device units within the frame, and to the
// next zero, extremum or inflection point, with what the status line says.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/records.h"
#include "graphics/null_canvas.h"
#include "session/probe_keys.h"
#include "session/state.h"

namespace tavex {
namespace {

class ProbeKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    initFunctionData(), initGraphData();
    acceptLine(graphData[kGdX1], "x1        = 10");
  }
  void TearDown() override {
    finishOutput(frame);
    initFunctionData(), initGraphData();
  }
  void draw(const char* y) {
    acceptLine(functionData[kFdFunction], y);
    plot(programContext(), frame, kDrawPass, kToWindow);
  }
  ProbeFind find(double x, FeatureKind kind, int direction) {
    return findFromProbe(programContext(), frame, x, kind, direction, nullptr);
  }
  NullWindow window;
  GraphFrame frame{&window};
};

TEST_F(ProbeKeys, StepsByDeviceUnitsWithinTheFrame) {
  draw("y    = sin(x)");
  const double x = probeShifted(frame, 5.0, 1);
  EXPECT_EQ(frame.mapX(x), frame.mapX(5.0) + 1);
  EXPECT_EQ(frame.mapX(probeShifted(frame, 5.0, -10)), frame.mapX(5.0) - 10);
  EXPECT_EQ(probeShifted(frame, 9.99, 10), 10.0);  // held at the edge
  EXPECT_EQ(probeShifted(frame, 0.0, -1), 0.0);
}

TEST_F(ProbeKeys, NextPointsAndWhatTheStatusLineSays) {
  draw("y    = sin(x)");
  struct Case {
    double from;
    FeatureKind kind;
    int direction;
    std::string status;  // its start
    double x;            // NAN: none
  };
  const double pi = 3.14159265358979323846;
  const Case cases[] = {
      {0.5, FeatureKind::Zero, 1, "zero at x = 3.1415926536, f = ", pi},
      {pi, FeatureKind::Zero, 1, "on a zero already; next zero at x = 6.2831853072, f = ", 2 * pi},
      {0.5, FeatureKind::Maximum, 1, "maximum at x = 1.5707963, f = 1.0000000000", pi / 2},
      {5.0, FeatureKind::Minimum, 1, "maximum at x = 7.8539816, f = 1.0000000000", 2.5 * pi},
      {5.0, FeatureKind::Inflection, -1, "inflection point at x = 3.1415927, f = ", pi},
      {9.5, FeatureKind::Zero, 1, "no zero to the right of x = 9.5 up to the window's edge at x = 10",
       NAN},
      {0.5, FeatureKind::Zero, -1, "zero at x = 0.0000000000, f = 0", 0.0},  // at the edge
      {0.5, FeatureKind::Maximum, -1,
       "no extremum to the left of x = 0.5 down to the window's edge at x = 0", NAN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    const ProbeFind f = find(c.from, c.kind, c.direction);
    EXPECT_EQ(f.status.substr(0, c.status.size()), c.status);
    EXPECT_EQ(f.found, !std::isnan(c.x));
    if (f.found) {
      EXPECT_NEAR(f.x, c.x, (c.kind == FeatureKind::Zero ? 1e-10 : 1e-7) * std::max(1.0, c.x));
    }
  }
}

TEST_F(ProbeKeys, PolesAndFlatFunctionsAreSaid) {
  draw("y    = 1/(x - 3)");
  EXPECT_EQ(find(1, FeatureKind::Zero, 1).status,
            "no zero to the right of x = 1 up to the window's edge at x = 10; f could not be "
            "resolved near x = 3.00000 (a pole, a jump or a kink?)");
  draw("y    = 0*x");
  EXPECT_EQ(find(1, FeatureKind::Zero, 1).status, "f is 0 all over the window");
}

}  // namespace
}  // namespace tavex
