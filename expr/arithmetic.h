// SPDX-License-Identifier: GPL-3.0-or-later
// The operators of the expression language, defined once for the parser and
// for the tape replays, which must give bit for bit what the parser gives.
//
// The four arithmetic operators have one fixed rule for two NaN operands:
// the left one is the result, as the processor gives it when the left
// operand is the instruction's destination. Written plainly, a compiler may
// swap the operands of + and *, and the sign and payload of a NaN result
// (shown as "nan" or "-nan") would then depend on the compiler and on the
// code around the operation.
#pragma once

#include <cmath>

namespace tavex::arithmetic {

inline double add(double a, double b) {
  const double r = a + b;
  return a != a ? a : r;
}
inline double subtract(double a, double b) {
  const double r = a - b;
  return a != a ? a : r;
}
inline double multiply(double a, double b) {
  const double r = a * b;
  return a != a ? a : r;
}
inline double divide(double a, double b) {
  const double r = a / b;
  return a != a ? a : r;
}
inline double power(double a, double b) { return std::pow(a, b); }
inline double negate(double a) { return -a; }

// Truth of a value: a NaN counts as false (zero).
inline bool truth(double v) { return v < 0.0 || v > 0.0; }

inline double logicalNot(double a) { return truth(a) ? 0.0 : 1.0; }
inline double logicalOr(double a, double b) { return (truth(a) || truth(b)) ? 1.0 : 0.0; }
inline double logicalAnd(double a, double b) { return (truth(a) && truth(b)) ? 1.0 : 0.0; }
inline double select(double condition, double a, double b) { return truth(condition) ? a : b; }

// With a NaN operand "==", ">" and ">=" give 1, "!=", "<" and "<=" give 0.
inline double equal(double a, double b) { return !(a < b || a > b) ? 1.0 : 0.0; }
inline double notEqual(double a, double b) { return (a < b || a > b) ? 1.0 : 0.0; }
inline double less(double a, double b) { return a < b ? 1.0 : 0.0; }
inline double lessEqual(double a, double b) { return a <= b ? 1.0 : 0.0; }
inline double greater(double a, double b) { return !(a <= b) ? 1.0 : 0.0; }
inline double greaterEqual(double a, double b) { return !(a < b) ? 1.0 : 0.0; }

// A number's digits as they are read, from their character codes: the integer
// part left to right, the fraction part right to left.
inline double integerStart(double code) { return code - 48; }
inline double integerDigit(double value, double code) { return value * 10 + code - 48; }
inline double fractionStart(double code) { return (code - 48) * 0.1; }
inline double fractionDigit(double code, double value) { return ((code - 48) + value) * 0.1; }

}  // namespace tavex::arithmetic
