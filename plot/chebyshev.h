// SPDX-License-Identifier: GPL-3.0-or-later
// Chebyshev series of a smooth function, built the way chebfun builds them:
// values at Chebyshev points, their coefficients by a fast cosine transform,
// more points until the coefficients fall to rounding level. A series is
// then evaluated, differentiated and searched for the points where it
// changes sign. Plain arithmetic on doubles; f itself is sampled elsewhere
// (plot/analysis.h).
#pragma once

#include <cstddef>
#include <vector>

namespace tavex {

// p(x) = sum of c[k] T_k(t) over k, with t = (2x - a - b) / (b - a) in [-1, 1].
struct ChebSeries {
  double a = -1.0;
  double b = 1.0;
  std::vector<double> c;
  // For a piece of f: how far p may be from f on [a, b], as far as the
  // dropped coefficients tell.
  double accuracy = 0.0;

  // p at x (Clenshaw's recurrence), and at t in [-1, 1].
  double operator()(double x) const { return atT(toT(x)); }
  double atT(double t) const;
  // dp/dx, a series on the same interval with one coefficient less.
  ChebSeries derivative() const;
  // The sum of |c[k]|: no value of p on [a, b] is larger in size.
  double bound() const;
  double toT(double x) const { return (2.0 * x - a - b) / (b - a); }
  double toX(double t) const;
};

// The Chebyshev points t_j = cos(j pi / n) for j = 0 to n, from 1 down to -1.
std::vector<double> chebPoints(int n);

// The n + 1 coefficients of the polynomial through values[j] at t_j
// (chebPoints(n)); n a power of two from 1 on.
std::vector<double> chebCoefficients(const std::vector<double>& values);

// How many leading coefficients to keep, by chebfun's standardChop (Aurentz
// and Trefethen, "Chopping a Chebyshev series", 2017): where the envelope of
// |c| reaches a plateau at or below about tol^(2/3) of its largest value.
// c.size() when there is no such plateau yet: more points are needed.
std::size_t standardChop(const std::vector<double>& c, double tol);

// A point where p changes sign, with the sign just before it.
struct SignChange {
  double x = 0.0;
  int signBefore = 0;  // +1 or -1
};

// Every point of (a, b) where p changes sign, in increasing x, each to the
// last bit of the bisection on p. Where p stays within noise of 0 over a
// whole stretch, or touches 0 without crossing, there is none. Found by
// recursive subdivision: a stretch whose re-expanded constant term
// outweighs all others cannot hold a root; one whose derivative cannot
// vanish holds at most one, bracketed by its ends.
std::vector<SignChange> signChanges(const ChebSeries& p, double noise);

}  // namespace tavex
