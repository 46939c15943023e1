#include "base/CommandLine.h"
#include "app/StartScreen.h"
#include "base/mdlErrSys.h"

#include <gtest/gtest.h>

#include <random>

namespace zdr::base {
namespace {

using Args = std::vector<std::string>;
using app::noDisplayText;
using app::StartScreen;
using app::startScreen;

TEST(CommandLine, SplitsByTheQuoteRules)
{
    struct Case {
        const char* raw;
        Args expected;
    };
    const Case cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"\"C:\\My Projects\\a.ZdrPrj\" /a", {"\"C:\\My Projects\\a.ZdrPrj\"", "/a"}},
        {"a\tb", {"a", "b"}},
        // A quote inside an argument ends quoting without ending the argument.
        {"ab\"c d", {"ab\"c", "d"}},
        {"\"x\"y z\"", {"\"x\"y", "z\""}},
        {"\"open quote and more", {"\"open quote and more"}},
        {"DLL COPY 123 \"/home/x/A B\" \"\"", {"DLL", "COPY", "123", "\"/home/x/A B\"", "\"\""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fc_GetCommandLine(c.raw), c.expected) << c.raw;
}

TEST(CommandLine, SeesOnlyThirtyTwoArguments)
{
    std::string raw;
    for (int i = 1; i <= 40; ++i)
        raw += "a" + std::to_string(i) + " ";
    const Args args = fc_GetCommandLine(raw);
    ASSERT_EQ(args.size(), 32u);
    EXPECT_EQ(args.back(), "a32");
}

TEST(CommandLine, RawTextOfSplitArgumentsSplitsBackTheSame)
{
    std::mt19937 random(7);
    const std::string alphabet = "ab /\t.-_äö";
    for (int round = 0; round < 500; ++round) {
        Args given(random() % 6);
        for (std::string& a : given)
            for (int n = static_cast<int>(random() % 8); n > 0; --n)
                a += alphabet[random() % alphabet.size()];
        Args split = fc_GetCommandLine(rawCommandLine(given));
        for (std::string& a : split)
            if (a.size() >= 2 && a.front() == '"' && a.back() == '"')
                a = a.substr(1, a.size() - 2);
        EXPECT_EQ(split, given) << rawCommandLine(given);
    }
}

TEST(StartPlan, ChoosesTheFormByTheFirstArgument)
{
    StartPlan plan = planStart({});
    EXPECT_EQ(plan.form, StartPlan::Form::MainWindow);
    EXPECT_EQ(plan.arguments, (Args{"", "", ""}));

    plan = planStart({"\"/p/My Project.ZdrPrj\"", "/S", "/a", "ignored"});
    EXPECT_EQ(plan.form, StartPlan::Form::MainWindow);
    EXPECT_EQ(plan.arguments, (Args{"/p/My Project.ZdrPrj", "/S", "/a"}));

    // "dll" in lower case is a project file name.
    plan = planStart({"dll", "COPY", "k", "p"});
    EXPECT_EQ(plan.form, StartPlan::Form::MainWindow);
    EXPECT_EQ(plan.arguments[0], "dll");

    plan = planStart({"DLL", "COPY", "\"k\"", "\"/a b\""});
    EXPECT_EQ(plan.form, StartPlan::Form::HandOff);
    EXPECT_EQ(plan.arguments, (Args{"DLL", "COPY", "\"k\"", "/a b", ""}));
}

TEST(StartPlan, RefusesAShortHandOffWithItsMessage)
{
    const StartPlan plan = planStart({"DLL", "COPY", "\"key\""});
    EXPECT_EQ(plan.form, StartPlan::Form::WrongCall);
    EXPECT_EQ(plan.messageTitle, "Falscher Aurfruf ...");
    EXPECT_EQ(plan.messageText,
              "Aktion abgebrochen, \r\n\r\nzu wenig Parameter (soll = 5) ist: 3\r\nDLL, COPY, \"key\"");
}

TEST(StartPlan, SwitchesIgnoreCase)
{
    EXPECT_TRUE(isSwitch("/A", 'a'));
    EXPECT_TRUE(isSwitch("/s", 's'));
    EXPECT_FALSE(isSwitch("/as", 'a'));
    EXPECT_FALSE(isSwitch("a", 'a'));
}

// Without a display a run that needs nobody is drawn offscreen; a window
// someone should use cannot start.
TEST(StartPlan, ScreenWithAndWithoutADisplay)
{
    const Args project = {"a.ZdrPrj", "/s", "/A"};
    const Args handOff = {"DLL", "COPY", "1", "\"/q\"", "\"/z\""};
    const struct {
        Args arguments;
        std::string variable; // the one set, or none
        StartScreen expected;
    } cases[] = {
        {project, "", StartScreen::Offscreen},
        {handOff, "", StartScreen::Offscreen},
        {{"a.ZdrPrj"}, "", StartScreen::Missing},
        {{"a.ZdrPrj", "/s"}, "", StartScreen::Missing},
        {{}, "", StartScreen::Missing},
        {{"/a"}, "", StartScreen::Missing}, // "/a" is the project's name here
        {{"DLL", "COPY"}, "", StartScreen::Missing},
        {{"a.ZdrPrj"}, "DISPLAY", StartScreen::Display},
        {{"a.ZdrPrj"}, "WAYLAND_DISPLAY", StartScreen::Display},
        {project, "QT_QPA_PLATFORM", StartScreen::Display},
    };
    for (const auto& c : cases) {
        const auto environment = [&](const char* name) { return c.variable == name ? std::string("x") : ""; };
        EXPECT_EQ(startScreen(planStart(c.arguments), environment), c.expected)
            << ::testing::PrintToString(c.arguments) << " " << c.variable;
    }
    EXPECT_NE(noDisplayText().find("Keine grafische Anzeige"), std::string::npos);
}

TEST(ErrorText, TitleAndBlankLineFlags)
{
    EXPECT_EQ(fc_GetApiErrorText(0, true, true), "");
    EXPECT_EQ(fc_GetApiErrorText(5), "Zugriff verweigert");
    EXPECT_EQ(fc_GetApiErrorText(5, true, false), "Zendor DaroRazuZugriff verweigert");
    EXPECT_EQ(fc_GetApiErrorText(5, true, true), "Zendor DaroRazu\r\n\r\nZugriff verweigert");
    EXPECT_EQ(fc_GetApiErrorText(2, false, true), "\r\n\r\nDie angegebene Datei wurde nicht gefunden.");
    EXPECT_FALSE(fc_GetApiErrorText(platform::fromErrno(EPIPE)).empty());
}

} // namespace
} // namespace zdr::base
