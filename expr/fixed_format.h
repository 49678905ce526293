// Fast fixed-point formatting of the abscissa, byte for byte as printf's
// "%18.14f" writes it in the "C" locale.
#pragma once

namespace tavex {

// Longest text "%18.14f" gives for a double: sign, 309 integer digits,
// the point and 14 decimals.
inline constexpr int kFixed14MaxLength = 325;

// Writes value as "%18.14f" into out (room for kFixed14MaxLength + 1 bytes),
// terminates it and returns its length. Values of magnitude below 2^16 take an
// exact integer path; larger, infinite and NaN values go through snprintf.
int formatFixed14(char* out, double value);

}  // namespace tavex
