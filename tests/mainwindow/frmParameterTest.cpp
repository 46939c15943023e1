#include "mainwindow/frmParameter.h"
#include "project/Task.h"
#include "support/ScriptedUi.h"
#include "util/CommandLabel.h"
#include "util/HelpFile.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace zdr::mainwindow {
namespace {

using test::ScriptedUi;
using util::ui::Answer;
using util::ui::Icon;

QCheckBox* check(frmParameter& d, const char* name) { return d.findChild<QCheckBox*>(name); }
QLineEdit* box(frmParameter& d, const char* name) { return d.findChild<QLineEdit*>(name); }
void press(frmParameter& d, const char* label)
{
    auto* command = d.findChild<util::ui::CommandLabel*>(label);
    ASSERT_NE(command, nullptr) << label;
    QTest::mouseClick(command, Qt::LeftButton);
}
void type(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

constexpr const char* kRenameChecks[] = {"chkRenameStatusSource", "chkRenameStatusTarget", "chkRenameStatusFolder",
                                         "chkRenameStatusFiles", "chkRenameStatusFirstLevel"};

TEST(frmParameter, ModesShowTheirCaptionTitleAndFrame)
{
    const struct {
        const char* mode;
        const char* caption;
        const char* title;
        bool rename;
    } rows[] = {
        {"RENAME", "Definieren von 'Umbenennen von Daten' nach der Hauptaktion.",
         "Parameter 'Umbenennen' definieren...", true},
        {"NETCONNECT,SOURCE", "Netzlaufwerk Quelle verbinden und ggf. wieder trennen",
         "Parameter 'Netzlaufwerk Quelle verbinden' definieren...", false},
        {"NETCONNECT,TARGET", "Netzlaufwerk Ziel verbinden und ggf. wieder trennen",
         "Parameter 'Netzlaufwerk Ziel verbinden' definieren...", false},
    };
    for (const auto& row : rows) {
        frmParameter d;
        ASSERT_TRUE(d.fc_Init(row.mode, {}, {}, {})) << row.mode;
        d.show();
        EXPECT_EQ(d.findChild<QLabel*>("lblCaptionValue")->text(), QString::fromUtf8(row.caption));
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8(row.title));
        EXPECT_EQ(d.findChild<QGroupBox*>("fraRenameAction")->isVisible(), row.rename) << row.mode;
        EXPECT_EQ(d.findChild<QGroupBox*>("fraNetConnectAction")->isVisible(), !row.rename) << row.mode;
        EXPECT_FALSE(d.ParameterSaved());
    }
    for (const char* mode : {"rename", "NETCONNECT", "NETCONNECT,QUELLE", "", "RENAME "}) {
        frmParameter d;
        EXPECT_FALSE(d.fc_Init(mode, {}, {}, {})) << mode;
    }
}

TEST(frmParameter, NewRenameParameterStartsFromTheInitialCode)
{
    ScriptedUi ui;
    frmParameter d;
    ASSERT_TRUE(d.fc_Init("RENAME", {}, project::kRenameNone, {}));
    d.show();
    const bool expected[] = {true, false, true, true, false};
    for (std::size_t i = 0; i < std::size(kRenameChecks); ++i)
        EXPECT_EQ(check(d, kRenameChecks[i])->isChecked(), expected[i]) << kRenameChecks[i];
    EXPECT_EQ(box(d, "txtRenameCode")->text(), "done [NAMETOTAL]");
    EXPECT_TRUE(d.findChild<QPlainTextEdit*>("txtRenameInfo")
                    ->toPlainText()
                    .contains("[NAMETOTAL] = kompletter "
                              "Datenname inkl. Dateiendung"));
    press(d, "lblCmdParameterSave");
    EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
    EXPECT_TRUE(d.ParameterSaved());
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.ActionKEY(), "1|26|done [NAMETOTAL]");
    EXPECT_EQ(d.ActiontText(), "Quelle, Verz., Dateien umbenennen in: done [NAMETOTAL]");
}

