#include "base/NumberFormat.h"

#include <gtest/gtest.h>

namespace zdr::base {
namespace {

TEST(NumberFormat, PicturesWithGermanSeparators)
{
    const struct {
        double value;
        const char* picture;
        const char* expected;
    } cases[] = {
        {1234.56, "#,##0.00", "1.234,56"},
        {0, "#,##0.00", "0,00"},
        {0.004, "#,##0.00", "0,00"},
        {0.005, "#,##0.00", "0,01"}, // halves away from zero
        {1234567890.125, "#,##0.00", "1.234.567.890,13"},
        {999.999, "#,##0.00", "1.000,00"}, // rounding carries into a new group
        {-1536, "#,##0.00", "-1.536,00"},
        {-0.001, "#,##0.00", "0,00"}, // no "-0"
        {5.5, "0,000.00", "0.005,50"},
        {12345.5, "0,000.00", "12.345,50"},
        {0.5, "###0", "1"},
        {1234, "###0", "1234"},
        {0, "###0", "0"},
        {2.5, "0.0#", "2,5"},
        {2.125, "0.0#", "2,13"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatNumber(c.value, c.picture), c.expected) << c.value << " " << c.picture;
}

TEST(NumberFormat, RoundHalfEven)
{
    const std::pair<double, std::int64_t> cases[] = {{0.5, 0},   {1.5, 2}, {2.5, 2}, {3.5, 4},   {-0.5, 0},
                                                     {-1.5, -2}, {2.4, 2}, {2.6, 3}, {-2.6, -3}, {37.5, 38}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
}

} // namespace
} // namespace zdr::base
