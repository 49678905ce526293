// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "expr/fixed_format.h"

namespace tavex {
namespace {

std::string viaPrintf(double v) {
  char buffer[kFixed14MaxLength + 8];
  std::snprintf(buffer, sizeof buffer, "%18.14f", v);
  return buffer;
}

std::string viaFast(double v) {
  char buffer[kFixed14MaxLength + 8];
  const int n = formatFixed14(buffer, v);
  EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
  return buffer;
}

// Compares and stops reporting after a few mismatches.
void expectSameForAll(const std::vector<double>& values) {
  int mismatches = 0;
  for (double v : values) {
    const std::string expected = viaPrintf(v);
    const std::string actual = viaFast(v);
    if (expected != actual && ++mismatches <= 5)
      ADD_FAILURE() << std::hexfloat << v << ": printf '" << expected << "' fast '" << actual << "'";
  }
  EXPECT_EQ(mismatches, 0) << "of " << values.size() << " values";
}

TEST(FixedFormat, KnownTexts) {
  EXPECT_EQ(viaFast(0.5), "  0.50000000000000");
  EXPECT_EQ(viaFast(-0.25), " -0.25000000000000");
  EXPECT_EQ(viaFast(1000.0), "1000.00000000000000");
  EXPECT_EQ(viaFast(-0.0), " -0.00000000000000");
  EXPECT_EQ(viaFast(-1e-20), " -0.00000000000000");
  // An exact tie at the 15th decimal rounds to even.
  EXPECT_EQ(viaFast(1.0 / 32768), "  0.00003051757812");
  EXPECT_EQ(viaFast(3.0 / 32768), "  0.00009155273438");
}

TEST(FixedFormat, SpecialAndBoundaryValuesMatchPrintf) {
  std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 0.1, 1.0 / 3, 2.0 / 3, 1e-14, 5e-15,
                                4.9999999999999999e-15, 5.0000000000000001e-15, 1e-15,
                                DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN, 65535.999999999993,
                                65536.0, -65536.0, 65535.0, 1e5, 123456789.123456789, 1e22,
                                1e300, -1e308, DBL_MAX, -DBL_MAX, HUGE_VAL, -HUGE_VAL, NAN, -NAN,
                                0.99999999999999989, 0.999999999999995, 9.999999999999995,
                                99999.999999999995, 0.000000000000005, -0.000000000000005};
  // Every value around the fast path's limit and around decimal ties.
  for (double base : {65536.0, 1.0, 0.5, 1e-14, 5e-15, 0.125}) {
    double up = base, down = base;
    for (int k = 0; k < 50; ++k) {
      values.push_back(up);
      values.push_back(-down);
      up = std::nextafter(up, HUGE_VAL);
      down = std::nextafter(down, 0.0);
      values.push_back(down);
    }
  }
  expectSameForAll(values);
}

TEST(FixedFormat, ExactTiesMatchPrintf) {
  // Multiples of 2^-15 with an odd numerator end in a 5 at the 15th decimal.
  std::vector<double> values;
  for (int k = -200001; k <= 200001; k += 2) values.push_back(k / 32768.0);
  for (std::int64_t k = 1; k < 2000000000; k = k * 3 + 1) {
    values.push_back(static_cast<double>(2 * k + 1) / 32768.0);
    values.push_back(std::nextafter(static_cast<double>(2 * k + 1) / 32768.0, 0.0));
  }
  expectSameForAll(values);
}

double doubleOfBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(FixedFormat, RandomValuesOfEveryMagnitudeMatchPrintf) {
  std::mt19937_64 random(20260314);
  std::vector<double> values;
  // Random bit patterns: every exponent, both signs, NaNs and infinities.
  for (int i = 0; i < 300000; ++i) values.push_back(doubleOfBits(random()));
  // Random mantissas with exponents around the fast path (2^-70 to 2^20).
  std::uniform_int_distribution<int> exponent(-70, 20);
  for (int i = 0; i < 600000; ++i) {
    const double m = doubleOfBits((random() >> 12) | 0x3FF0000000000000ull);
    values.push_back(std::ldexp(random() & 1 ? m : -m, exponent(random)));
  }
  // Plot-like abscissas: short decimals and their neighbours.
  std::uniform_real_distribution<double> plot(-100.0, 1000.0);
  for (int i = 0; i < 300000; ++i) {
    const double v = std::round(plot(random) * 1000.0) / 1000.0;
    values.push_back(v);
    values.push_back(std::nextafter(v, HUGE_VAL));
  }
  expectSameForAll(values);
}

}  // namespace
}  // namespace tavex
