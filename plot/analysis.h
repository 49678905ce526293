// SPDX-License-Identifier: GPL-3.0-or-later
// f on an interval as Chebyshev pieces (plot/chebyshev.h), sampled through
// its FunctionEvaluator, and what they tell: the largest |f'|, |f''| and
// |f''''| with where each is reached, and the zeros, extrema and inflection
// points of f. One Chebyshev interpolant of f to rounding level, on [a, b]
// or, where f is not smooth enough for 2^14 + 1 points, on halves of it
// down to pieces that are; its derivatives are exact derivatives of the
// interpolant, accurate to about 1e-12 for smooth f where finite
// differences of f could not get past 1e-8. Zeros are then refined on f
// itself, by bisection on its sign.
#pragma once

#include <string>
#include <vector>

#include "data/records.h"
#include "expr/function_evaluator.h"
#include "plot/chebyshev.h"

namespace tavex {

// A part of the interval where f has no piece, and why.
struct FitGap {
  enum class Reason {
    Failed,      // an evaluation of f failed (at x)
    NotANumber,  // f gave NaN (at x)
    Infinite,    // f gave an infinity (at x)
    Unresolved,  // f did not settle even on the narrowest pieces: a pole, a jump, a kink
    TooMuchWork, // the pieces would need more evaluations than the fit may make
  };
  double a = 0.0;
  double b = 0.0;
  Reason reason = Reason::Unresolved;
  double x = 0.0;  // where: the first bad x, else the middle
};

struct FunctionFit {
  double a = 0.0;  // the interval, a <= b
  double b = 0.0;
  std::vector<ChebSeries> pieces;  // in increasing x; where one is missing, a gap
  std::vector<FitGap> gaps;
  EvaluationFailure failure;  // the first failed evaluation of the fit
  double vscale = 0.0;        // the largest |f| sampled
  long long evaluations = 0;
  bool complete() const { return gaps.empty() && !pieces.empty(); }
};

// Evaluations a fit may make: 2^14 + 1 for the whole interval, then its
// pieces of up to 2^7 + 1 points each.
inline constexpr int kFitMaxPoints = 1 << 14;
inline constexpr int kPieceMaxPoints = 1 << 7;
inline constexpr long long kFitBudget = 1 << 18;

// f on [min(a, b), max(a, b)]. Nothing is evaluated when a or b is not finite.
FunctionFit fitFunction(FunctionEvaluator& evaluator, double a, double b);

// "f failed at x = 0.00000 (y: Divide by Zero at column 11)", "f is not
// finite at x = 0.30000 (a pole?)", "f could not be resolved near x =
// 0.30000 (a pole, a jump or a kink?)".
std::string gapText(const FitGap& gap, const FunctionFit& fit, const DataEntry* record);

// max |f^(order)| over the fit's interval, with the leftmost x where it is
// reached; not known (why says so) where the fit has a gap or a lower
// derivative jumps between two pieces.
struct DerivativeMax {
  bool known = false;
  double value = 0.0;
  double at = 0.0;
  std::string why;
};
DerivativeMax derivativeMax(const FunctionFit& fit, int order, const DataEntry* record);

enum class FeatureKind { Zero, Maximum, Minimum, Inflection };
struct Feature {
  FeatureKind kind = FeatureKind::Zero;
  double x = 0.0;
  double f = 0.0;  // f(x), evaluated
};
// "zero", "max", "min", "inflection".
const char* featureName(FeatureKind kind);

// Every zero (a sign change of f, or an extremum where f is 0 to rounding),
// maximum and minimum (sign changes of f') and inflection point (of f'') on
// the fit's pieces, in increasing x (at one x: zero, extremum, inflection).
// Zeros are refined on f; each point's f is evaluated.
std::vector<Feature> findFeatures(FunctionEvaluator& evaluator, const FunctionFit& fit);

}  // namespace tavex
