// SPDX-License-Identifier: GPL-3.0-or-later
#include "expr/fixed_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tavex {

namespace {

constexpr std::uint64_t kScale = kFixed14Scale;
constexpr double kFastLimit = 65536.0;                // keeps value * 10^14 below 2^63

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace

int formatFixed14(char* out, double value) {
  const std::uint64_t bits = doubleBits(value);
  const bool negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const double magnitude = negative ? -value : value;
  if (biased == 0x7FF || !(magnitude < kFastLimit)) {
    return std::snprintf(out, kFixed14MaxLength + 1, "%18.14f", value);
  }

  const std::uint64_t q = scaledFixed14(value);

  // Digits right to left into a scratch area, then padded to 18 characters.
  char scratch[32];
  char* p = scratch + sizeof scratch;
  std::uint64_t integerPart = q / kScale;
  std::uint64_t decimals = q % kScale;
  for (int k = 0; k < 7; ++k) {
    const unsigned pair = static_cast<unsigned>(decimals % 100);
    decimals /= 100;
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * pair, 2);
  }
  *--p = '.';
  do {
    *--p = static_cast<char>('0' + integerPart % 10);
    integerPart /= 10;
  } while (integerPart != 0);
  if (negative) *--p = '-';

  const int length = static_cast<int>(scratch + sizeof scratch - p);
  const int padding = length < 18 ? 18 - length : 0;
  std::memset(out, ' ', static_cast<size_t>(padding));
  std::memcpy(out + padding, p, static_cast<size_t>(length));
  out[padding + length] = '\0';
  return padding + length;
}

}  // namespace tavex
