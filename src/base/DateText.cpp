#include "base/DateText.h"

#include "base/Text.h"

#include <cstdio>
#include <ctime>
#include <vector>

namespace zdr::base {

namespace {

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// A field of one to four digits and nothing else.
std::optional<int> digits(std::string_view text, std::size_t maxLength)
{
    if (text.empty() || text.size() > maxLength)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool parseTime(std::string_view text, LocalDateTime& out)
{
    const auto fields = split(text, ":");
    if (fields.size() < 2 || fields.size() > 3)
        return false;
    const auto h = digits(fields[0], 2);
    const auto n = digits(fields[1], 2);
    const auto s = fields.size() == 3 ? digits(fields[2], 2) : std::optional<int>(0);
    if (!h || !n || !s || *h > 23 || *n > 59 || *s > 59)
        return false;
    out.hour = *h;
    out.minute = *n;
    out.second = *s;
    return true;
}

bool parseDate(std::string_view text, LocalDateTime& out)
{
    std::optional<int> y, m, d;
    if (text.find('.') != std::string_view::npos) {
        const auto f = split(text, ".");
        if (f.size() != 3)
            return false;
        d = digits(f[0], 2);
        m = digits(f[1], 2);
        y = digits(f[2], 4);
        if (y && f[2].size() <= 2)
            *y += *y < 30 ? 2000 : 1900; // two-digit years as the locale reads them
    } else {
        const auto f = split(text, "-");
        if (f.size() != 3 || f[0].size() != 4)
            return false;
        y = digits(f[0], 4);
        m = digits(f[1], 2);
        d = digits(f[2], 2);
    }
    if (!y || !m || !d || *y < 100 || *m < 1 || *m > 12 || *d < 1 || *d > daysInMonth(*y, *m))
        return false;
    out.year = *y;
    out.month = *m;
    out.day = *d;
    return true;
}

LocalDateTime fromTm(const std::tm& t)
{
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

std::time_t floorSeconds(std::int64_t nanos)
{
    std::int64_t seconds = nanos / 1000000000;
    if (nanos < 0 && nanos % 1000000000 != 0)
        --seconds; // floor, so times before 1970 keep their second
    return static_cast<std::time_t>(seconds);
}

} // namespace

LocalDateTime LocalDateTime::fromUnixNanos(std::int64_t nanos)
{
    const std::time_t t = floorSeconds(nanos);
    std::tm local{};
    localtime_r(&t, &local);
    return fromTm(local);
}

LocalDateTime LocalDateTime::fromUnixNanosUtc(std::int64_t nanos)
{
    const std::time_t t = floorSeconds(nanos);
    std::tm utc{};
    gmtime_r(&t, &utc);
    return fromTm(utc);
}

LocalDateTime LocalDateTime::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return fromTm(local);
}

std::optional<LocalDateTime> parseDateTime(std::string_view text)
{
    const std::string s = trim(text);
    std::size_t sep = s.find_first_of(" T");
    LocalDateTime out;
    if (!parseDate(std::string_view(s).substr(0, sep), out))
        return std::nullopt;
    if (sep != std::string::npos) {
        while (sep < s.size() && (s[sep] == ' ' || s[sep] == 'T'))
            ++sep;
        if (!parseTime(std::string_view(s).substr(sep), out))
            return std::nullopt;
    }
    return out;
}

std::string formatDateTime(const LocalDateTime& v)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d:%02d", v.day, v.month, v.year, v.hour, v.minute,
                  v.second);
    return buffer;
}

} // namespace zdr::base
