#include "run/RunOptions.h"
#include "project/OptionBoxBits.h"

#include <gtest/gtest.h>

#include <string>

namespace zdr::run {
namespace {

constexpr std::uint32_t kYield = 0x8000;

// Each check box on its own sets exactly its bit of the table, and nothing
// else besides the always-set yield bit and the action's bits.
TEST(RunOptions, EachBoxSetsExactlyItsBit)
{
    ASSERT_EQ(runOptionBits().size(), std::size(test::kOptionBoxBits));
    // For the copy action (index 1).
    for (const test::OptionBoxBits& row : test::kOptionBoxBits) {
        const auto only = [&](std::string_view name) { return name == row.control ? 1 : 0; };
        const RunWords words = fc_RunWords(1, only, false, false);
        EXPECT_EQ(words.status, row.status | 0x1 | kYield) << row.control;
        EXPECT_EQ(words.statusEx, row.statusEx) << row.control;
        // A grey box counts as not checked.
        const auto grey = [&](std::string_view name) { return name == row.control ? 2 : 0; };
        EXPECT_EQ(fc_RunWords(1, grey, false, false), (RunWords{0x1 | kYield, 0})) << row.control;
    }
}

TEST(RunOptions, ActionAndStartArguments)
{
    const auto none = [](std::string_view) { return 0; };
    const auto all = [](std::string_view) { return 1; };
    const struct {
        int index;
        std::uint32_t bits;
    } actions[] = {{0, 0}, {1, 0x1}, {2, 0x800001}, {3, 0x20}, {4, 0x40}, {5, 0x600000}, {6, 0}, {7, 0}};
    for (const auto& a : actions)
        EXPECT_EQ(fc_RunWords(a.index, none, false, false).status, a.bits | kYield) << a.index;

    // The information action never passes "only newer" and "only different".
    EXPECT_EQ(fc_RunWords(0, all, false, false).status & (0x80 | 0x10000), 0u);
    EXPECT_EQ(fc_RunWords(1, all, false, false).status & (0x80 | 0x10000), 0x10080u);
    EXPECT_EQ(fc_RunWords(1, none, true, false).status, 0x1 | kYield | 0x100000u);
    EXPECT_EQ(fc_RunWords(1, none, false, true).statusEx, 0x200000u);
    EXPECT_EQ(fc_RunWords(1, all, true, true),
              (RunWords{0x1 | 0x2 | 0x80 | 0x100 | 0x200 | 0x400 | 0x800 | 0x2000 | 0x4000 | kYield | 0x10000 | 0x20000
                            | 0x40000 | 0x80000 | 0x100000 | 0x1000000 | 0x20000000 | 0x40000000,
                        0x200003}));
}

} // namespace
} // namespace zdr::run
