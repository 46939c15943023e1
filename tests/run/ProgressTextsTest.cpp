#include "run/ProgressTexts.h"
#include "EngineStates.h"
#include "engine/StatusBits.h"
#include "run/ProgressFigures.h"
#include "run/TerminalProgress.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

namespace status = engine::status;
using test::engineIn;

TEST(ProgressTexts, SizeTexts)
{
    const std::pair<double, const char*> sizes[] = {
        {0, "0,00 KB"},    {1.125, "1,13 KB"},       {1023.5, "1.023,50 KB"},  {1024, "1,00 MB"},
        {1536, "1,50 MB"}, {1048576, "1.024,00 MB"}, {5000000, "4.882,81 MB"},
    };
    for (const auto& [kb, text] : sizes)
        EXPECT_EQ(sizeText(kb), text) << kb;

    const std::pair<std::int64_t, const char*> bytes[] = {
        {0, "0,00 KB"},
        {1536, "1,50 KB"},
        {1048575, "1.024,00 KB"},
        {1048576, "1,00 MB"},
        {5368709120LL, "5.120,00 MB"},
    };
    for (const auto& [b, text] : bytes)
        EXPECT_EQ(byteSizeText(b), text) << b;
}

TEST(ProgressTexts, TimeTextCountsHoursBeyondADay)
{
    const std::pair<std::int64_t, const char*> times[] = {
        {0, "00:00:00"},     {59, "00:00:59"},    {3661, "01:01:01"},
        {86399, "23:59:59"}, {90000, "25:00:00"}, {-5, "00:00:00"},
    };
    for (const auto& [s, text] : times)
        EXPECT_EQ(timeText(s), text) << s;
}

TEST(ProgressFigures, InformationPass)
{
    EngineState e = engineIn("INFO", 0,
                             {.CountFiles = 10,
                              .CountFolder = 2,
                              .CountFiles_ToDo = 3,
                              .CountFolder_ToDo = 1,
                              .SizeTotal = 2048,
                              .SizeTotal_ToDo = 100,
                              .SizeTotal_NeedHD = 512});
    e.secondsUsed = 4;
    ViewUpdate u = figures(e, 0);
    EXPECT_EQ(u.text(Control::lblSize), "2,00 MB - (neu 512,00 KB)");
    EXPECT_EQ(u.text(Control::lblCount), "12");
    EXPECT_EQ(u.text(Control::lblTime), "00:00:04 - (Anz. 3, KB 512,00) / Sek.");
    EXPECT_EQ(u.text(Control::lblCountToDo), "4 - 100,00 KB");
    EXPECT_EQ(u.bars, (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 100}}));
    EXPECT_FALSE(u.lastMainPercent);

    e.counters.CountFolder = 0; // 10 entries in 4 s: 2.5 a second rounds to 2
    EXPECT_EQ(figures(e, 0).text(Control::lblTime), "00:00:04 - (Anz. 2, KB 512,00) / Sek.");
    e.secondsUsed = 0;
    EXPECT_EQ(figures(e, 0).text(Control::lblTime), "00:00:00");
}

TEST(ProgressFigures, ActionPassWithoutInformationPass)
{
    EngineState e = engineIn("COPY", 0,
                             {.CountFiles_Done = 5,
                              .CountFolder_Done = 1,
                              .CountFiles_ExistsTimeOk = 2,
                              .SizeTotal_Done = 100,
                              .SizeTotal_ExistsTimeOk = 24});
    e.secondsUsed = 65;
    ViewUpdate u = figures(e, 0);
    EXPECT_EQ(u.text(Control::lblSize), "124,00 KB");
    EXPECT_EQ(u.text(Control::lblCount), "8");
    EXPECT_EQ(u.text(Control::lblTime), "00:01:05");
    EXPECT_TRUE(u.bars.empty());
    EXPECT_FALSE(u.text(Control::Caption));
}

TEST(ProgressFigures, ActionPassAfterInformationPass)
{
    EngineState e =
        engineIn("COPY", status::kWithInfo,
                 {.CountFiles = 9, .CountFolder = 1, .CountFiles_Done = 5, .SizeTotal = 1000, .SizeTotal_Done = 250});
    e.secondsMax = 20;
    e.secondsUsed = 10;
    ViewUpdate u = figures(e, 0);
    EXPECT_EQ(u.text(Control::lblSize), "von 1.000,00 KB => 250,00 KB");
    EXPECT_EQ(u.text(Control::lblCount), "von 10 => 5");
    EXPECT_EQ(u.text(Control::lblTime), "von 20 => 10 s - (Anz. 0, KB 25,00) / Sek.");
    // (50 + 25) / 2 = 37.5 rounds to the even 38
    EXPECT_EQ(u.bars, (std::vector<BarCommand>{{BarAction::Value, WhichBar::Main, 38}}));
    EXPECT_EQ(u.text(Control::Caption), "38% kopiert...");
    EXPECT_EQ(u.lastMainPercent, 38);

    // The same percentage again rewrites neither the bar nor the caption.
    ViewUpdate again = figures(e, 38);
    EXPECT_TRUE(again.bars.empty());
    EXPECT_FALSE(again.text(Control::Caption));
    EXPECT_FALSE(again.lastMainPercent);
    EXPECT_EQ(again.text(Control::lblCount), "von 10 => 5");
}

