#include "lab/cli/parse.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include <orrery/seed.h>

#include "lab/cli/errors.h"

namespace orrery::lab {

std::uint32_t parse_seed(const std::string& text) {
    const std::string bad = "'" + text + "' is not a seed (a whole number from 0 to 4294967295)";
    if (text.empty()) throw UsageError(bad);
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw UsageError(bad);
        v = v * 10 + std::uint64_t(c - '0');
        if (v > 0xFFFFFFFFull) throw UsageError(bad);
    }
    return static_cast<std::uint32_t>(v);
}

std::uint32_t seed_from_utc(const std::string& text) {
    try {
        return orrery::seed_from_utc(std::string_view(text));
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
}

SeedRange parse_seed_range(const std::string& text) {
    const std::size_t dots = text.find("..");
    SeedRange r;
    try {
        if (dots == std::string::npos) {
            r.first = r.last = parse_seed(text);
        } else {
            r.first = parse_seed(text.substr(0, dots));
            r.last = parse_seed(text.substr(dots + 2));
        }
    } catch (const UsageError& e) {
        throw UsageError("'" + text + "' is not a seed range A..B (" + e.what() + ")");
    }
    if (r.first > r.last)
        throw UsageError("seed range '" + text + "' starts after it ends");
    return r;
}

Interval parse_interval(const std::string& text) {
    const std::string bad = "'" + text + "' is not a range lo:hi of numbers with lo <= hi";
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) throw UsageError(bad);
    // An empty side leaves that end open.
    auto end_value = [&](const std::string& part, double open) {
        if (part.empty()) return open;
        double v = 0.0;
        const char* end = part.data() + part.size();
        const auto [ptr, ec] = std::from_chars(part.data(), end, v);
        if (ec != std::errc() || ptr != end || std::isnan(v)) throw UsageError(bad);
        return v;
    };
    Interval r;
    r.lo = end_value(text.substr(0, colon), -HUGE_VAL);
    r.hi = end_value(text.substr(colon + 1), HUGE_VAL);
    if (r.lo > r.hi) throw UsageError(bad);
    return r;
}

}  // namespace orrery::lab
