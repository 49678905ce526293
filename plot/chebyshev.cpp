// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/chebyshev.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace tavex {

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

// In-place radix-2 FFT, e^(-2 pi i jk / L); a.size() a power of two.
void fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  std::vector<std::complex<double>> w;
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::size_t half = len / 2;
    w.resize(half);
    // Each twiddle from its own angle: no drift from repeated products.
    for (std::size_t k = 0; k < half; ++k) {
      const double angle =
          -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(len);
      w[k] = {std::cos(angle), std::sin(angle)};
    }
    for (std::size_t i = 0; i < n; i += len) {
      for (std::size_t k = 0; k < half; ++k) {
        const std::complex<double> u = a[i + k];
        const std::complex<double> v = a[i + k + half] * w[k];
        a[i + k] = u + v;
        a[i + k + half] = u - v;
      }
    }
  }
}

int signOf(double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Values of the series q at -1 and at 1.
double atMinusOne(const std::vector<double>& q) {
  double sum = 0.0;
  for (std::size_t k = 0; k < q.size(); ++k) sum += (k % 2 == 0) ? q[k] : -q[k];
  return sum;
}
double atPlusOne(const std::vector<double>& q) {
  double sum = 0.0;
  for (double v : q) sum += v;
  return sum;
}

double clenshaw(const std::vector<double>& c, double t) {
  double b1 = 0.0, b2 = 0.0;
  for (std::size_t k = c.size(); k-- > 1;) {
    const double b0 = c[k] + 2.0 * t * b1 - b2;
    b2 = b1;
    b1 = b0;
  }
  return c.empty() ? 0.0 : c[0] + t * b1 - b2;
}

// Coefficients of dq/ds for a series q in s.
std::vector<double> derivativeCoefficients(const std::vector<double>& c) {
  const std::size_t m = c.size() > 0 ? c.size() - 1 : 0;
  if (m == 0) return {0.0};
  std::vector<double> d(m + 1, 0.0);  // d[m] stays 0, for the recurrence
  for (std::size_t k = m; k >= 1; --k)
    d[k - 1] = (k + 1 <= m ? d[k + 1] : 0.0) + 2.0 * static_cast<double>(k) * c[k];
  d[0] *= 0.5;
  d.pop_back();
  return d;
}

// Whether |q0| outweighs every other term, with room for rounding: then q
// has the sign of q0 all over [-1, 1].
bool constantTermDominates(const std::vector<double>& q) {
  double rest = 0.0;
  for (std::size_t k = 1; k < q.size(); ++k) rest += std::fabs(q[k]);
  const double q0 = std::fabs(q[0]);
  return q0 - rest > 8.0 * kEps * (q0 + rest);
}

// q re-expanded on [u, v] of its own variable, without trailing terms at
// rounding level.
std::vector<double> reexpand(const std::vector<double>& q, double u, double v) {
  int n = 1;
  while (static_cast<std::size_t>(n) + 1 < q.size()) n *= 2;
  const std::vector<double> t = chebPoints(n);
  std::vector<double> values(t.size());
  for (std::size_t j = 0; j < t.size(); ++j)
    values[j] = clenshaw(q, 0.5 * ((1.0 - t[j]) * u + (1.0 + t[j]) * v));
  std::vector<double> c = chebCoefficients(values);
  double total = 0.0;
  for (double x : c) total += std::fabs(x);
  double dropped = 0.0;
  while (c.size() > 1 && dropped + std::fabs(c.back()) <= kEps * total) {
    dropped += std::fabs(c.back());
    c.pop_back();
  }
  return c;
}

// The recursive search of signChanges over the stretch [lo, hi] of p's t,
// on which q is p re-expanded.
class SignSearch {
 public:
  SignSearch(const ChebSeries& p, double noise) : p_(p), noise_(noise) {}
  void search(const std::vector<double>& q, double lo, double hi, int depth);
  std::vector<SignChange> found;

 private:
  static constexpr int kMaxDepth = 60;
  static constexpr double kSplit = -0.004849834917525;  // off centre, as chebfun's
  void bisect(const std::vector<double>& q, double lo, double hi, int signLo);
  const ChebSeries& p_;
  const double noise_;
};

void SignSearch::search(const std::vector<double>& q, double lo, double hi, int depth) {
  if (constantTermDominates(q)) return;
  const int signLo = signOf(atMinusOne(q));
  const bool crosses = signLo * signOf(atPlusOne(q)) < 0;
  double largest = 0.0;
  for (double v : q) largest = std::max(largest, std::fabs(v));
  const std::vector<double> dq = derivativeCoefficients(q);
  const bool monotone = constantTermDominates(dq);
  // At most one root, or p at noise level here, or no room left to split.
  if (monotone || largest <= noise_ || depth >= kMaxDepth || hi - lo <= 4 * kEps) {
    if (crosses) bisect(q, lo, hi, signLo);
    return;
  }
  const double mid = lo + (kSplit + 1.0) * 0.5 * (hi - lo);
  search(reexpand(q, -1.0, kSplit), lo, mid, depth + 1);
  if (clenshaw(q, kSplit) == 0.0 && signLo != 0) found.push_back({p_.toX(mid), signLo});
  search(reexpand(q, kSplit, 1.0), mid, hi, depth + 1);
}

void SignSearch::bisect(const std::vector<double>& q, double lo, double hi, int signLo) {
  double sl = -1.0, sh = 1.0;
  for (;;) {
    const double sm = 0.5 * (sl + sh);
    if (sm <= sl || sm >= sh) break;
    const double v = clenshaw(q, sm);
    if (v == 0.0) {
      sl = sh = sm;
      break;
    }
    (signOf(v) == signLo ? sl : sh) = sm;
  }
  const double s = 0.5 * (sl + sh);
  found.push_back({p_.toX(lo + (s + 1.0) * 0.5 * (hi - lo)), signLo});
}

}  // namespace

