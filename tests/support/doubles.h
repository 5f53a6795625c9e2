// Comparing doubles bit for bit: the model's results are fixed to the last
// bit, so "nearly equal" is never the test.
#pragma once

#include <cstdint>

#include <gtest/gtest.h>

namespace orrery::testing {

// The IEEE 754 bit pattern of d, and the double of a bit pattern.
std::uint64_t double_bits(double d);
double double_from_bits(std::uint64_t bits);

// Bit-for-bit equality of two doubles (any NaN matches any NaN), with both
// values and their bits in the failure message:
//   EXPECT_TRUE(same_double(expected, actual)) << "what";
::testing::AssertionResult same_double(double expected, double actual);

}  // namespace orrery::testing
