#include "report/fixed_format.h"

#include <cstdio>

namespace orrery {

std::size_t format_fixed(char* out, double value, int width, int precision) {
    int n = std::snprintf(out, FIXED_FORMAT_MAX, "%*.*f", width, precision, value);
    return static_cast<std::size_t>(n);
}

void append_fixed(std::string& s, double value, int width, int precision) {
    char buf[FIXED_FORMAT_MAX];
    s.append(buf, format_fixed(buf, value, width, precision));
}

void append_int(std::string& s, int value, int width) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%*d", width, value);
    s.append(buf, static_cast<std::size_t>(n));
}

}  // namespace orrery
