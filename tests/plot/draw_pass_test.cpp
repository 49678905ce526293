#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plot/draw_pass.h"
#include "plot_test_support.h"

namespace tavex {
namespace {

using testing::LoggingEvaluator;
using testing::setFunctionData;

class DrawPass : public ::testing::Test {
 protected:
  void TearDown() override {
    initFunctionData();
    initGraphData();
  }
};

struct CurveRecorder : CurveDrawing {
  std::vector<std::string> calls;
  void moveTo(double x, double y) override { add("move", x, y); }
  void lineTo(double x, double y) override { add("line", x, y); }
  void add(const char* what, double x, double y) {
    char text[80];
    std::snprintf(text, sizeof text, "%s %.17g %.17g", what, x, y);
    calls.push_back(text);
  }
};

TEST_F(DrawPass, DefaultPassEvaluatesCurveThenSums) {
  LoggingEvaluator ev;
  CurveRecorder curve;
  const RiemannSums sums =
      drawPassEvaluations(ev, readFunctionInterval(), readCurveRange(), &curve, nullptr);
  ASSERT_EQ(ev.xs.size(), 501u + 362u);
  const double h = 5.0 / 500;
  for (int i = 0; i <= 500; ++i) ASSERT_EQ(ev.xs[static_cast<size_t>(i)], 0.0 + i * h) << i;
  ASSERT_EQ(curve.calls.size(), 501u);
  EXPECT_EQ(curve.calls[0], "move 0 1");  // exp(sin(0))
  EXPECT_EQ(curve.calls[500].substr(0, 7), "line 5 ");
  // Exact's first node follows, then Simpson's rule from x1.
  const double w = (4.0 - 1.0) / 30, d = w * 0.5, m = (1 * w + 1.0) - d;
  EXPECT_EQ(ev.xs[501], d * 0.148874338981631 + m);
  EXPECT_EQ(ev.xs[801], 1.0);
  EXPECT_TRUE(sums.simpsonShown);
}

TEST_F(DrawPass, CurveWithFewOrNoSegments) {
  struct Case {
    int steps;
    std::vector<double> xs;
    size_t calls;
  };
  const Case cases[] = {{1, {0.5, 2.0}, 2}, {0, {0.5}, 1}, {-2, {0.5}, 1}, {3, {0.5, 1.0, 1.5, 2.0}, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    LoggingEvaluator ev([](double x) { return 2 * x; });
    CurveRecorder curve;
    traceCurve(ev, 0.5, 2.0, c.steps, &curve);
    EXPECT_EQ(ev.xs, c.xs);
    ASSERT_EQ(curve.calls.size(), c.calls);
    EXPECT_EQ(curve.calls[0], "move 0.5 1");
  }
}

TEST_F(DrawPass, CurveRangeFromGraphData) {
  CurveRange r = readCurveRange();
  EXPECT_EQ(r.x0, 0.0);
  EXPECT_EQ(r.x1, 5.0);
  EXPECT_EQ(r.points, 500);
  acceptLine(graphData[kGdX0], "x0        = -2.5");
  acceptLine(graphData[kGdPoints], "n         = 20 points");
  r = readCurveRange();
  EXPECT_EQ(r.x0, -2.5);
  EXPECT_EQ(r.points, 20);
}

TEST_F(DrawPass, ProbeReadingsAtTheWindowEdges) {
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

TEST_F(DrawPass, DataPanelLinesDependOnN) {
  struct Case {
    const char* n;
    std::vector<std::string> tail;  // after the five parameter lines
  };
  const Case cases[] = {
      {"12",
       {"x1   = 1", "x2   = 4", "n    = 12", "SumU  = 5.4857108520", "SumL  = 4.8272055958",
        "SumT  = 5.1564582239", "SumM  = 5.1686823794", "SumS  = 5.1646833897",
        "Exact = 5.1646028130"}},
      {"3",
       {"x1   = 1", "x2   = 4", "n    = 3", "SumU  = 6.1167182925", "SumL  = 3.9405038471",
        "SumT  = 5.0286110698", "SumM  = 5.2349543833", "Exact = 5.1646028130"}},
      {"1", {}},
      {"0", {}},
      {"-4", {}},
      {"many", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    initFunctionData();
    setFunctionData({{"n", c.n}});
    LoggingEvaluator ev;
    const FunctionInterval& fi = readFunctionInterval();
    const RiemannSums sums = drawPassEvaluations(ev, fi, readCurveRange(), nullptr, nullptr);
    const DataPanelLines panel = dataPanelLines(fi, sums);
    std::vector<std::string> expected = {"a    = 1", "b    = 1", "c    = 1", "d    = 1",
                                         "e    = 1"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(std::vector<std::string>(panel.lines, panel.lines + panel.count), expected);
    if (c.tail.empty()) {
      EXPECT_EQ(ev.xs.size(), 501u);  // the curve only
    }
  }
}

}  // namespace
}  // namespace tavex
