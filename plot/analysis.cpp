// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tavex {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();
// How far below the largest |f| a piece's own scale may be for the chop.
constexpr double kScaleRatioLimit = 1e4;
// The chop's tolerance for a noisy piece: a plateau up to about 2e-7 of it.
constexpr double kNoisyTol = 1e-10;
// Failed pieces of one size beyond which halving stops.
constexpr int kFailuresPerSize = 4;
// A derivative maximum is given when the pieces' accuracy allows it to this.
constexpr double kDerivativeTrust = 1e-4;

std::string fixed5(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.5f", x);
  return text;
}

// Builds the pieces of a fit: the whole interval first, then halves.
class Fitter {
 public:
  Fitter(FunctionEvaluator& evaluator, FunctionFit& fit) : evaluator_(evaluator), fit_(fit) {
    const double width = fit.b - fit.a;
    const double size = std::max({1.0, std::fabs(fit.a), std::fabs(fit.b)});
    // Below this a piece's points are closer than the abscissa's 14 decimals.
    minWidth_ = std::max(width * 1e-12, size * 1e-12);
  }
  // Tries [lo, hi] with up to maxPoints + 1 points; true with a piece added.
  bool attempt(double lo, double hi, int maxPoints);
  // Adds the piece with the coefficients c when they reach rounding level
  // at tol; its accuracy is the level of what is dropped.
  bool keep(ChebSeries& piece, std::vector<double>& c, double tol);
  // [lo, hi] in pieces of up to kPieceMaxPoints + 1 points, or gaps;
  // depth counts the halvings that made it.
  void split(double lo, double hi, int depth);

 private:
  // f at xs into fs; false (and the trouble noted) when f failed or was not
  // finite somewhere. all is set when it was so everywhere.
  bool sample(const std::vector<double>& xs, std::vector<double>& fs, bool& all);
  void addGap(double lo, double hi, FitGap::Reason reason, double x);

  FunctionEvaluator& evaluator_;
  FunctionFit& fit_;
  double minWidth_ = 0.0;
  FitGap::Reason trouble_ = FitGap::Reason::Unresolved;
  double troubleX_ = 0.0;
  bool allBad_ = false;        // the last attempt found f bad at every point
  std::vector<int> failures_;  // failed pieces of each depth
};

bool Fitter::sample(const std::vector<double>& xs, std::vector<double>& fs, bool& all) {
  fs.resize(xs.size());
  int bad = 0;
  bool first = true;
  for (std::size_t j = 0; j < xs.size(); ++j) {
    fs[j] = evaluator_.evaluate(xs[j]);
    ++fit_.evaluations;
    const bool failed = evaluator_.lastStatus() != 0;
    if (!failed && std::isfinite(fs[j])) {
      fit_.vscale = std::max(fit_.vscale, std::fabs(fs[j]));
      continue;
    }
    if (failed && !fit_.failure.recorded) fit_.failure = evaluator_.firstFailure();
    if (first) {
      trouble_ = failed              ? FitGap::Reason::Failed
                 : std::isnan(fs[j]) ? FitGap::Reason::NotANumber
                                     : FitGap::Reason::Infinite;
      troubleX_ = xs[j];
      first = false;
    }
    ++bad;
  }
  all = bad == static_cast<int>(xs.size());
  return bad == 0;
}

