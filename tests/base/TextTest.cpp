#include "base/Text.h"
#include "base/DateText.h"

#include <gtest/gtest.h>

namespace zdr::base {
namespace {

TEST(Text, CaseFoldingCoversEveryScriptAndKeepsInvalidBytes)
{
    EXPECT_EQ(toUpper("Größe äöü ß"), "GRÖßE ÄÖÜ ß");
    EXPECT_EQ(toUpper("отчёт σοφος"), "ОТЧЁТ ΣΟΦΟΣ");
    EXPECT_EQ(toLower("ОТЧЁТ ΣΟΦΟΣ ẞ"), "отчёт σοφοσ ß");
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } pairs[] = {
        {"ÄRGER.txt", "ärger.TXT", true},
        {"ОТЧЁТ.TXT", "отчёт.txt", true},
        {"ΣΟΦΟΣ", "σοφος", true}, // the final sigma too
        {"ՀԱՅ", "հայ", true},
        {"ⰀⰁ", "ⰰⰱ", true},          // Glagolitic
        {"𐐀𐐁", "𐐨𐐩", true},          // Deseret, four bytes each
        {"\xE2\x84\xAA", "k", true}, // the Kelvin sign folds to a shorter "k"
        {"Ё", "Е", false},
        {"\xC4", "\xE4", false}, // Latin-1 bytes, no UTF-8: each only itself
        {"\xC4", "Ä", false},
        {"a\xC3(b\xFF", "A\xC3(B\xFF", true},
        {"\xED\xA0\x80", "\xED\xA0\x80", true}, // a surrogate's bytes stay bytes
    };
    for (const auto& p : pairs)
        EXPECT_EQ(iequals(p.a, p.b), p.equal) << p.a << " / " << p.b;
    EXPECT_TRUE(icontains(";temp;\\cache;", ";\\CACHE;"));
    EXPECT_TRUE(icontains(";a.txt;\xE2\x84\xAA.txt;", ";K.TXT;"));
    EXPECT_FALSE(icontains(";temp;", ";tem;"));
    const std::string invalid = "a\xC3(b\xFF";
    EXPECT_EQ(toUpper(invalid), "A\xC3(B\xFF");
}

TEST(Text, SplitBehavesLikeTheProgramsListSplit)
{
    EXPECT_EQ(split("", ";"), std::vector<std::string>{""});
    EXPECT_EQ(split("a;;b;", ";"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(split("x~°~y", "~°~"), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(join({"a", "b"}, ", "), "a, b");
}

TEST(Text, Utf8CheckRejectsOverlongSurrogatesAndTruncation)
{
    EXPECT_TRUE(isValidUtf8("Grüße \xF0\x9F\x98\x80"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xFF", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(isValidUtf8(bad)) << bad;
    EXPECT_EQ(toValidUtf8("a\xFF"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Text, NumberValueReadsLeadingDigitsOnly)
{
    EXPECT_EQ(numberValue(" 12abc"), 12);
    EXPECT_EQ(numberValue("-7"), -7);
    EXPECT_EQ(numberValue("abc"), 0);
    EXPECT_EQ(numberValue(""), 0);
    EXPECT_EQ(numberValue("99999999999999999999999"), std::numeric_limits<long long>::max());
}

TEST(DateText, AcceptsTheFormsAUserTypes)
{
    const LocalDateTime expected{2026, 12, 7, 14, 30, 15};
    EXPECT_EQ(parseDateTime("07.12.2026 14:30:15"), expected);
    EXPECT_EQ(parseDateTime("2026-12-07T14:30:15"), expected);
    EXPECT_EQ(parseDateTime("7.12.26"), (LocalDateTime{2026, 12, 7, 0, 0, 0}));
    EXPECT_EQ(parseDateTime(" 29.02.2024 08:05 "), (LocalDateTime{2024, 2, 29, 8, 5, 0}));
    for (const char* bad : {"", "31.02.2026", "29.02.2025", "1.13.2026", "07.12.2026 24:00", "heute", "7.12",
                            "07.12.2026 1:2:3:4", "2026-1-07x"})
        EXPECT_FALSE(parseDateTime(bad).has_value()) << bad;
}

TEST(DateText, FormatsAndOrders)
{
    const LocalDateTime a{2026, 12, 7, 9, 5, 3};
    EXPECT_EQ(formatDateTime(a), "07.12.2026 09:05:03");
    EXPECT_LT(a, (LocalDateTime{2026, 12, 7, 9, 5, 4}));
}

} // namespace
} // namespace zdr::base
