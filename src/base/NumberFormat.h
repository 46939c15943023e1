#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::base {

// Formats a number with a picture as the program's texts use them
// ("#,##0.00", "0,000.00", "###0"), with the German separators: "." groups
// thousands, "," marks decimals, so 1234.5 with "#,##0.00" is "1.234,50".
// In the picture "," asks for grouping, "." starts the decimals; each "0"
// is a digit always written, each "#" one written only when needed. Halves
// round away from zero.
std::string formatNumber(double value, std::string_view picture);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), as
// the program rounds percentages and rates.
std::int64_t roundHalfEven(double value);

} // namespace zdr::base
