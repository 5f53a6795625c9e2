#include "support/doubles.h"

#include <cmath>
#include <cstring>

namespace orrery::testing {

std::uint64_t double_bits(double d) {
    std::uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

double double_from_bits(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

::testing::AssertionResult same_double(double expected, double actual) {
    if (std::isnan(expected) && std::isnan(actual)) return ::testing::AssertionSuccess();
    if (double_bits(expected) == double_bits(actual)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << " (bits " << std::hex
                                         << double_bits(expected) << "), got " << actual << " (bits "
                                         << double_bits(actual) << std::dec << ")";
}

}  // namespace orrery::testing