bool Fitter::attempt(double lo, double hi, int maxPoints) {
  ChebSeries piece{lo, hi, {}};
  std::vector<double> values, fresh, xs;
  trouble_ = FitGap::Reason::Unresolved;
  troubleX_ = 0.5 * (lo + hi);
  allBad_ = false;
  for (int n = 16;; n *= 2) {
    // The points of n are every other point of 2n: only the new ones are sampled.
    const std::vector<double> t = chebPoints(n);
    const int step = n == 16 ? 1 : 2;
    xs.clear();
    for (int j = n == 16 ? 0 : 1; j <= n; j += step) xs.push_back(piece.toX(t[j]));
    if (fit_.evaluations + static_cast<long long>(xs.size()) > kFitBudget) {
      trouble_ = FitGap::Reason::TooMuchWork;
      return false;
    }
    if (!sample(xs, fresh, allBad_)) return false;
    if (n == 16) {
      values = fresh;
    } else {
      std::vector<double> merged(static_cast<std::size_t>(n) + 1);
      for (int j = 0; j <= n; ++j) merged[j] = j % 2 == 0 ? values[j / 2] : fresh[j / 2];
      values.swap(merged);
    }
    std::vector<double> c = chebCoefficients(values);
    // Rounding is judged against the largest |f| seen anywhere, as chebfun
    // judges a piece against the whole function's scale, up to a limit: a
    // piece far below a pole's values still gets its own shape.
    double local = 0.0;
    for (double v : values) local = std::max(local, std::fabs(v));
    const double tol =
        local > 0 ? kEps * std::clamp(fit_.vscale / local, 1.0, kScaleRatioLimit) : kEps;
    if (keep(piece, c, tol)) return true;
    // A piece as wide as it may be, whose coefficients level out above
    // rounding, is smooth but noisy (f computed with cancellation): kept,
    // with its accuracy, where halving would only meet the same noise.
    if (n >= maxPoints) return maxPoints == kPieceMaxPoints && keep(piece, c, kNoisyTol);
  }
}

bool Fitter::keep(ChebSeries& piece, std::vector<double>& c, double tol) {
  const std::size_t kept = standardChop(c, tol);
  if (kept >= c.size()) return false;
  double tail = 0.0;
  for (std::size_t j = kept; j < c.size(); ++j) tail = std::max(tail, std::fabs(c[j]));
  c.resize(kept);
  piece.c = std::move(c);
  piece.accuracy = std::max(2 * tail, 4 * kEps * fit_.vscale);
  fit_.pieces.push_back(std::move(piece));
  return true;
}

// How much a gap's reason tells: a failed evaluation most, running out of
// evaluations least.
int reasonRank(FitGap::Reason reason) {
  switch (reason) {
    case FitGap::Reason::Failed: return 0;
    case FitGap::Reason::Infinite: return 1;
    case FitGap::Reason::NotANumber: return 2;
    case FitGap::Reason::Unresolved: return 3;
    case FitGap::Reason::TooMuchWork: return 4;
  }
  return 4;
}

// into spans both gaps, with the reason that tells more.
void mergeGap(FitGap& into, const FitGap& gap) {
  into.a = std::min(into.a, gap.a);
  into.b = std::max(into.b, gap.b);
  if (reasonRank(gap.reason) < reasonRank(into.reason)) {
    into.reason = gap.reason;
    into.x = gap.x;
  }
}

void Fitter::addGap(double lo, double hi, FitGap::Reason reason, double x) {
  const FitGap gap{lo, hi, reason, x};
  if (!fit_.gaps.empty() && fit_.gaps.back().b == lo &&
      (fit_.pieces.empty() || fit_.pieces.back().b <= fit_.gaps.back().a)) {
    mergeGap(fit_.gaps.back(), gap);
    return;
  }
  fit_.gaps.push_back(gap);
}

void Fitter::split(double lo, double hi, int depth) {
  if (attempt(lo, hi, kPieceMaxPoints)) return;
  // A pole, jump or kink fails one or two pieces of each size; more of one
  // size make a region where f is noise or undefined: no halving there.
  if (static_cast<int>(failures_.size()) <= depth) failures_.resize(depth + 1, 0);
  const bool crowded = ++failures_[depth] > kFailuresPerSize;
  if (allBad_ || crowded || trouble_ == FitGap::Reason::TooMuchWork || hi - lo <= minWidth_) {
    addGap(lo, hi, trouble_, troubleX_);
    return;
  }
  const double mid = lo + 0.5 * (hi - lo);
  split(lo, mid, depth + 1);
  split(mid, hi, depth + 1);
}