TEST(ProgressFigures, MainPercentTable)
{
    struct Case {
        std::int64_t files, done;
        double size, sizeDone;
        std::int32_t expected;
    };
    const Case cases[] = {
        {4, 1, 0, 0, 25},      // no sizes: the count share alone
        {200, 1, 0, 0, 0},     // 0.5 -> 0
        {200, 3, 0, 0, 2},     // 1.5 -> 2
        {200, 5, 0, 0, 2},     // 2.5 -> 2
        {0, 0, 0, 0, 0},       // nothing found: no division by zero
        {2, 2, 100, 150, 100}, // a file that grew does not pass 100
        {10, 10, 100, 100, 100},
    };
    for (const Case& c : cases) {
        const engine::EngineCounters counters{
            .CountFiles = c.files, .CountFiles_Done = c.done, .SizeTotal = c.size, .SizeTotal_Done = c.sizeDone};
        EXPECT_EQ(mainPercent(counters), c.expected) << c.files << "/" << c.done;
    }
}

TEST(ProgressFigures, CaptionWordPerAction)
{
    const std::pair<const char*, const char*> captions[] = {
        {"COPY", "25% kopiert..."}, {"DELETE", "25% gelöscht..."}, {"ATTRIB", "25% gesetzt..."}};
    for (const auto& [action, caption] : captions) {
        const EngineState e = engineIn(action, status::kWithInfo, {.CountFiles = 4, .CountFiles_Done = 1});
        EXPECT_EQ(figures(e, 0).text(Control::Caption), caption);
    }
}

TEST(ProgressFigures, FileInProgressCountsTheBytesCopiedSoFar)
{
    EngineState e = engineIn("COPY", status::kWithInfo, {.CountFiles = 2, .SizeTotal = 2048});
    e.fileNameCurrent = "big.bin";
    ViewUpdate u = fileProgress(e, 1048576, 524288, 0);
    EXPECT_EQ(u.bars.front(), (BarCommand{BarAction::Value, WhichBar::Sub, 50}));
    EXPECT_EQ(u.text(Control::lblSystemInfoObject), "big.bin von 1,00 MB => 512,00 KB");
    EXPECT_EQ(u.text(Control::lblSize), "von 2,00 MB => 512,00 KB");
    EXPECT_EQ(u.lastMainPercent, 12); // (0 + 25) / 2 = 12.5 -> 12
    EXPECT_EQ(fileProgress(e, 0, 0, 0).bars.front(), (BarCommand{BarAction::Value, WhichBar::Sub, 100}));
}

TEST(ProgressFigures, FileStartAndFolderStart)
{
    ViewUpdate copy = fileStarted("COPY", "a.txt", 1536);
    EXPECT_EQ(copy.text(Control::lblSystemInfoObject), "a.txt => von 1,50 KB");
    EXPECT_EQ(copy.bars, (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 0}}));
    ViewUpdate info = fileStarted("INFO", "a.txt", 1536);
    EXPECT_TRUE(info.texts.empty());
    EXPECT_TRUE(info.bars.empty());

    EXPECT_EQ(folderStarted("MKDIR", "/d/neu").bars, (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 0}}));
    EXPECT_TRUE(folderStarted("COPY", "/d").bars.empty());
    EXPECT_EQ(folderStarted("COPY", "/d").text(Control::lblSystemInfo), "/d");
    // Names with control characters stay on one line, escaped.
    EXPECT_EQ(fileStarted("COPY", "a\nb", 0).text(Control::lblSystemInfoObject), "a\\nb => von 0,00 KB");
    EXPECT_EQ(folderStarted("COPY", "/d\t").text(Control::lblSystemInfo), "/d\\t");
}

TEST(ProgressFigures, SkippedAndFailedEntries)
{
    EngineState e = engineIn(
        "COPY", 0, {.CountFiles_ExistsTimeOk = 3, .CountFolder_ExistsTimeOk = 1, .SizeTotal_ExistsTimeOk = 2048});
    ViewUpdate skipped = entryNotDone(e, 1, 0);
    EXPECT_EQ(skipped.text(Control::lblCountExistsTimeOk), "4 - 2,00 MB");
    EXPECT_FALSE(skipped.text(Control::lblCountNot));
    EXPECT_EQ(skipped.text(Control::lblCount), "4");

    ViewUpdate noError = entryNotDone(e, 0, 0);
    EXPECT_TRUE(noError.shown.empty());
    EXPECT_EQ(noError.text(Control::lblCountNot), "0");

    e.counters.CountFiles_Not = 2;
    e.counters.SizeTotal_Not = 10;
    ViewUpdate failed = entryNotDone(e, 0, 0);
    for (Control c : {Control::lblCountNot, Control::lblSizeNot, Control::lblSizeNotCaption})
        EXPECT_EQ(failed.visible(c), true) << controlName(c);
    EXPECT_EQ(failed.text(Control::lblCountNot), "2");
    EXPECT_EQ(failed.text(Control::lblSizeNot), "10,00 KB");
}

