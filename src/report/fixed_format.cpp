// The report prints a few hundred numbers per system, and the C library's %f
// path (multi-precision digit generation for every value) costs more than the
// whole generation. The values a report prints are small, so they are rounded
// here exactly with one 128-bit product and a shift; anything outside that
// range (huge magnitudes, infinities, NaN, precisions beyond 17) goes to the
// C library, so the bytes are always printf's own.
#include "report/fixed_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace orrery {

namespace {

__extension__ typedef unsigned __int128 u128;

constexpr std::uint64_t POW10[20] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull,
};

constexpr char DIGIT_PAIRS[] =
    "00010203040506070809"
    "10111213141516171819"
    "20212223242526272829"
    "30313233343536373839"
    "40414243444546474849"
    "50515253545556575859"
    "60616263646566676869"
    "70717273747576777879"
    "80818283848586878889"
    "90919293949596979899";

// Writes exactly `count` decimal digits of n (n < 10^count) ending just
// before end; returns the first digit's position. Report values fit in 32
// bits, whose divisions by 100 are cheaper.
template <typename Unsigned>
inline char* digits_exact(char* end, Unsigned n, int count) {
    char* p = end;
    for (; count >= 2; count -= 2) {
        Unsigned q = n / 100;
        unsigned r = static_cast<unsigned>(n - q * 100);
        p -= 2;
        std::memcpy(p, DIGIT_PAIRS + 2 * r, 2);
        n = q;
    }
    if (count) *--p = static_cast<char>('0' + n);
    return p;
}

inline char* digits_exact(char* end, std::uint64_t n, int count) {
    if (n <= 0xffffffffu) return digits_exact<std::uint32_t>(end, static_cast<std::uint32_t>(n), count);
    return digits_exact<std::uint64_t>(end, n, count);
}

// How many decimal digits n has (1 for 0).
inline int digit_count(std::uint64_t n) {
    int k = 1;
    while (k < 20 && n >= POW10[k]) ++k;
    return k;
}

constexpr char SPACES[32] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                             ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};

std::size_t format_with_c_library(char* out, double value, int width, int precision) {
    std::size_t span = static_cast<std::size_t>(width < 0 ? -static_cast<long long>(width) : width);
    std::size_t room = span + 1 > FIXED_FORMAT_MAX ? span + 1 : FIXED_FORMAT_MAX;
    int n = std::snprintf(out, room, "%*.*f", width, precision, value);
    return static_cast<std::size_t>(n);
}

// The value scaled by 10^precision and rounded to the nearest integer, ties
// to even, exactly as printf rounds the binary value in the default rounding
// mode. False when the result would not fit in 64 bits (or the value is not
// finite): the caller then falls back.
inline bool scaled_round(std::uint64_t bits, int precision, std::uint64_t& result) {
    int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0x7ff) return false;
    int e;
    if (biased == 0) {
        e = -1074;
    } else {
        m |= std::uint64_t{1} << 52;
        e = biased - 1075;
    }
    // value = m * 2^e, m < 2^53; X = m * 10^precision < 2^110 is exact.
    u128 x = static_cast<u128>(m) * POW10[precision];
    if (e >= 0) {
        if (e > 10) return false;
        u128 big = x << e;
        if (big >> 64) return false;
        result = static_cast<std::uint64_t>(big);
        return true;
    }
    int s = -e;
    std::uint64_t lo = static_cast<std::uint64_t>(x);
    std::uint64_t hi = static_cast<std::uint64_t>(x >> 64);
    if (s < 64) {
        // Every value the report prints lands here: 64-bit operations only.
        if (hi >> s) return false;
        std::uint64_t q = (hi << (64 - s)) | (lo >> s);
        std::uint64_t r = lo & ((std::uint64_t{1} << s) - 1);
        std::uint64_t half = std::uint64_t{1} << (s - 1);
        if (r > half || (r == half && (q & 1))) {
            if (q == ~std::uint64_t{0}) return false;
            ++q;
        }
        result = q;
        return true;
    }
    if (s >= 120) {  // below half a unit of the last printed digit
        result = 0;
        return true;
    }
    // 64 <= s < 120: the quotient is hi >> (s - 64), below 2^46.
    u128 q = x >> s;
    u128 r = x - (q << s);
    u128 half = static_cast<u128>(1) << (s - 1);
    if (r > half || (r == half && (q & 1))) ++q;
    result = static_cast<std::uint64_t>(q);
    return true;
}