// Gaps with only slivers of pieces between them are one gap: the slivers
// are noise that happened to settle.
void coalesceGaps(FunctionFit& fit) {
  const double close = 1e-6 * (fit.b - fit.a);
  std::vector<FitGap> gaps;
  for (const FitGap& gap : fit.gaps) {
    if (!gaps.empty() && gap.a - gaps.back().b <= close)
      mergeGap(gaps.back(), gap);
    else
      gaps.push_back(gap);
  }
  std::vector<ChebSeries> pieces;
  for (ChebSeries& piece : fit.pieces) {
    bool inside = false;
    for (const FitGap& gap : gaps) inside = inside || (piece.a >= gap.a && piece.b <= gap.b);
    if (!inside) pieces.push_back(std::move(piece));
  }
  fit.gaps = std::move(gaps);
  fit.pieces = std::move(pieces);
}

// The derivatives of a piece from order 0 up to top.
std::vector<ChebSeries> derivatives(const ChebSeries& piece, int top) {
  std::vector<ChebSeries> d{piece};
  for (int k = 1; k <= top; ++k) d.push_back(d.back().derivative());
  return d;
}

const char* derivativeName(int order) {
  static const char* const names[] = {"f", "f'", "f''", "f'''", "f''''", "f'''''"};
  return order >= 0 && order <= 5 ? names[order] : "f";
}

// How far the piece's derivative of the given order may be off: its
// accuracy through Markov's inequality for polynomials of its length.
double derivativeError(const ChebSeries& piece, int order) {
  const double m = static_cast<double>(piece.c.size());
  double error = piece.accuracy;
  for (int i = 0; i < order; ++i) error *= (m * m - i * i) / (2 * i + 1) * 2 / (piece.b - piece.a);
  return error;
}

// Where a derivative below order jumps between two pieces; empty when none does.
std::string derivativeJump(const FunctionFit& fit, int order) {
  std::vector<std::vector<ChebSeries>> d;
  for (const ChebSeries& piece : fit.pieces) d.push_back(derivatives(piece, order));
  for (int j = 0; j < order; ++j) {
    double scale = 0.0;
    for (const auto& piece : d) scale = std::max(scale, piece[j].bound());
    for (std::size_t i = 0; i + 1 < d.size(); ++i) {
      const double left = d[i][j].atT(1.0), right = d[i + 1][j].atT(-1.0);
      if (std::fabs(left - right) > 1e-5 * scale)
        return derivativeName(j) + std::string(" jumps at x = ") + fixed5(fit.pieces[i].b) +
               (j == 0   ? " (a jump)"
                : j == 1 ? " (a kink)"
                         : "");
    }
  }
  return {};
}