TEST(ProgressFigures, MakeDirectoryBars)
{
    EngineState e = engineIn("MKDIR", 0, {.CountFolder_Done = 1, .CountFolder_ToDo = 4});
    EXPECT_EQ(
        folderMade(e).bars,
        (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 100}, {BarAction::Value, WhichBar::Main, 25}}));
    e.counters.CountFolder_ToDo = 0;
    EXPECT_EQ(folderMade(e).bars.back(), (BarCommand{BarAction::Value, WhichBar::Main, 100}));
    // A make-directory pass with the information bit keeps its own main bar.
    e.status = status::kWithInfo;
    EXPECT_TRUE(figures(e, 0).bars.empty());
}

TEST(TerminalProgress, LinePerPass)
{
    EngineState info = engineIn("INFO", status::kWithInfo, {.CountFiles = 10, .CountFolder = 2, .SizeTotal = 2048});
    info.secondsUsed = 4;
    EXPECT_EQ(terminalLine(info), "Informationen: 12 Einträge, 2,00 MB, 512,00 KB/s, 00:00:04");

    EngineState copy =
        engineIn("COPY", status::kWithInfo,
                 {.CountFiles = 9, .CountFolder = 1, .CountFiles_Done = 5, .SizeTotal = 1000, .SizeTotal_Done = 250});
    copy.secondsUsed = 10;
    copy.secondsMax = 20;
    // 38 % done in 10 s: 62 % more take 16 s.
    EXPECT_EQ(terminalLine(copy), "Kopieren: 5 von 10 Einträgen, 250,00 KB von 1.000,00 KB, 25,00 KB/s, noch 00:00:16");
    // The file in progress counts with the bytes copied so far.
    EXPECT_EQ(terminalLine(copy, 750),
              "Kopieren: 5 von 10 Einträgen, 1.000,00 KB von 1.000,00 KB, 100,00 KB/s, noch 00:00:03");
    copy.secondsUsed = 0; // nothing measured yet: the engine's estimate
    copy.counters.CountFiles_Done = 0;
    copy.counters.SizeTotal_Done = 0;
    EXPECT_EQ(terminalLine(copy), "Kopieren: 0 von 10 Einträgen, 0,00 KB von 1.000,00 KB, noch 00:00:20");

    EngineState del = engineIn("DELETE", 0, {.CountFiles_Done = 3, .SizeTotal_Done = 3});
    EXPECT_EQ(terminalLine(del), "Löschen: 3 Einträge, 3,00 KB, 00:00:00");
}

// The speed is the last seconds', the time left the size left at that speed,
// never "00:00:00" while something is left, measured on the clock the
// progress is given (not the engine's whole seconds).
TEST(TerminalProgress, SpeedOfTheLastSecondsAndTimeLeft)
{
    std::string out;
    double now = 100;
    TerminalProgress progress([&](const std::string& text) { out = text; }, [&] { return now; });
    progress.passStarted("Kopieren ...");
    const auto at = [](double doneK) {
        EngineState e = engineIn("COPY", status::kWithInfo,
                                 {.CountFiles = 2, .CountFiles_Done = 1, .SizeTotal = 100000, .SizeTotal_Done = doneK});
        e.secondsUsed = 0; // the engine's whole seconds have not moved yet
        return e;
    };
    progress.update(at(0));
    now += 0.8;
    progress.update(at(80000));
    EXPECT_EQ(out, "\rKopieren: 1 von 2 Einträgen, 78,13 MB von 97,66 MB, 97,66 MB/s, noch 00:00:01");
    // Slower now: 1 MB a second, and so the last five seconds.
    for (int i = 1; i <= 10; ++i) {
        now += 1;
        progress.update(at(80000 + 1024 * i));
    }
    EXPECT_EQ(out, "\rKopieren: 1 von 2 Einträgen, 88,13 MB von 97,66 MB, 1,00 MB/s, noch 00:00:10");
}

TEST(TerminalProgress, RewritesItsLineAtMostFiveTimesASecond)
{
    std::string out;
    double now = 100;
    TerminalProgress progress([&](const std::string& text) { out += text; }, [&] { return now; });
    const EngineState e = engineIn("DELETE", 0, {.CountFiles_Done = 1});
    progress.line("Daten löschen ...");
    progress.update(e);
    now += 0.1;
    progress.update(engineIn("DELETE", 0, {.CountFiles_Done = 2}));
    now += 0.15;
    progress.update(engineIn("DELETE", 0, {.CountFiles_Done = 3}));
    progress.update(engineIn("DELETE", 0, {.CountFiles_Done = 4}), 0, true);
    progress.line("Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(out,
              "Daten löschen ...\n"
              "\rLöschen: 1 Eintrag, 0,00 KB, 00:00:00"
              "\rLöschen: 3 Einträge, 0,00 KB, 00:00:00"
              "\rLöschen: 4 Einträge, 0,00 KB, 00:00:00\n"
              "Vorgang erfolgreich abgeschlossen\n");
}

} // namespace
} // namespace zdr::run
