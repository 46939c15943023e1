#include "base/ParameterCodes.h"

#include <gtest/gtest.h>

namespace zdr::base {
namespace {

using Lines = std::vector<std::string>;

TEST(RenameCode, ParseGivesADefinedOutcomeForEveryShape)
{
    const struct {
        const char* text;
        bool ok;
        const char* head;
        std::uint32_t flags;
        const char* pattern;
        const char* error; // part of the error text; "" when ok
    } rows[] = {
        {"1|26|done [NAMETOTAL]", true, "1", 26, "done [NAMETOTAL]", ""},
        {"1|20|[NAMETOTAL]_[yyyy][mm][dd]", true, "1", 20, "[NAMETOTAL]_[yyyy][mm][dd]", ""},
        {"7|2|x", true, "7", 2, "x", ""},                           // head kept as found
        {"|26|x", true, "", 26, "x", ""},                           // even an empty one
        {"1|0|", true, "1", 0, "", ""},                             // renaming switched off
        {"1|4294967295|x", true, "1", 4294967295u, "x", ""},        // largest switches
        {"1|26|[nametotal] (", true, "1", 26, "[nametotal] (", ""}, // kept literally; the dialog refuses it
        {"1|26", false, "1", 26, "", "2 statt 3 Felder"},
        {"abc", false, "1", 0, "", "1 statt 3 Felder"},     // no field is known: a fresh head
        {"1|26|[000|1]_x", true, "1", 26, "[000|1]_x", ""}, // a running number holds its "|"
        {"1|26|[000|1]|x", false, "1", 26, "[000|1]|x", "4 statt 3 Felder"},
        {"1|26|[0a|1]_x", false, "1", 26, "[0a|1]_x", "4 statt 3 Felder"},
        {"|||", false, "", 0, "|", "4 statt 3 Felder"},
        {"1|abc|x", false, "1", 0, "x", "keine Zahl: 'abc'"},
        {"1| 26|x", false, "1", 0, "x", "keine Zahl"},
        {"1|-2|x", false, "1", 0, "x", "keine Zahl"},
        {"1||x", false, "1", 0, "x", "keine Zahl"},
        {"1|4294967296|x", false, "1", 0, "x", "keine Zahl"},
        {"1|26|", false, "1", 26, "", "keinen Umbenennungscode"},
        {"1|26|a/b", false, "1", 26, "a/b", "Verzeichnistrennzeichen"},
        {"1|26|..\\x", false, "1", 26, "..\\x", "Verzeichnistrennzeichen"},
    };
    for (const auto& row : rows) {
        const ParsedCode<RenameCode> parsed = parseRenameCode(row.text);
        SCOPED_TRACE(row.text);
        EXPECT_FALSE(parsed.empty);
        EXPECT_EQ(parsed.ok(), row.ok) << parsed.error;
        EXPECT_EQ(parsed.code, (RenameCode{row.head, row.flags, row.pattern}));
        if (row.ok)
            EXPECT_EQ(buildRenameCode(parsed.code), row.text) << "a sound code round-trips unchanged";
        else
            EXPECT_NE(parsed.error.find(row.error), std::string::npos) << parsed.error;
    }
    EXPECT_TRUE(parseRenameCode("").empty);
    EXPECT_FALSE(parseRenameCode("").ok());
    EXPECT_EQ(parseRenameCode(kRenameCodeInitial).code, (RenameCode{"1", 26, "done [NAMETOTAL]"}));
}

TEST(RenameCode, ReadableTextNamesTheSwitchesInOrder)
{
    using namespace renameFlag;
    const struct {
        std::uint32_t flags;
        const char* text;
    } rows[] = {
        {26, "Quelle, Verz., Dateien umbenennen in: p"},
        {kTarget | kFiles, "Ziel, Dateien umbenennen in: p"},
        {kSource | kTarget | kFolders | kFiles | kFirstLevel,
         "Quelle und Ziel, Verz., Dateien, NUR 1. Ebene umbenennen in: p"},
        {kFolders, "Verz. umbenennen in: p"},
        {0, " umbenennen in: p"}, // nothing to cut
    };
    for (const auto& row : rows)
        EXPECT_EQ(renameText(RenameCode{"1", row.flags, "p"}), row.text) << row.flags;
}

TEST(RenameCode, StoreChecksListEveryProblemOnce)
{
    const Lines chooseSide = {" - bitte wählen Sie 'Quell-' oder 'Zieldaten'"};
    const Lines chooseKind = {" - bitte wählen Sie 'Order' oder 'Dateien' aus"};
    const struct {
        std::uint32_t flags;
        const char* pattern;
        Lines problems;
    } rows[] = {
        {26, "done [NAMETOTAL]", {}},
        {26, "[backup] [NAMETOTAL]_[yyyy][mm][dd][hh][nn][ss] [NAME].[EXT]", {}},
        {26, "x]", {}}, // a lone "]" is just a character
        {0, "", {chooseSide[0], chooseKind[0], " - bitte geben Sie einen Umbenennungscode an'"}},
        {20, "[NAMETOTAL]", {" - aus dem Code [NAMETOTAL] wird keine Umbenennung ausgeführt, da er übereinstimmt'"}},
        {2, "x", chooseKind},
        {8, "x", chooseSide},
        {26, "[000|1]_[NAMETOTAL]", {}}, // a running number
        {26, "a|[NAMETOTAL]", {" - der Umbenennungscode darf kein '|' enthalten"}},
        {26, "[00|]_[NAMETOTAL]", {" - der Umbenennungscode darf kein '|' enthalten"}}, // no start number
        {26, "alt/[NAMETOTAL]", {" - der Umbenennungscode darf kein '\\' oder '/' enthalten"}},
        {26, "done [NAMETOTAL", {" - im Umbenennungscode fehlt eine schließende Klammer ']'"}},
        {26, "[a[NAMETOTAL] [", {" - im Umbenennungscode fehlt eine schließende Klammer ']'"}},
        {26,
         "[Nametotal]_[YYYY]",
         {" - Platzhalter '[Nametotal]' bitte als '[NAMETOTAL]' schreiben",
          " - Platzhalter '[YYYY]' bitte als '[yyyy]' schreiben"}},
        {26, "[MM][MM]", {" - Platzhalter '[MM]' bitte als '[mm]' schreiben"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(renameProblems(row.flags, row.pattern), row.problems) << row.flags << " " << row.pattern;

    EXPECT_EQ(renameProblemMessage(chooseSide),
              "Fehlerhafte Einstellung,\r\n\r\n - bitte wählen Sie 'Quell-' oder 'Zieldaten'\r\n\r\n für die "
              "Umbenennung!");
}

TEST(NetConnectCode, ParseGivesADefinedOutcomeForEveryShape)
{
    const char* const password = "Geheim#1";
    const char* const user = "hans.meier";
    const struct {
        const char* text;
        bool ok;
        NetConnectCode code;
        const char* error;
    } rows[] = {
        {"2|Z:|\\\\srv\\share|hans.meier|Geheim#1", true, {2, "Z:", "\\\\srv\\share", user, password}, ""},
        {"0|z|//srv/share|hans.meier|Geheim#1", true, {0, "z", "//srv/share", user, password}, ""},
        {"2|Z:|\\\\srv\\share\\sub|hans.meier|Geheim#1", true, {2, "Z:", "\\\\srv\\share\\sub", user, password}, ""},
        // The password is last, so one with "|" reads back whole.
        {"2|Z:|\\\\srv\\share|hans.meier|Ge|heim#1|", true, {2, "Z:", "\\\\srv\\share", user, "Ge|heim#1|"}, ""},
        {"2||||", true, {2, "", "", "", ""}, ""}, // the proposal: uses a drive only when it answers
        {"2|Z:|\\\\srv\\share|hans.meier", false, {2, "Z:", "\\\\srv\\share", user, ""}, "4 statt 5 Felder"},
        {"Geheim#1", false, {0, "", "", "", ""}, "1 statt 5 Felder"},
        {"x|Z:|\\\\srv\\share|hans.meier|Geheim#1", false, {0, "Z:", "\\\\srv\\share", user, password}, "keine Zahl"},
        {"2|ZZ:|\\\\srv\\share|hans.meier|Geheim#1", false, {2, "ZZ:", "\\\\srv\\share", user, password}, "'ZZ:'"},
        {"2|Z:\\|\\\\srv\\share|hans.meier|Geheim#1", false, {2, "Z:\\", "\\\\srv\\share", user, password}, "Laufwerk"},
        {"2|:|\\\\srv\\share|hans.meier|Geheim#1", false, {2, ":", "\\\\srv\\share", user, password}, "Laufwerk"},
        {"2|1:|\\\\srv\\share|hans.meier|Geheim#1", false, {2, "1:", "\\\\srv\\share", user, password}, "Laufwerk"},
        {"2|Z:|srv\\share|hans.meier|Geheim#1", false, {2, "Z:", "srv\\share", user, password}, "Form"},
        {"2|Z:|\\\\srv|hans.meier|Geheim#1", false, {2, "Z:", "\\\\srv", user, password}, "Form"},
        {"2|Z:|\\\\\\share|hans.meier|Geheim#1", false, {2, "Z:", "\\\\\\share", user, password}, "Form"},
        {"2|Z:|\\\\srv\\|hans.meier|Geheim#1", false, {2, "Z:", "\\\\srv\\", user, password}, "Form"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const ParsedCode<NetConnectCode> parsed = parseNetConnectCode(row.text);
        EXPECT_EQ(parsed.ok(), row.ok) << parsed.error;
        EXPECT_EQ(parsed.code, row.code);
        if (row.ok)
            EXPECT_EQ(buildNetConnectCode(parsed.code), row.text) << "a sound code round-trips unchanged";
        else
            EXPECT_NE(parsed.error.find(row.error), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find(password), std::string::npos) << "an error text never carries the password";
        EXPECT_EQ(parsed.error.find(user), std::string::npos);
    }
    EXPECT_TRUE(parseNetConnectCode("").empty);
}

TEST(NetConnectCode, ProposalTakesTheDriveOfTheFolder)
{
    const struct {
        const char* folder;
        const char* proposal;
    } rows[] = {
        {"C:\\Daten", "2|C:|||"}, {"z:", "2|z:|||"},           {"/home/u/Daten", "2||||"}, {"", "2||||"},
        {"C", "2||||"},           {"\\\\srv\\share", "2||||"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(netConnectProposal(row.folder), row.proposal) << row.folder;
        EXPECT_FALSE(parseNetConnectCode(row.proposal).empty);
    }
    EXPECT_EQ(driveName("Z"), "Z:");
    EXPECT_EQ(driveName("Z:"), "Z:");
    EXPECT_EQ(driveName(""), "");
}

TEST(NetConnectCode, StoreChecksAndTheirMessage)
{
    const std::string fill = " - bitte füllen Sie alle Felder aus'";
    const std::string drive = " - bitte geben Sie das lokale Laufwerk als Buchstaben mit Doppelpunkt an (z.B.: Z:)";
    const std::string share = " - bitte geben Sie die Netzwerkfreigabe in der Form \\\\Server\\Freigabe an";
    const struct {
        NetConnectCode code;
        Lines problems;
    } rows[] = {
        {{2, "Z:", "\\\\srv\\share", "u", "p"}, {}},
        {{0, "Z", "//srv/share", "u", "p|w"}, {}},
        {{2, "Z:", "\\\\srv\\share", "u", ""}, {fill}},
        {{2, "", "", "", ""}, {fill}},
        {{2, "ZZ", "srv", "u", ""}, {fill, drive, share}},
        {{2, "Z:", "\\\\srv\\share", "a|b", "p"}, {" - der Benutzername darf kein '|' enthalten"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(netConnectProblems(row.code), row.problems) << describe(row.code);

    EXPECT_EQ(netConnectProblemMessage({fill}),
              "Fehlerhafte Einstellung,\r\n\r\n - bitte füllen Sie alle Felder aus'\r\n\r\n für die Herstellung des "
              "Netzlaufwerks bitte alle Eingabefelder ausfüllen!");
    EXPECT_EQ(netConnectProblemMessage({drive}),
              "Fehlerhafte Einstellung,\r\n\r\n" + drive + "\r\n\r\n für die Herstellung des Netzlaufwerks!");
}

TEST(NetConnectCode, DescriptionMasksThePassword)
{
    const NetConnectCode code{2, "Z:", "\\\\srv\\share", "hans", "Geheim#1"};
    const std::string text = describe(code);
    EXPECT_EQ(text, "Netzlaufwerk Z: = \\\\srv\\share, Benutzer hans, Kennwort ***, nach der Aktion trennen");
    EXPECT_EQ(text.find("Geheim"), std::string::npos);
    EXPECT_EQ(describe(NetConnectCode{}), "Netzlaufwerk (kein Laufwerk) = (keine Freigabe), ohne Kennwort");
    // The stored code as a tool prints it.
    EXPECT_EQ(maskedNetConnectCode("2|Z:|\\\\srv\\share|hans|Geheim|#1"), "2|Z:|\\\\srv\\share|hans|***");
    EXPECT_EQ(maskedNetConnectCode("2||||"), "2||||");
    EXPECT_EQ(maskedNetConnectCode("2|Z:|x"), "2|Z:|x");
}

// Every short text over the characters that matter: reading never fails
// hard, and whatever reads as sound builds back to a code that reads the same.
TEST(ParameterCodes, EveryShortTextReadsAndSoundCodesRebuild)
{
    const std::string alphabet = "|:\\/[]Z2 ";
    std::vector<std::string> texts{""};
    for (int length = 1; length <= 5; ++length) {
        std::vector<std::string> longer;
        for (const std::string& t : texts)
            if (t.size() == static_cast<std::size_t>(length - 1))
                for (char c : alphabet)
                    longer.push_back(t + c);
        texts.insert(texts.end(), longer.begin(), longer.end());
    }
    int sound = 0;
    for (const std::string& text : texts) {
        const ParsedCode<RenameCode> rename = parseRenameCode(text);
        if (rename.ok()) {
            ++sound;
            const ParsedCode<RenameCode> again = parseRenameCode(buildRenameCode(rename.code));
            ASSERT_TRUE(again.ok()) << text;
            ASSERT_EQ(again.code, rename.code) << text;
        }
        const ParsedCode<NetConnectCode> net = parseNetConnectCode(text);
        if (net.ok()) {
            ++sound;
            const ParsedCode<NetConnectCode> again = parseNetConnectCode(buildNetConnectCode(net.code));
            ASSERT_TRUE(again.ok()) << text;
            ASSERT_EQ(again.code, net.code) << text;
        }
    }
    EXPECT_GT(sound, 0);
}

} // namespace
} // namespace zdr::base
