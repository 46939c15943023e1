#include "run/ProgressTexts.h"

#include "base/NumberFormat.h"

#include <cstdio>

namespace zdr::run {

namespace {
constexpr const char* kSizePattern = "#,##0.00";
}

std::string sizeText(double kilobytes)
{
    if (kilobytes < 1024)
        return base::formatNumber(kilobytes, kSizePattern) + " KB";
    return base::formatNumber(kilobytes / 1024, kSizePattern) + " MB";
}

std::string byteSizeText(std::int64_t bytes)
{
    const double b = static_cast<double>(bytes);
    if (bytes < 0x100000)
        return base::formatNumber(b / 1024, kSizePattern) + " KB";
    return base::formatNumber(b / 1024 / 1024, kSizePattern) + " MB";
}

std::string timeText(std::int64_t seconds)
{
    // The time-of-day form would wrap after 24 hours and show a long run as
    // short; the hours go on counting instead.
    if (seconds < 0)
        seconds = 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return buffer;
}

std::string speedText(std::int64_t count, double kilobytes, std::int32_t seconds)
{
    if (seconds <= 0)
        return {};
    return " - (Anz. " + std::to_string(base::roundHalfEven(static_cast<double>(count) / seconds)) + ", KB "
        + base::formatNumber(kilobytes / seconds, kSizePattern) + ") / Sek.";
}

} // namespace zdr::run
