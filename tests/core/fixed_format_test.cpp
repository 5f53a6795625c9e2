// The report's number formatting must give printf's bytes for every double:
// each case here is checked against snprintf itself, not against a written-in
// expectation.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <orrery/system.h>
#include "report/fixed_format.h"
#include "support/doubles.h"

namespace orrery {
namespace {

using testing::double_bits;
using testing::double_from_bits;

struct Format {
    int width;
    int precision;
};

// Every conversion the report and the progress lines use.
constexpr Format REPORT_FORMATS[] = {{6, 3}, {6, 0}, {7, 3}, {7, 1}, {7, 2}, {6, 2}, {0, 6}};

std::string c_library(double value, int width, int precision) {
    char buf[1024];
    int n = std::snprintf(buf, sizeof buf, "%*.*f", width, precision, value);
    return std::string(buf, static_cast<std::size_t>(n));
}

// Compares both entry points with snprintf; returns false (after one test
// failure naming the case) on the first mismatch so a broken build reports a
// handful of cases, not millions.
bool same_as_printf(double value, int width, int precision) {
    std::string expected = c_library(value, width, precision);
    std::vector<char> buf(FIXED_FORMAT_MAX + 64 + static_cast<std::size_t>(width < 0 ? -width : width));
    std::string direct(buf.data(), format_fixed(buf.data(), value, width, precision));
    std::string appended = "x";
    append_fixed(appended, value, width, precision);
    if (direct == expected && appended == "x" + expected) return true;
    char bits_text[32];
    std::snprintf(bits_text, sizeof bits_text, "0x%016llx", static_cast<unsigned long long>(double_bits(value)));
    ADD_FAILURE() << "%" << width << "." << precision << "f of " << bits_text << " (" << c_library(value, 0, 20)
                  << "): printf gives \"" << expected << "\", format_fixed \"" << direct << "\", append_fixed \""
                  << appended.substr(1) << "\"";
    return false;
}

bool same_in_every_format(double value) {
    for (Format f : REPORT_FORMATS)
        if (!same_as_printf(value, f.width, f.precision)) return false;
    for (int precision = 0; precision <= 17; ++precision)
        if (!same_as_printf(value, 0, precision)) return false;
    return true;
}

TEST(FixedFormat, SpecialValuesMatchPrintf) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> values = {
        0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 1.5, 2.5, -2.5, 0.05, 0.0005, -0.0004, -0.0005, -0.00049,
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(), DBL_MIN, -DBL_MIN,
        DBL_MAX, -DBL_MAX, 1e300, -1e300, 1e22, 1e19, 1.8446744073709552e19, 1.8446744073709550e18,
        9.223372036854775e18, 4503599627370496.0, 4503599627370497.0, 9007199254740993.0, 123456789012.345,
        HUGE_VALUE, -HUGE_VALUE, 9.9999e37 / 1000.0, inf, -inf, nan, -nan, std::copysign(nan, -1.0),
        double_from_bits(0x7ff0000000000001ull), double_from_bits(0xfff8000000000001ull),
        999.9995, 999.9994999999999, 99.995, 9.9995, 0.9995, 999999.5, 9999999.95,
    };
    for (double v : values) {
        if (!same_in_every_format(v)) break;
        // Widths that leave the field narrower, equal and wider than the text,
        // and left-justified fields.
        bool ok = true;
        for (int width : {1, 3, 8, 12, 30, 40, -1, -9, -40})
            for (int precision : {0, 2, 6})
                ok = ok && same_as_printf(v, width, precision);
        if (!ok) break;
    }
}

// Binary values that sit exactly halfway between two printed results: printf
// rounds them to even, and a formatter that rounds halves up (or that decides
// from an inexact decimal scaling) differs here first.
TEST(FixedFormat, ExactTiesRoundToEven) {
    std::mt19937_64 rng(7);
    for (int j = 1; j <= 40; ++j) {
        for (int k = 0; k < 60; ++k) {
            // An odd numerator over 2^j has exactly j decimals, so precision
            // j - 1 is a tie; smaller precisions see the digits beyond.
            std::uint64_t odd = (rng() % (std::uint64_t{1} << 20)) | 1u;
            double v = std::ldexp(static_cast<double>(odd), -j);
            for (double s : {v, -v})
                for (int precision = 0; precision <= 17; ++precision)
                    if (!same_as_printf(s, 0, precision)) return;
        }
    }
    // The simplest ties, in every report format.
    for (double v : {0.125, 0.375, 0.625, 0.875, 2.5, 3.5, 0.0625, 1.0625, 0.03125, 1234.5625})
        if (!same_in_every_format(v) || !same_in_every_format(-v)) return;
}

// Decimal values such as x.xx5 are not representable, so the double lies just
// above or below the tie and printf rounds by where it really is. Their
// neighbours a few units in the last place away are checked too.
TEST(FixedFormat, NearDecimalTiesFollowTheBinaryValue) {
    std::mt19937_64 rng(11);
    for (int precision = 0; precision <= 6; ++precision) {
        double scale = std::pow(10.0, precision);
        for (int k = 0; k < 4000; ++k) {
            double n = static_cast<double>(rng() % 100000000);
            double tie = (n + 0.5) / scale;
            double v = tie;
            for (int step = 0; step < 3; ++step) v = std::nextafter(v, -INFINITY);
            for (int step = 0; step < 7; ++step, v = std::nextafter(v, INFINITY)) {
                if (!same_as_printf(v, 7, precision) || !same_as_printf(-v, 7, precision)) return;
                if (!same_as_printf(v, 0, precision + 1)) return;
            }
        }
    }
}

// Arbitrary doubles: every exponent, subnormals, huge values that widen the
// field, NaNs with payloads and both signs.
TEST(FixedFormat, RandomBitPatternsMatchPrintf) {
    std::mt19937_64 rng(2024);
    for (int i = 0; i < 10000; ++i) {
        double v = double_from_bits(rng());
        for (Format f : REPORT_FORMATS)
            if (!same_as_printf(v, f.width, f.precision)) return;
        if (!same_as_printf(v, 0, static_cast<int>(rng() % 18))) return;
    }
}

// The magnitudes a report really prints, spread evenly over their exponents so
// that small values, values near the 64-bit limit and everything between get
// as many cases.
TEST(FixedFormat, ReportRangeValuesMatchPrintf) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> exponent(-20.0, 21.0);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    for (int i = 0; i < 60000; ++i) {
        double v = mantissa(rng) * std::pow(10.0, std::floor(exponent(rng)));
        if (rng() & 1) v = -v;
        for (Format f : REPORT_FORMATS)
            if (!same_as_printf(v, f.width, f.precision)) return;
        int precision = static_cast<int>(rng() % 18);
        if (!same_as_printf(v, 0, precision)) return;
        // The fast path's limit: values whose scaled digits just fit in, or
        // just overflow, 64 bits.
        double edge = std::ldexp(mantissa(rng), 60 - static_cast<int>(precision * 3.3219280948873623)) / 8;
        if (!same_as_printf(edge, 0, precision)) return;
    }
}

TEST(FixedFormat, IntegersMatchPrintf) {
    const int values[] = {0, 1, -1, 9, 10, 99, 100, -100, 359, 12345, 1000000, -987654321, INT_MAX, INT_MIN};
    for (int v : values) {
        for (int width : {0, 1, 3, 7, 8, 9, 12, 17, 40, -6}) {
            char buf[64];
            int n = std::snprintf(buf, sizeof buf, "%*d", width, v);
            std::string expected = "p";
            expected.append(buf, static_cast<std::size_t>(n));
            std::string s = "p";
            append_int(s, v, width);
            EXPECT_EQ(expected, s) << v << " width " << width;
            std::vector<char> out(FIXED_INT_MAX + static_cast<std::size_t>(width < 0 ? -width : width));
            EXPECT_EQ(expected.substr(1), std::string(out.data(), format_int(out.data(), v, width)))
                << v << " width " << width;
        }
    }
}

}  // namespace
}  // namespace orrery
