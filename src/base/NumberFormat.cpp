#include "base/NumberFormat.h"

#include <cmath>
#include <cstdio>

namespace zdr::base {

namespace {

constexpr char kGroup = '.';
constexpr char kDecimal = ',';

std::string groupDigits(const std::string& digits)
{
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += kGroup;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string formatNumber(double value, std::string_view picture)
{
    const std::size_t point = picture.find('.');
    const std::string_view whole = picture.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : picture.substr(point + 1);
    std::size_t minWhole = 0;
    for (char c : whole)
        minWhole += c == '0' ? 1 : 0;
    const bool grouped = whole.find(',') != std::string_view::npos;
    std::size_t fixedDecimals = 0;
    std::size_t decimals = 0;
    for (char c : fraction) {
        if (c == '0')
            ++fixedDecimals;
        if (c == '0' || c == '#')
            ++decimals;
    }
    if (!std::isfinite(value))
        value = 0;

    const double scaled = std::round(std::fabs(value) * std::pow(10.0, static_cast<double>(decimals)));
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
    std::string digits = buffer;
    if (digits.size() <= decimals)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    std::string intPart = digits.substr(0, digits.size() - decimals);
    std::string fracPart = digits.substr(digits.size() - decimals);
    while (fracPart.size() > fixedDecimals && fracPart.back() == '0')
        fracPart.pop_back();
    // "0" of the integer part is written only when the picture asks for it.
    intPart.erase(0, intPart.find_first_not_of('0'));
    if (intPart.size() < minWhole)
        intPart.insert(0, minWhole - intPart.size(), '0');

    std::string out;
    if (value < 0 && scaled != 0)
        out += '-';
    out += grouped ? groupDigits(intPart) : intPart;
    if (!fracPart.empty()) {
        out += kDecimal;
        out += fracPart;
    }
    return out;
}

std::int64_t roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double below = std::floor(value);
    const double rest = value - below;
    double whole = below;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0))
        whole = below + 1.0;
    if (whole >= 9.2e18)
        return INT64_MAX;
    if (whole <= -9.2e18)
        return INT64_MIN;
    return static_cast<std::int64_t>(whole);
}

} // namespace zdr::base
