// SPDX-License-Identifier: GPL-3.0-or-later
#include "expr/abscissa.h"

#include <bit>
#include <cmath>
#include <memory>

#include "expr/fixed_format.h"

namespace tavex {

bool readAbscissa(double x, AbscissaDigits& out) {
  // The same exact reading as formatFixed14.
  const std::uint64_t bits = doubleBits(x);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased == 0x7FF || !(std::fabs(x) < 65536.0)) return false;
  constexpr std::uint64_t kScale = kFixed14Scale;
  const std::uint64_t q = scaledFixed14(x);
  out.negative = (bits >> 63) != 0;
  out.integerPart = q / kScale;
  out.decimals = q % kScale;
  const std::uint64_t i = out.integerPart;
  out.integerDigits = i < 10 ? 1 : i < 100 ? 2 : i < 1000 ? 3 : i < 10000 ? 4 : 5;
  return i < 100000;
}

namespace {

// The value of the last k fraction digits of `digits` as the parser folds
// them, right to left: (code - 48) * 0.1 for the last, then ((code - 48) +
// v) * 0.1 for each digit before it.
double foldFraction(std::uint32_t digits, int k, double v, bool last) {
  for (int j = 0; j < k; ++j, digits /= 10) {
    const int d = static_cast<int>(digits % 10);
    v = last && j == 0 ? d * 0.1 : (d + v) * 0.1;
  }
  return v;
}

// The fold of every four-digit ending, computed once by the same arithmetic.
const double* lastFourDigits() {
  static const auto table = [] {
    auto t = std::make_unique<double[]>(10000);
    for (std::uint32_t i = 0; i < 10000; ++i) t[i] = foldFraction(i, 4, 0.0, true);
    return t;
  }();
  return table.get();
}

}  // namespace

// The digits of 0 to 99 as doubles: [k][0] the units, [k][1] the tens.
constexpr auto kDigitPairs = [] {
  struct Table {
    double digit[100][2];
  } t{};
  for (int k = 0; k < 100; ++k) {
    t.digit[k][0] = k % 10;
    t.digit[k][1] = k / 10;
  }
  return t;
}();

// Folds five digits (below 100000) into v, right to left: two pairs and the
// leading digit, each digit ((digit + v) * 0.1) as the parser does.
inline double foldFive(std::uint32_t five, double v) {
  const std::uint32_t low = five % 100, middle = five / 100 % 100, lead = five / 10000;
  v = (kDigitPairs.digit[low][0] + v) * 0.1;
  v = (kDigitPairs.digit[low][1] + v) * 0.1;
  v = (kDigitPairs.digit[middle][0] + v) * 0.1;
  v = (kDigitPairs.digit[middle][1] + v) * 0.1;
  return (static_cast<double>(lead) + v) * 0.1;
}

double fractionValue(std::uint64_t decimals) {
  static const double* const table = lastFourDigits();
  const std::uint64_t upper = decimals / 10000;  // the other ten digits
  const double v = table[decimals % 10000];
  return foldFive(static_cast<std::uint32_t>(upper / 100000),
                  foldFive(static_cast<std::uint32_t>(upper % 100000), v));
}

}  // namespace tavex
