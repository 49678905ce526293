// The evaluations of one draw pass in their order: the curve through the
// graph data's points, then the sums; and the probe's three evaluations.
// Drawing goes to caller-supplied sinks, so a plot procedure drawing on a
// canvas can use these unchanged.
#pragma once

#include "data/records.h"
#include "expr/function_evaluator.h"
#include "plot/sums.h"

namespace tavex {

// The x range of the world window and the number of curve segments.
struct CurveRange {
  double x0 = 0.0;
  double x1 = 0.0;
  int points = 0;
};

// Reads the curve range from the graph data as it stands.
CurveRange readCurveRange();

// Receives the curve as a polyline in world coordinates.
class CurveDrawing {
 public:
  virtual ~CurveDrawing() = default;
  virtual void moveTo(double x, double y) = 0;
  virtual void lineTo(double x, double y) = 0;
};

// y = f(x) over [xa, xb] in steps segments: f(xa) first, then x = xa + i*h
// for i = 1 ... steps, each computed from i. steps + 1 evaluations (one when
// steps <= 0). curve may be null.
void traceCurve(FunctionEvaluator& evaluator, double xa, double xb, int steps,
                CurveDrawing* curve);

// One draw pass's evaluations: the curve over the graph data's range, then,
// for n >= 2, the sums in their fixed order. Either sink may be null.
RiemannSums drawPassEvaluations(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                                const CurveRange& range, CurveDrawing* curve,
                                StepDrawing* steps);

// The probe's readings at world x: y = f(x), then f(x + 0.001) and
// f(x - 0.001), with central differences for f' and f''.
inline constexpr double kProbeStep = 0.001;
struct ProbeReadings {
  double x = 0.0;
  double y = 0.0;
  double d1 = 0.0;
  double d2 = 0.0;
};
ProbeReadings probeReadings(FunctionEvaluator& evaluator, double x);

// The data panel's text lines of a draw pass: the lines of entries 2 to 6,
// then for n >= 2 those of entries 7, 8 and 9 and the readouts.
struct DataPanelLines {
  static constexpr int kMaxLines = 5 + 3 + ReadoutLines::kMaxLines;
  char lines[kMaxLines][DataEntry::kLineSize];
  int count = 0;
};
DataPanelLines dataPanelLines(const FunctionInterval& interval, const RiemannSums& sums);

}  // namespace tavex