TEST(frmParameter, StoringARenameParameterChecksAndBuildsTheCode)
{
    const std::string title = "Fehlerhafte Einstellung";
    const struct {
        const char* code;
        std::array<bool, 5> checks;
        const char* pattern;
        const char* key;  // stored code, or nullptr when refused
        const char* text; // readable text, or the message when refused
    } rows[] = {
        {"",
         {false, true, false, true, false},
         "[NAMETOTAL]_[yyyy][mm][dd]",
         "1|20|[NAMETOTAL]_[yyyy][mm][dd]",
         "Ziel, Dateien umbenennen in: [NAMETOTAL]_[yyyy][mm][dd]"},
        {"7|26|alt",
         {true, true, true, false, true},
         "neu",
         "7|46|neu",
         "Quelle und Ziel, Verz., NUR 1. Ebene umbenennen in: neu"},
        {"kaputt", {true, false, false, true, false}, "x", "1|18|x", "Quelle, Dateien umbenennen in: x"},
        {"",
         {false, false, false, false, false},
         "",
         nullptr,
         "Fehlerhafte Einstellung,\r\n\r\n - bitte wählen Sie 'Quell-' oder 'Zieldaten'\r\n - bitte wählen Sie "
         "'Order' oder 'Dateien' aus\r\n - bitte geben Sie einen Umbenennungscode an'\r\n\r\n für die Umbenennung!"},
        {"",
         {true, false, true, false, false},
         "[NAMETOTAL]",
         nullptr,
         "Fehlerhafte Einstellung,\r\n\r\n - aus dem Code [NAMETOTAL] wird keine Umbenennung ausgeführt, da er "
         "übereinstimmt'\r\n\r\n für die Umbenennung!"},
        {"",
         {true, false, true, false, false},
         "Bild [000|1]",
         "1|10|Bild [000|1]",
         "Quelle, Verz. umbenennen in: Bild [000|1]"},
        {"",
         {true, false, true, false, false},
         "a|b [Name",
         nullptr,
         "Fehlerhafte Einstellung,\r\n\r\n - der Umbenennungscode darf kein '|' enthalten\r\n - im Umbenennungscode "
         "fehlt eine schließende Klammer ']'\r\n\r\n für die Umbenennung!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern);
        ScriptedUi ui;
        frmParameter d;
        ASSERT_TRUE(d.fc_Init("RENAME", row.code, "alter Text", {}));
        d.show();
        for (std::size_t i = 0; i < std::size(kRenameChecks); ++i)
            check(d, kRenameChecks[i])->setChecked(row.checks[i]);
        type(box(d, "txtRenameCode"), QString::fromUtf8(row.pattern));
        press(d, "lblCmdParameterSave");
        if (row.key) {
            EXPECT_TRUE(ui.messages().empty()) << ui.lastText();
            EXPECT_TRUE(d.ParameterSaved());
            EXPECT_EQ(d.ActionKEY(), QString::fromUtf8(row.key));
            EXPECT_EQ(d.ActiontText(), QString::fromUtf8(row.text));
        } else {
            ASSERT_EQ(ui.messages().size(), 1u);
            EXPECT_EQ(ui.lastText(), row.text);
            EXPECT_EQ(ui.messages()[0].title, title);
            EXPECT_EQ(ui.messages()[0].icon, Icon::Exclamation);
            EXPECT_FALSE(d.ParameterSaved());
            EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
            EXPECT_EQ(d.ActionKEY(), QString::fromUtf8(row.code));
            EXPECT_EQ(d.ActiontText(), "alter Text");
        }
    }
}

TEST(frmParameter, DriveParameterProposesTheFolderDriveAndNeedsEveryField)
{
    ScriptedUi ui;
    frmParameter d;
    ASSERT_TRUE(d.fc_Init("NETCONNECT,SOURCE", {}, {}, "C:\\Daten\\2026"));
    d.show();
    EXPECT_TRUE(check(d, "chkNetConnectStatusDelNetAfterAction")->isChecked());
    EXPECT_EQ(box(d, "txtNetConnectDriveLetter")->text(), "C:");
    EXPECT_EQ(box(d, "txtNetConnectDrivePwd")->echoMode(), QLineEdit::Password);
    type(box(d, "txtNetConnectDriveNet"), "\\\\srv\\daten");
    type(box(d, "txtNetConnectDriveUser"), "hans");
    press(d, "lblCmdParameterSave");
    EXPECT_EQ(ui.lastText(),
              "Fehlerhafte Einstellung,\r\n\r\n - bitte füllen Sie alle Felder aus'\r\n\r\n für die "
              "Herstellung des Netzlaufwerks bitte alle Eingabefelder ausfüllen!");
    EXPECT_FALSE(d.ParameterSaved());

    // A bad drive is named, and the message does not show the password.
    type(box(d, "txtNetConnectDrivePwd"), "Ge|heim");
    type(box(d, "txtNetConnectDriveLetter"), "CC:");
    press(d, "lblCmdParameterSave");
    ASSERT_EQ(ui.messages().size(), 2u);
    EXPECT_NE(ui.lastText().find("Doppelpunkt"), std::string::npos);
    EXPECT_EQ(ui.lastText().find("heim"), std::string::npos);

    type(box(d, "txtNetConnectDriveLetter"), "Z:");
    check(d, "chkNetConnectStatusDelNetAfterAction")->setChecked(false);
    press(d, "lblCmdParameterSave");
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_TRUE(d.ParameterSaved());
    EXPECT_EQ(d.ActionKEY(), "0|Z:|\\\\srv\\daten|hans|Ge|heim");
    EXPECT_EQ(d.ActiontText(), "");

    // Reopened, the code shows as stored; a folder without a drive proposes none.
    const struct {
        const char* code;
        const char* folder;
        bool disconnect;
        const char* drive;
        const char* password;
    } reopen[] = {
        {"0|Z:|\\\\srv\\daten|hans|Ge|heim", "", false, "Z:", "Ge|heim"},
        {"2|Y:|\\\\srv\\x|u|p", "C:\\anders", true, "Y:", "p"},
        {"", "/home/u/daten", true, "", ""},
        {"2|Y:", "", true, "Y:", ""}, // damaged: shown as far as it reads
    };
    for (const auto& row : reopen) {
        frmParameter again;
        ASSERT_TRUE(again.fc_Init("NETCONNECT,TARGET", row.code, {}, row.folder));
        EXPECT_EQ(check(again, "chkNetConnectStatusDelNetAfterAction")->isChecked(), row.disconnect) << row.code;
        EXPECT_EQ(box(again, "txtNetConnectDriveLetter")->text(), row.drive) << row.code;
        EXPECT_EQ(box(again, "txtNetConnectDrivePwd")->text(), row.password) << row.code;
    }
}

TEST(frmParameter, DeleteAsksAndCloseKeepsEverything)
{
    for (const char* mode : {"RENAME", "NETCONNECT,TARGET"}) {
        SCOPED_TRACE(mode);
        ScriptedUi ui;
        frmParameter d;
        ASSERT_TRUE(d.fc_Init(mode, "1|26|x", "Text", {}));
        d.show();
        ui.answer(Answer::No);
        press(d, "lblCmdParameterDelete");
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.lastText(), "Möchten Sie den Parameter entfernen?");
        EXPECT_EQ(ui.messages()[0].title, "Parameter löschen ...");
        EXPECT_EQ(ui.messages()[0].icon, Icon::Question);
        EXPECT_FALSE(d.ParameterSaved());
        EXPECT_TRUE(d.isVisible());

        ui.answer(Answer::Yes);
        press(d, "lblCmdParameterDelete");
        EXPECT_TRUE(d.ParameterSaved());
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.ActionKEY(), "");
        EXPECT_EQ(d.ActiontText(), project::kRenameNone);
    }

    ScriptedUi ui;
    frmParameter d;
    ASSERT_TRUE(d.fc_Init("RENAME", "1|26|x", "Text", {}));
    d.show();
    type(box(d, "txtRenameCode"), "anders");
    press(d, "lblCmdClose");
    EXPECT_FALSE(d.isVisible());
    EXPECT_FALSE(d.ParameterSaved());
    EXPECT_EQ(d.ActionKEY(), "1|26|x");
    EXPECT_EQ(d.ActiontText(), "Text");
    EXPECT_TRUE(ui.messages().empty());
}

TEST(frmParameter, F1OpensTheHelp)
{
    ScriptedUi ui;
    frmParameter d;
    ASSERT_TRUE(d.fc_Init("RENAME", {}, {}, {}));
    d.show();
    QApplication::setActiveWindow(&d);
    QTest::keyClick(box(d, "txtRenameCode"), Qt::Key_F1);
    EXPECT_EQ(ui.helpOpened(), std::vector<std::string>{util::ui::helpFilePath() + "#parameter"});
    EXPECT_FALSE(d.ParameterSaved());
}

} // namespace
} // namespace zdr::mainwindow
