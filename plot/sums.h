// SPDX-License-Identifier: GPL-3.0-or-later
// The six approximations of the integral of f over [x1, x2] with n steps:
// upper, lower, trapezoidal, midpoint and Simpson sums and a Gauss-Legendre
// reference value, each in its fixed order of evaluation (a failed
// evaluation returns a stale value, so the order decides what is shown).
#pragma once

#include "data/records.h"
#include "expr/function_evaluator.h"

namespace tavex {

struct RiemannSums {
  double SumU = 0.0;
  double SumL = 0.0;
  double SumT = 0.0;
  double SumM = 0.0;
  double SumS = 0.0;
  double Exact = 0.0;
  // The left and right rectangle sums, from the walk's evaluations.
  double SumLeft = 0.0;
  double SumRight = 0.0;
  bool simpsonShown = false;
};

inline constexpr int kExactPanels = 30;

// Sums are computed for n >= 2; Simpson's rule only for even n.
inline bool sumsWanted(const FunctionInterval& interval) { return interval.n >= 2; }
inline bool simpsonShown(const FunctionInterval& interval) { return interval.n % 2 == 0; }

// Which rule's shapes a draw pass shows: the upper and lower outlines (the
// default), or the rectangles, trapezoids or parabolas of one rule.
enum class SumRule { UpperLower, Left, Right, Midpoint, Trapezoid, Simpson };
inline constexpr int kSumRules = 6;
// "Upper and Lower", "Left", "Right", "Midpoint", "Trapezoid", "Simpson".
const char* ruleName(SumRule rule);
// "upperlower", "left", "right", "midpoint", "trapezoid", "simpson".
const char* ruleKeyword(SumRule rule);
// The rule of a keyword; false when it is none.
bool ruleFromKeyword(const char* keyword, SumRule& rule);

// Receives the rectangle walk as it goes, for drawing the step outlines.
class StepDrawing {
 public:
  virtual ~StepDrawing() = default;
  // The left end of the interval, before the first step.
  virtual void start(double x1, double f1) = 0;
  // One step from (p, fp) to (x, fx), before the sums take it in.
  virtual void step(double p, double fp, double x, double fx) = 0;
};

// Receives a rule's shapes from the sum that evaluates their values, as it
// evaluates them, for drawing.
class ShapeDrawing {
 public:
  virtual ~ShapeDrawing() = default;
  // The area between the axis and the straight top from (xa, ya) to
  // (xb, yb): a rectangle when ya equals yb, else a trapezoid.
  virtual void trapezoid(double xa, double ya, double xb, double yb) = 0;
  // The area between the axis and the parabola through the three points.
  virtual void parabola(double xa, double ya, double xm, double ym, double xb, double yb) = 0;
};

// Composite 10-point Gauss-Legendre integral over equal panels; 0 without
// evaluating when panels < 1.
double gaussLegendre10(FunctionEvaluator& evaluator, double a, double b, int panels);

// Simpson's rule; meant for even n >= 2. With shapes, each pair of steps'
// parabola goes there as soon as its three values are in.
double simpsonSum(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                  ShapeDrawing* shapes = nullptr);

struct MidpointTrapezoid {
  double SumM = 0.0;
  double SumT = 0.0;
};
// With shapes, each step's midpoint rectangle (rule Midpoint) or trapezoid
// (rule Trapezoid) goes there.
MidpointTrapezoid midpointTrapezoidSums(FunctionEvaluator& evaluator,
                                        const FunctionInterval& interval,
                                        SumRule rule = SumRule::UpperLower,
                                        ShapeDrawing* shapes = nullptr);

struct UpperLower {
  double SumU = 0.0;
  double SumL = 0.0;
  double SumLeft = 0.0;   // h times each step's left end value
  double SumRight = 0.0;  // and its right end value
};
// Walks the n steps; drawing may be null.
UpperLower rectangleWalk(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                         StepDrawing* drawing);

// All of them in draw-pass order: Exact, SumS (even n), SumM and SumT, then
// the walk with SumU, SumL, SumLeft and SumRight. Nothing is evaluated when
// n < 2. With rule UpperLower the walk goes to drawing; with another rule
// its shapes go to shapes from the sum that evaluates them, and drawing
// gets nothing. The evaluations are the same for every rule.
RiemannSums computeSums(FunctionEvaluator& evaluator, const FunctionInterval& interval,
                        StepDrawing* drawing, SumRule rule = SumRule::UpperLower,
                        ShapeDrawing* shapes = nullptr);

// The readout lines, in display order, each at most 79 characters.
struct ReadoutLines {
  static constexpr int kMaxLines = 6;
  static constexpr int kLineSize = 80;
  char lines[kMaxLines][kLineSize];
  int count = 0;
};
// "SumU  = %.10f" ... "Exact = %.10f", SumS only when simpsonShown. A value
// whose fixed text would not fit in 79 characters is shown as "%.10e".
ReadoutLines sumReadouts(const RiemannSums& sums);
// The left and right sums in the same forms: "SumLeft  = %.10f" and
// "SumRight = %.10f". The data panel does not show them.
ReadoutLines sideReadouts(const RiemannSums& sums);
// Where the value starts in a line of sumReadouts and of sideReadouts.
inline constexpr int kReadoutValueAt = 8;
inline constexpr int kSideReadoutValueAt = 11;

}  // namespace tavex