int signOf(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Bisects f's sign change between a and b down to the abscissa's 14
// decimals; the end with the smaller |f|.
Feature bisectZero(FunctionEvaluator& evaluator, double a, double fa, double b, double fb) {
  for (;;) {
    const double m = a + 0.5 * (b - a);
    if (m <= a || m >= b || b - a <= 1e-14) break;
    const double fm = evaluator.evaluate(m);
    if (fm == 0.0) return {FeatureKind::Zero, m, fm};
    if (signOf(fm) == signOf(fa)) {
      a = m;
      fa = fm;
    } else {
      b = m;
      fb = fm;
    }
  }
  return std::fabs(fa) <= std::fabs(fb) ? Feature{FeatureKind::Zero, a, fa}
                                        : Feature{FeatureKind::Zero, b, fb};
}

// The interpolant's zero r refined on f itself: a bracket around r, widened
// until f changes sign across it, then bisection. Without a sign change of
// f close by, r stays.
Feature refineZero(FunctionEvaluator& evaluator, double r, const FunctionFit& fit) {
  const double fr = evaluator.evaluate(r);
  if (fr == 0.0) return {FeatureKind::Zero, r, fr};
  double delta = 1e-12 * std::max({1.0, std::fabs(r), fit.b - fit.a});
  for (int tries = 0; tries < 6; ++tries, delta *= 16) {
    const double a = std::max(fit.a, r - delta), b = std::min(fit.b, r + delta);
    const double fa = evaluator.evaluate(a), fb = evaluator.evaluate(b);
    if (signOf(fa) * signOf(fb) < 0) return bisectZero(evaluator, a, fa, b, fb);
    if (fa == 0.0 || fb == 0.0) return {FeatureKind::Zero, fa == 0.0 ? a : b, 0.0};
  }
  return {FeatureKind::Zero, r, fr};
}

// Whether p is 0 at x as far as x and the values can tell: within 1e-13
// relative of x, or at rounding level of f.
bool zeroAt(const std::vector<ChebSeries>& d, double x, double vscale) {
  const double slack = 1e-13 * std::max(1.0, std::fabs(x)) * std::fabs(d[1](x));
  return std::fabs(d[0](x)) <= slack + 4 * kEps * vscale;
}

// The sign changes of f, f' and f'' on one piece, and across its end into
// the next piece when that follows without a gap. Zeros are not refined yet.
void pieceFeatures(const FunctionFit& fit, std::size_t i, std::vector<Feature>& out) {
  const std::vector<ChebSeries> d = derivatives(fit.pieces[i], 2);
  static constexpr FeatureKind kinds[3] = {FeatureKind::Zero, FeatureKind::Maximum,
                                           FeatureKind::Inflection};
  auto kindOf = [](int order, int signBefore) {
    if (order != 1) return kinds[order];
    return signBefore > 0 ? FeatureKind::Maximum : FeatureKind::Minimum;
  };
  for (int order = 0; order <= 2; ++order) {
    // A derivative that the piece's accuracy leaves in doubt has no say.
    if (derivativeError(fit.pieces[i], order) > 1e-3 * d[order].bound()) continue;
    for (const SignChange& s : signChanges(d[order], 1e-13 * d[order].bound()))
      out.push_back({kindOf(order, s.signBefore), s.x, 0.0});
  }
  const ChebSeries& piece = fit.pieces[i];
  if (piece.a == fit.a && zeroAt(d, fit.a, fit.vscale))
    out.push_back({FeatureKind::Zero, fit.a, 0.0});
  if (piece.b == fit.b && zeroAt(d, fit.b, fit.vscale))
    out.push_back({FeatureKind::Zero, fit.b, 0.0});
  if (i + 1 >= fit.pieces.size() || fit.pieces[i + 1].a != piece.b) return;
  const std::vector<ChebSeries> next = derivatives(fit.pieces[i + 1], 2);
  for (int order = 0; order <= 2; ++order) {
    const double left = d[order].atT(1.0), right = next[order].atT(-1.0);
    const bool crosses = signOf(left) * signOf(right) < 0;
    if (crosses || (order == 0 && zeroAt(d, piece.b, fit.vscale)))
      out.push_back({kindOf(order, signOf(left)), piece.b, 0.0});
  }
}

}  // namespace

FunctionFit fitFunction(FunctionEvaluator& evaluator, double a, double b) {
  FunctionFit fit;
  fit.a = std::min(a, b);
  fit.b = std::max(a, b);
  if (!std::isfinite(a) || !std::isfinite(b) || fit.a == fit.b) return fit;
  Fitter fitter(evaluator, fit);
  if (fitter.attempt(fit.a, fit.b, kFitMaxPoints)) return fit;
  // Not smooth enough for one piece: halves, as chebfun splits.
  fitter.split(fit.a, fit.b, 0);
  coalesceGaps(fit);
  return fit;
}

std::string gapText(const FitGap& gap, const FunctionFit& fit, const DataEntry* record) {
  switch (gap.reason) {
    case FitGap::Reason::Failed:
      return "f failed at x = " + fixed5(fit.failure.recorded ? fit.failure.x : gap.x) + " (" +
             failureCause(fit.failure, record) + ")";
    case FitGap::Reason::NotANumber: return "f is not a number at x = " + fixed5(gap.x);
    case FitGap::Reason::Infinite: return "f is infinite at x = " + fixed5(gap.x) + " (a pole?)";
    case FitGap::Reason::Unresolved:
      return "f could not be resolved near x = " + fixed5(gap.x) + " (a pole, a jump or a kink?)";
    case FitGap::Reason::TooMuchWork:
      return "f needs more than " + std::to_string(kFitBudget) +
             " evaluations to be resolved from x = " + fixed5(gap.a) + " on";
  }
  return {};
}

