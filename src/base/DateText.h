#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zdr::base {

// A local calendar date and time to the second, as the program compares
// modification times with the typed date range.
struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    auto operator<=>(const LocalDateTime&) const = default;

    // Local time of a moment given in nanoseconds since the Unix epoch.
    static LocalDateTime fromUnixNanos(std::int64_t nanos);
    // The same moment as UTC reads it.
    static LocalDateTime fromUnixNanosUtc(std::int64_t nanos);
    static LocalDateTime now();
};

// Reads the date texts a German user types: "7.12.2026", "07.12.26",
// "07.12.2026 14:30", "07.12.2026 14:30:15", and ISO "2026-12-07[ T]14:30[:15]".
// Returns nothing for anything else, including an impossible date.
std::optional<LocalDateTime> parseDateTime(std::string_view text);

// "dd.mm.yyyy hh:nn:ss", as the program shows dates.
std::string formatDateTime(const LocalDateTime& value);

} // namespace zdr::base
