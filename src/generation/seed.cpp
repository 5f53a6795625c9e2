// Calendar seconds to seeds: the program seeds itself from the clock, so a
// moment in UTC names the system it wrote then.
#include <orrery/seed.h>

#include <stdexcept>
#include <string>

namespace orrery {

namespace {

bool all_digits(std::string_view s, std::size_t from, std::size_t count) {
    if (from + count > s.size()) return false;
    for (std::size_t i = from; i < from + count; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

int digits_value(std::string_view s, std::size_t from, std::size_t count) {
    int v = 0;
    for (std::size_t i = from; i < from + count; ++i) v = v * 10 + (s[i] - '0');
    return v;
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool is_leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
    static const int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : DAYS[m - 1];
}

}  // namespace

std::uint32_t seed_from_utc(std::string_view text) {
    // "YYYY-MM-DD HH:MM:SS"
    const std::string quoted = "'" + std::string(text) + "'";
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') ||
        text[13] != ':' || text[16] != ':' || !all_digits(text, 0, 4) || !all_digits(text, 5, 2) ||
        !all_digits(text, 8, 2) || !all_digits(text, 11, 2) || !all_digits(text, 14, 2) ||
        !all_digits(text, 17, 2))
        throw std::invalid_argument(quoted + " is not a moment of the form \"YYYY-MM-DD HH:MM:SS\" (UTC)");
    const int year = digits_value(text, 0, 4), month = digits_value(text, 5, 2), day = digits_value(text, 8, 2);
    const int hour = digits_value(text, 11, 2), minute = digits_value(text, 14, 2),
              second = digits_value(text, 17, 2);
    if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month) || hour > 23 || minute > 59 ||
        second > 59)
        throw std::invalid_argument(quoted + " is not a date and time that exists");
    const std::int64_t seconds = days_from_civil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return seed_from_time(seconds);
}

}  // namespace orrery
