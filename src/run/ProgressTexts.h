#pragma once

#include <cstdint>
#include <string>

// The display texts of the progress window's figures.
namespace zdr::run {

// Kilobytes as "#,##0.00 KB" below 1024 KB, else as megabytes "… MB".
std::string sizeText(double kilobytes);
// Bytes (the file in progress) as kilobytes below 1 MiB, else megabytes.
std::string byteSizeText(std::int64_t bytes);
// Seconds as "hh:mm:ss"; a run of a day or more keeps counting the hours.
std::string timeText(std::int64_t seconds);
// " - (Anz. " count/s ", KB " kilobytes/s ") / Sek." or empty when no second has passed.
std::string speedText(std::int64_t count, double kilobytes, std::int32_t seconds);

} // namespace zdr::run