DerivativeMax derivativeMax(const FunctionFit& fit, int order, const DataEntry* record) {
  DerivativeMax m;
  if (fit.pieces.empty() && fit.gaps.empty()) {
    m.why = fit.a == fit.b ? "x1 = x2: no interval" : "x1 or x2 is not a finite number";
    return m;
  }
  if (!fit.gaps.empty()) {
    const FitGap* telling = &fit.gaps.front();
    for (const FitGap& gap : fit.gaps)
      if (reasonRank(gap.reason) < reasonRank(telling->reason)) telling = &gap;
    m.why = gapText(*telling, fit, record);
    return m;
  }
  m.why = derivativeJump(fit, order);
  if (!m.why.empty()) return m;
  double best = -1.0;
  for (const ChebSeries& piece : fit.pieces) {
    const std::vector<ChebSeries> d = derivatives(piece, order + 1);
    const ChebSeries& g = d[order];
    std::vector<double> xs{piece.a};
    for (const SignChange& s : signChanges(d[order + 1], 1e-13 * d[order + 1].bound()))
      xs.push_back(s.x);
    xs.push_back(piece.b);
    for (double x : xs) {
      const double v = std::fabs(g(x));
      // The leftmost of maxima equal to rounding.
      if (v > best * (1 + 1e-12) || best < 0) {
        best = v;
        m.at = x;
      }
    }
  }
  // A derivative its piece cannot vouch for: the piece resolves f only to
  // the scale of the whole, as at a kink narrowed down to a tiny piece.
  const double natural = fit.vscale * std::pow(2 / (fit.b - fit.a), order);
  for (const ChebSeries& piece : fit.pieces) {
    if (derivativeError(piece, order) > kDerivativeTrust * std::max(best, 1e-6 * natural)) {
      m.why = "f is not smooth enough near x = " + fixed5(0.5 * (piece.a + piece.b)) + " for " +
              derivativeName(order) + " (a kink?)";
      return m;
    }
  }
  m.known = true;
  m.value = best;
  return m;
}

std::vector<Feature> findFeatures(FunctionEvaluator& evaluator, const FunctionFit& fit) {
  if (fit.vscale == 0.0) return {};  // f is 0 wherever it is known: no point stands out
  std::vector<Feature> raw;
  for (std::size_t i = 0; i < fit.pieces.size(); ++i) pieceFeatures(fit, i, raw);
  std::vector<Feature> found;
  for (const Feature& f : raw) {
    if (f.kind == FeatureKind::Zero) {
      found.push_back(refineZero(evaluator, f.x, fit));
      continue;
    }
    found.push_back({f.kind, f.x, evaluator.evaluate(f.x)});
    // An extremum on the axis is a zero where f does not change sign.
    const bool extremum = f.kind == FeatureKind::Maximum || f.kind == FeatureKind::Minimum;
    if (extremum && std::fabs(found.back().f) <= 1e-13 * fit.vscale)
      found.push_back({FeatureKind::Zero, f.x, found.back().f});
  }
  std::sort(found.begin(), found.end(),
            [](const Feature& p, const Feature& q) { return p.x < q.x; });
  // Points as close as extrema can be told apart are one point: zero first,
  // then the extremum, then the inflection.
  for (std::size_t i = 0; i < found.size();) {
    std::size_t j = i + 1;
    while (j < found.size() &&
           found[j].x - found[i].x <= 1e-9 * std::max(1.0, std::fabs(found[i].x)))
      ++j;
    std::stable_sort(found.begin() + static_cast<std::ptrdiff_t>(i),
                     found.begin() + static_cast<std::ptrdiff_t>(j),
                     [](const Feature& p, const Feature& q) { return p.kind < q.kind; });
    i = j;
  }
  // One of each kind where two findings are the same point.
  std::vector<Feature> unique;
  for (const Feature& f : found) {
    const bool same = !unique.empty() && unique.back().kind == f.kind &&
                      f.x - unique.back().x <= 1e-9 * std::max(1.0, std::fabs(f.x));
    if (!same) unique.push_back(f);
  }
  return unique;
}

const char* featureName(FeatureKind kind) {
  switch (kind) {
    case FeatureKind::Zero: return "zero";
    case FeatureKind::Maximum: return "max";
    case FeatureKind::Minimum: return "min";
    case FeatureKind::Inflection: return "inflection";
  }
  return "";
}

}  // namespace tavex
