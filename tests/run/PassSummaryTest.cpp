#include "run/PassSummary.h"
#include "EngineStates.h"
#include "engine/StatusBits.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

namespace status = engine::status;
using test::engineIn;

EngineState counted(const std::string& action, std::uint32_t bits)
{
    return engineIn(action, bits,
                    {.CountFiles = 10,
                     .CountFolder = 3,
                     .CountFiles_Done = 8,
                     .CountFolder_Done = 2,
                     .CountFiles_Not = 2,
                     .CountFolder_Not = 1,
                     .CountFiles_ExistsTimeOk = 4,
                     .CountFolder_ExistsTimeOk = 0});
}

TEST(PassSummary, SummaryTable)
{
    struct Case {
        const char* action;
        std::uint32_t bits;
        const char* expected;
    };
    const Case cases[] = {
        {"COPY", status::kWithInfo,
         " Anzahl Ordner: 2 (von 3) - (Fehler 1)  - (übersprungen 0)\r\n"
         "Anzahl Dateien: 8 (von 10) - (Fehler 2) - (übersprungen 4)"},
        {"COPY", 0,
         " Anzahl Ordner: 2 - (Fehler 1) - (übersprungen 0)\r\nAnzahl Dateien: 8 - (Fehler 2) - (übersprungen 4)"},
        {"DELETE", status::kWithInfo,
         " Anzahl Ordner: 2 (von 3) - (Fehler 1)\r\nAnzahl Dateien: 8 (von 10) - (Fehler 2)"},
        {"ATTRIB", 0, " Anzahl Ordner: 2 - (Fehler 1)\r\nAnzahl Dateien: 8 - (Fehler 2)"},
        {"MKDIR", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(passSummary(counted(c.action, c.bits)), c.expected) << c.action;
}

TEST(PassSummary, InformationSummaryShowsOnlyAttributesPresent)
{
    const EngineState e = engineIn("INFO", 0,
                                   {.CountFiles = 10,
                                    .CountFolder = 3,
                                    .CountFolder_Protected = 1,
                                    .CountFiles_System = 4,
                                    .CountFolder_Hidden = 2,
                                    .CountFiles_Compressed = 1,
                                    .LevelMax = 5,
                                    .FullPathMaxLetters = 120});
    EXPECT_EQ(passSummary(e),
              " Anzahl Ordner: 3 (geschützt: 1) (versteckt: 2)\r\n"
              "Anzahl Dateien: 10 (System: 4) (komprimiert: 1)\r\n"
              "Tiefe: 5 - max. Länge: 120");
}

TEST(PassSummary, FinalStates)
{
    const EngineState clean = engineIn("INFO");
    ViewUpdate ok = passReady(clean, true, "", false, "x");
    EXPECT_EQ(ok.text(Control::Caption), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(ok.text(Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_FALSE(ok.text(Control::lblSystemInfoObject));
    // Done means done: the main bar ends at 100 %, whatever the counts' rounding left it at.
    EXPECT_EQ(
        ok.bars,
        (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 100}, {BarAction::Value, WhichBar::Main, 100}}));
    EXPECT_EQ(ok.lastMainPercent, 100);

    ViewUpdate errors = passReady(counted("COPY", 0), true, "", false, "x");
    EXPECT_EQ(errors.text(Control::Caption), "Vorgang abgeschlossen");
    // The sub bar ends full, also after a last file copied without steps.
    EXPECT_EQ(errors.bars, (std::vector<BarCommand>{{BarAction::Value, WhichBar::Sub, 100}}));
    EXPECT_EQ(errors.text(Control::lblSystemInfo), passSummary(counted("COPY", 0)));

    // Nothing to copy: the message follows the file line, the caption stays.
    ViewUpdate nothing = passReady(counted("COPY", status::kWithInfo), true, kNothingToCopy, false, "Vergleich");
    EXPECT_EQ(nothing.text(Control::lblSystemInfoObject), std::string("Vergleich - ") + kNothingToCopy);
    EXPECT_FALSE(nothing.text(Control::Caption));
    EXPECT_FALSE(nothing.text(Control::lblSystemInfoQuestion));
    EXPECT_TRUE(nothing.text(Control::lblSystemInfo));

    ViewUpdate waiting = passReady(counted("COPY", 0), false, "Kein Ziel", true, "a.txt");
    EXPECT_EQ(waiting.text(Control::Caption), "Eingabe erwartet...");
    EXPECT_EQ(waiting.text(Control::lblSystemInfoObject), "a.txt - Kein Ziel");
    EXPECT_FALSE(waiting.text(Control::lblSystemInfo));

    ViewUpdate cancelled = passReady(counted("DELETE", 0), false, "", false, "a.txt");
    EXPECT_EQ(cancelled.text(Control::lblSystemInfoQuestion), "Vorgang abgebrochen");
    EXPECT_FALSE(cancelled.text(Control::lblSystemInfoObject));

    ViewUpdate mkdirFailed = passReady(counted("MKDIR", 0), false, "Zugriff verweigert", false, "/d/neu");
    EXPECT_EQ(mkdirFailed.text(Control::lblCreateFolderError), "/d/neu - Zugriff verweigert");
    EXPECT_EQ(mkdirFailed.visible(Control::lblCreateFolderError), true);
    EXPECT_FALSE(mkdirFailed.text(Control::lblSystemInfoObject));
    EXPECT_FALSE(passReady(counted("MKDIR", 0), true, "", false, "").text(Control::lblSystemInfo));
}

TEST(PassSummary, CloseAfterRunOnlyForSuccessfulActions)
{
    struct Case {
        const char* action;
        bool success;
        bool unload;
    };
    const Case cases[] = {{"COPY", true, true},  {"DELETE", true, true}, {"ATTRIB", true, true},
                          {"INFO", true, false}, {"MKDIR", true, false}, {"COPY", false, false}};
    for (const Case& c : cases) {
        EngineState e = counted(c.action, 0);
        e.statusEx = engine::statusEx::kCloseAfterRun;
        EXPECT_EQ(passReady(e, c.success, "", false, "").unloadWindow, c.unload) << c.action;
        e.statusEx = 0;
        EXPECT_FALSE(passReady(e, c.success, "", false, "").unloadWindow);
    }
}

} // namespace
} // namespace zdr::run
