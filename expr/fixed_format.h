// SPDX-License-Identifier: GPL-3.0-or-later
// Fast fixed-point formatting of the abscissa, byte for byte as printf's
// "%18.14f" writes it in the "C" locale.
#pragma once

#include <cstdint>
#include <cstring>

namespace tavex {

// The bits of a double, as std::bit_cast gives them (which not every
// standard library has yet).
inline std::uint64_t doubleBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

inline constexpr std::uint64_t kFixed14Scale = 100000000000000ull;  // 10^14

// |value| * 10^14 rounded to nearest, ties to even, as printf rounds, read
// exactly from the bits: value = mantissa * 2^-shift. Only for finite values
// of magnitude below 2^16, which keeps the result below 2^63.
inline std::uint64_t scaledFixed14(double value) {
  const std::uint64_t bits = doubleBits(value);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const std::uint64_t mantissa = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int shift = biased == 0 ? 1074 : 1075 - biased;  // at least 37 below 2^16
  if (shift >= 128) return 0;  // the product (< 2^100) lies below half a unit
  using U128 = unsigned __int128;
  const U128 product = static_cast<U128>(mantissa) * kFixed14Scale;
  std::uint64_t q = static_cast<std::uint64_t>(product >> shift);
  const U128 remainder = product & ((U128{1} << shift) - 1);
  const U128 half = U128{1} << (shift - 1);
  if (remainder > half || (remainder == half && (q & 1) != 0)) ++q;
  return q;
}

// Longest text "%18.14f" gives for a double: sign, 309 integer digits,
// the point and 14 decimals.
inline constexpr int kFixed14MaxLength = 325;

// Writes value as "%18.14f" into out (room for kFixed14MaxLength + 1 bytes),
// terminates it and returns its length. Values of magnitude below 2^16 take an
// exact integer path; larger, infinite and NaN values go through snprintf.
int formatFixed14(char* out, double value);

}  // namespace tavex
