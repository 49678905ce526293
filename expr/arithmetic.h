// The four arithmetic operators of the expression language, with one fixed
// rule for two NaN operands: the left one is the result, as the processor
// gives it when the left operand is the instruction's destination. Written
// plainly, a compiler may swap the operands of + and *, and the sign and
// payload of a NaN result (shown as "nan" or "-nan") would then depend on
// the compiler and on the code around the operation.
#pragma once

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

}  // namespace tavex::arithmetic