double ChebSeries::atT(double t) const { return clenshaw(c, t); }

double ChebSeries::toX(double t) const { return 0.5 * ((1.0 - t) * a + (1.0 + t) * b); }

ChebSeries ChebSeries::derivative() const {
  ChebSeries d{a, b, derivativeCoefficients(c)};
  const double scale = 2.0 / (b - a);
  for (double& v : d.c) v *= scale;
  return d;
}

double ChebSeries::bound() const {
  double sum = 0.0;
  for (double v : c) sum += std::fabs(v);
  return sum;
}

std::vector<double> chebPoints(int n) {
  std::vector<double> t(static_cast<std::size_t>(n) + 1);
  if (n == 0) {
    t[0] = 0.0;  // the one point of a constant
    return t;
  }
  // sin of the complementary angle, exactly symmetric and exactly 0 in the middle
  for (int j = 0; j <= n; ++j) t[j] = std::sin(std::numbers::pi * (n - 2 * j) / (2.0 * n));
  return t;
}

std::vector<double> chebCoefficients(const std::vector<double>& values) {
  const std::size_t n = values.size() - 1;
  if (n == 0) return {values[0]};
  // The even extension of the values, whose transform is the cosine sums.
  std::vector<std::complex<double>> w(2 * n);
  for (std::size_t j = 0; j <= n; ++j) w[j] = values[j];
  for (std::size_t j = 1; j < n; ++j) w[2 * n - j] = values[j];
  fft(w);
  std::vector<double> c(n + 1);
  for (std::size_t k = 0; k <= n; ++k) c[k] = w[k].real() / static_cast<double>(n);
  c[0] *= 0.5;
  c[n] *= 0.5;
  return c;
}

std::size_t standardChop(const std::vector<double>& coeffs, double tol) {
  const std::size_t n = coeffs.size();
  if (tol >= 1) return 1;
  if (n < 17) return n;
  // The monotone envelope of |c|, scaled to start at 1 (index j is chebfun's j + 1).
  std::vector<double> env(n);
  env[n - 1] = std::fabs(coeffs[n - 1]);
  for (std::size_t j = n - 1; j-- > 0;) env[j] = std::max(std::fabs(coeffs[j]), env[j + 1]);
  if (env[0] == 0) return 1;
  const double top = env[0];
  for (double& e : env) e /= top;

  // Step 1: the first plateau: from j to round(1.25 j + 5) the envelope
  // falls by less than its level asks.
  std::size_t plateau = 0, j2 = 0;
  for (std::size_t j = 2;; ++j) {
    j2 = static_cast<std::size_t>(std::lround(1.25 * static_cast<double>(j) + 5));
    if (j2 > n) return n;
    const double e1 = env[j - 1], e2 = env[j2 - 1];
    const double r = 3 * (1 - std::log(e1) / std::log(tol));
    if (e1 == 0 || e2 / e1 > r) {
      plateau = j - 1;
      break;
    }
  }
  if (env[plateau - 1] == 0) return plateau;
  // Step 2: the cut where the envelope, tilted up by tol^(1/3) over the
  // stretch, is lowest.
  const double floor = std::pow(tol, 7.0 / 6.0);
  const std::size_t j3 = static_cast<std::size_t>(
      std::count_if(env.begin(), env.end(), [floor](double e) { return e >= floor; }));
  if (j3 < j2) {
    j2 = j3 + 1;
    env[j2 - 1] = floor;
  }
  std::size_t d = 1;
  double best = std::numeric_limits<double>::infinity();
  const double tilt = j2 > 1 ? (-1.0 / 3.0) * std::log10(tol) / static_cast<double>(j2 - 1) : 0.0;
  for (std::size_t i = 1; i <= j2; ++i) {
    const double cc = std::log10(env[i - 1]) + static_cast<double>(i - 1) * tilt;
    if (cc < best) {
      best = cc;
      d = i;
    }
  }
  return std::max<std::size_t>(d - 1, 1);
}

std::vector<SignChange> signChanges(const ChebSeries& p, double noise) {
  SignSearch search(p, noise);
  if (p.c.empty()) return {};
  search.search(p.c, -1.0, 1.0, 0);
  return std::move(search.found);
}

}  // namespace tavex
