// SPDX-License-Identifier: GPL-3.0-or-later
// The digits of an abscissa, read straight from the double: what the text
// "x = %18.14f" of a composed evaluation holds, without writing it.
#pragma once

#include <cstdint>

namespace tavex {

// The digits of an abscissa as "%18.14f" writes it: the sign and the number
// of integer digits give the shape of the text.
struct AbscissaDigits {
  static constexpr int kFractionDigits = 14;
  static constexpr int kMaxIntegerDigits = 5;
  bool negative = false;
  int integerDigits = 0;
  std::uint64_t integerPart = 0;  // the integer digits
  std::uint64_t decimals = 0;     // the 14 fraction digits, below 10^14
  double fraction = -1.0;         // fractionValue(decimals) when worked out already, else -1
  int count() const { return integerDigits + kFractionDigits; }
  // Digit k of the text: the integer digits, most significant first, then
  // the fraction digits.
  int digit(int k) const {
    std::uint64_t v = k < integerDigits ? integerPart : decimals;
    const int fromRight = k < integerDigits ? integerDigits - 1 - k : count() - 1 - k;
    for (int j = 0; j < fromRight; ++j) v /= 10;
    return static_cast<int>(v % 10);
  }
};

// x's digits, exactly as formatFixed14 prints them; false where there is no
// fast reading (x not finite, or |x| of 65536 or more).
bool readAbscissa(double x, AbscissaDigits& out);

// The value of x's 14 fraction digits as the parser reads them.
double fractionValue(std::uint64_t decimals);

}  // namespace tavex