// The whole formatting with the precision known when compiled (the report's
// conversions), so that the scaling and the split at the point are products
// and shifts; P < 0 takes the precision at run time.
template <int P>
std::size_t format_fixed_as(char* out, double value, int width, int run_precision) {
    const int precision = P >= 0 ? P : run_precision;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint64_t n;
    if (!scaled_round(bits, precision, n)) return format_with_c_library(out, value, width, precision);

    const std::uint64_t whole = n / POW10[precision];
    const std::uint64_t frac = n - whole * POW10[precision];
    // printf keeps the sign of negative zero and of negatives that round to
    // zero ("-0.000").
    bool negative = (bits >> 63) != 0;
    int whole_digits = digit_count(whole);
    std::size_t len = static_cast<std::size_t>(whole_digits + precision + (precision > 0) + negative);
    std::size_t field = len;
    int pad = width - static_cast<int>(len);
    if (pad > 0) {
        field = len + static_cast<unsigned>(pad);
        // The buffer always holds FIXED_FORMAT_MAX bytes, so a short pad is
        // one fixed-size store.
        if (pad <= static_cast<int>(sizeof SPACES)) std::memcpy(out, SPACES, sizeof SPACES);
        else std::memset(out, ' ', static_cast<unsigned>(pad));
    }
    char* p = out + field;
    if (precision > 0) {
        p = digits_exact(p, frac, precision);
        *--p = '.';
    }
    p = digits_exact(p, whole, whole_digits);
    if (negative) *--p = '-';
    if (width < 0 && static_cast<std::size_t>(-static_cast<long long>(width)) > len) {
        std::size_t span = static_cast<std::size_t>(-static_cast<long long>(width));
        std::memset(out + len, ' ', span - len);
        return span;
    }
    return field;
}

}  // namespace

std::size_t format_fixed(char* out, double value, int width, int precision) {
    switch (precision) {
        case 0: return format_fixed_as<0>(out, value, width, 0);
        case 1: return format_fixed_as<1>(out, value, width, 1);
        case 2: return format_fixed_as<2>(out, value, width, 2);
        case 3: return format_fixed_as<3>(out, value, width, 3);
        case 6: return format_fixed_as<6>(out, value, width, 6);
        default:
            if (precision < 0 || precision > 17) return format_with_c_library(out, value, width, precision);
            return format_fixed_as<-1>(out, value, width, precision);
    }
}

void append_fixed(std::string& s, double value, int width, int precision) {
    std::size_t span = static_cast<std::size_t>(width < 0 ? -static_cast<long long>(width) : width);
    if (span < FIXED_FORMAT_MAX) {
        char buf[FIXED_FORMAT_MAX];
        s.append(buf, format_fixed(buf, value, width, precision));
        return;
    }
    std::string wide(span + 1, '\0');
    s.append(wide.data(), format_fixed(wide.data(), value, width, precision));
}

std::size_t format_int(char* out, int value, int width) {
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    int digits = digit_count(magnitude);
    std::size_t len = static_cast<std::size_t>(digits + (value < 0));
    std::size_t field = len;
    if (width > 0 && static_cast<std::size_t>(width) > len) {
        field = static_cast<std::size_t>(width);
        // Spaces in blocks of eight; a block may run into the digits' place,
        // which is written next, and the buffer's margin holds the rest.
        for (std::size_t k = 0; k < field - len; k += 8) std::memcpy(out + k, SPACES, 8);
    }
    char* p = digits_exact(out + field, magnitude, digits);
    if (value < 0) *--p = '-';
    if (width < 0 && static_cast<std::size_t>(-static_cast<long long>(width)) > len) {
        std::size_t span = static_cast<std::size_t>(-static_cast<long long>(width));
        std::memset(out + len, ' ', span - len);
        return span;
    }
    return field;
}

void append_int(std::string& s, int value, int width) {
    std::size_t span = static_cast<std::size_t>(width < 0 ? -static_cast<long long>(width) : width);
    if (span <= 32) {
        char small[FIXED_INT_MAX + 32];
        s.append(small, format_int(small, value, width));
        return;
    }
    std::string buf(FIXED_INT_MAX + span, '\0');
    s.append(buf.data(), format_int(buf.data(), value, width));
}

}  // namespace orrery
