// The clipboard, the file dialog and the help file behind the program's own
// interfaces.
#include "platform/Paths.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/ElidedLabel.h"
#include "util/HelpFile.h"
#include "util/MsgBox.h"
#include "util/QtSetup.h"
#include "util/clsClipboard.h"
#include "util/clsCommonDialog.h"
#include "util/mdlGetFolder.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace zdr::util::ui {
namespace {

using test::ScriptedUi;
namespace format = base::clipboardFormat;

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

QString namedFormat(const char* name)
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(name));
}

// Each line that does not fit is shortened on its own; lines that fit stay.
TEST(ElidedLabel, ShortensEachLineThatDoesNotFit)
{
    ElidedLabel label;
    label.setFixedWidth(200);
    const QString longLine = QStringLiteral("Anfang ") + QString(200, QLatin1Char('m')) + QStringLiteral(" Ende");
    label.setText(QStringLiteral("kurz\n") + longLine);
    const QStringList lines = label.shownText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "kurz");
    EXPECT_TRUE(lines[1].startsWith("Anfang") && lines[1].endsWith("Ende")) << lines[1].toStdString();
    EXPECT_LE(label.fontMetrics().horizontalAdvance(lines[1]), 200);
    EXPECT_EQ(label.text(), QStringLiteral("kurz\n") + longLine) << "the label keeps the whole text";
    EXPECT_TRUE(label.isElided());
    EXPECT_EQ(label.textFormat(), Qt::PlainText) << "paths are never read as markup";
}

TEST(clsClipboard, TextFormatsCarryUnicodeText)
{
    clsClipboard clipboard;
    const std::string path = "/mnt/Sicherung/Übersicht 2026 \xE2\x82\xAC \xF0\x9F\x98\x80"; // euro sign, emoji
    for (std::uint32_t f : {format::kText, format::kOemText, format::kUnicodeText}) {
        QGuiApplication::clipboard()->clear();
        ASSERT_TRUE(clipboard.ClipboardAll_Copy(path, f)) << f;
        EXPECT_EQ(clipboardText(), QString::fromUtf8(path.c_str())) << f;
    }
    ASSERT_TRUE(clipboard.CopyUNICODETEXT("Grüße"));
    EXPECT_EQ(clipboardText(), QStringLiteral("Grüße"));
    EXPECT_EQ(clipboardText().size(), 5) << "five UTF-16 units, not the UTF-8 bytes";
}

TEST(clsClipboard, EmptyLongAndDamagedTexts)
{
    clsClipboard clipboard;
    ASSERT_TRUE(clipboard.ClipboardAll_Copy("vorher", format::kText));
    ASSERT_TRUE(clipboard.ClipboardAll_Copy("", format::kText));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasText()) << "an empty text is still text on the clipboard";
    EXPECT_TRUE(data->text().isEmpty());

    // No 16-bit length limit: a text far beyond 32767 characters goes whole.
    std::string longText;
    for (int i = 0; i < 20000; ++i)
        longText += "ä/b";
    ASSERT_TRUE(clipboard.ClipboardAll_Copy(longText, format::kText));
    EXPECT_EQ(clipboardText().size(), 60000);
    EXPECT_EQ(clipboardText(), QString::fromUtf8(longText.c_str()));

    // A name from disk that is not UTF-8 is shown with a replacement character.
    ASSERT_TRUE(clipboard.ClipboardAll_Copy("a\xFF"
                                            "b",
                                            format::kText));
    EXPECT_EQ(clipboardText(), QStringLiteral("a\uFFFDb"));
}

TEST(clsClipboard, NamedFormatsReplaceTheContent)
{
    clsClipboard clipboard;
    const struct {
        bool (clsClipboard::*copy)(const std::string&);
        const char* name;
    } rows[] = {
        {&clsClipboard::CopyCsv, "Csv"},   {&clsClipboard::CopyXlTable, "XlTable"}, {&clsClipboard::CopyBiff5, "Biff5"},
        {&clsClipboard::CopySYLK, "SYLK"}, {&clsClipboard::CopyDIF, "DIF"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(clipboard.ClipboardAll_Copy("alt", format::kText));
        ASSERT_TRUE((clipboard.*row.copy)("a;ö"));
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        EXPECT_EQ(data->data(namedFormat(row.name)), QByteArray("a;\xC3\xB6")) << row.name;
        EXPECT_FALSE(data->hasText()) << row.name << ": the clipboard was emptied first";
    }
    EXPECT_EQ(clsClipboard::fc_RegisterFormat("Csv"), clsClipboard::fc_RegisterFormat("CSV"));
    EXPECT_GE(clsClipboard::fc_RegisterFormat("Csv"), 0xC000u);
    EXPECT_NE(clsClipboard::fc_RegisterFormat("Csv"), clsClipboard::fc_RegisterFormat("Biff5"));

    // A number nobody gave out changes nothing.
    ASSERT_TRUE(clipboard.ClipboardAll_Copy("bleibt", format::kText));
    EXPECT_FALSE(clipboard.ClipboardAll_Copy("x", 99));
    EXPECT_FALSE(clipboard.ClipboardAll_Copy("x", 0xFFFF));
    EXPECT_EQ(clipboardText(), QStringLiteral("bleibt"));
}

TEST(clsCommonDialog, FilterPairsBecomeDialogEntries)
{
    const struct {
        const char* filter;
        const char* entries;
    } rows[] = {
        {"Zendor File Copy Dateien (*.ZdrPrj)|*.ZdrPrj|Alle Dateien (*.*)|*.*",
         "Zendor File Copy Dateien (*.ZdrPrj);;Alle Dateien (*)"},
        {"Texte|*.txt;*.dat", "Texte (*.txt *.dat)"},
        {"Texte|*.txt|ohne Muster", "Texte (*.txt)"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(clsCommonDialog::qtFilter(row.filter), row.entries) << row.filter;
}

// The real dialog, answered through the widget as a user would.
std::string chooseWithRealDialog(bool save, const std::string& folder, const std::string& name, bool accept)
{
    QTimer::singleShot(0, [accept] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (accept)
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides its override
        else
            dialog->reject();
    });
    return clsCommonDialog().fc_ChooseFile("Zendor File Copy Dateien (*.ZdrPrj)|*.ZdrPrj|Alle Dateien (*.*)|*.*",
                                           folder, save, name, "ZdrPrj", nullptr);
}

TEST(clsCommonDialog, RealDialogReturnsThePathOrNothing)
{
    test::TempDir dir;
    EXPECT_EQ(chooseWithRealDialog(true, dir.path(), "Projekt", false), "") << "cancelled";
    EXPECT_EQ(chooseWithRealDialog(true, dir.path(), "Projekt", true), dir.file("Projekt.ZdrPrj"))
        << "the default extension is added";
    const std::string existing = dir.write("Alt.ZdrPrj", "<ZendorFileCopy/>");
    EXPECT_EQ(chooseWithRealDialog(false, dir.path(), existing, true), existing);
}

TEST(HelpFile, OpensThePresentFileAndTellsAboutAMissingOne)
{
    ScriptedUi ui;
    EXPECT_EQ(helpFilePath(), platform::joinPath(platform::programFolder(), "hilfe/index.html"));
    test::TempDir dir;
    setHelpFolder(dir.path());
    const std::string path = dir.file("hilfe/index.html");
    EXPECT_EQ(helpFilePath(), path);
    openHelpFile(nullptr);
    EXPECT_TRUE(ui.helpOpened().empty());
    EXPECT_EQ(ui.lastText(), "Die Hilfedatei '" + path + "' wurde nicht gefunden.");

    dir.write("hilfe/index.html", "<html></html>");
    openHelpFile(nullptr);
    openHelpFile(nullptr, helpTopic::kProgress);
    EXPECT_EQ(ui.helpOpened(), (std::vector<std::string>{path, path + "#fortschritt"}));
    EXPECT_EQ(ui.messages().size(), 1u);
    ui.failHelp();
    openHelpFile(nullptr);
    EXPECT_EQ(ui.lastText(), "Die Hilfedatei '" + path + "' konnte nicht geöffnet werden.");

    // No browser to start (no xdg-open on the path): the user learns where the guide is.
    setHelpOpener({});
    {
        const test::ScopedEnv noPrograms("PATH", dir.path().c_str());
        openHelpFile(nullptr);
    }
    EXPECT_EQ(ui.lastText(),
              "Es ist kein Browser eingerichtet, der die Hilfe zeigen kann. Die Hilfe liegt in:\r\n" + path);
    setHelpFolder({});
}

// Each topic a window opens the guide at is an anchor of the guide.
TEST(HelpFile, GuideHasEveryTopicAsAnAnchor)
{
    std::ifstream file(helpFilePath());
    ASSERT_TRUE(file) << helpFilePath();
    std::ostringstream guide;
    guide << file.rdbuf();
    for (const char* topic : helpTopics())
        EXPECT_NE(guide.str().find("id=\"" + std::string(topic) + "\""), std::string::npos) << topic;
}

// Whatever the user's locale, the buttons Qt names read German.
TEST(QtSetup, MessageBoxButtonsReadGerman)
{
    ASSERT_TRUE(useGermanQtTexts()) << "Qt's German texts (qt6-translations-l10n) are missing";
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            shown << button->text();
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(msgBox(nullptr, "Möchten Sie die geänderten Daten speichern?", Buttons::YesNoCancel, Icon::Question),
              Answer::Cancel);
    shown.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
}

// The file dialogs' history goes into the program's own configuration
// folder, never into the "QtProject.conf" every Qt program shares.
TEST(QtSetup, DialogHistoryOnlyInTheProgramsOwnFolder)
{
    test::TempDir home;
    const std::string config = home.mkdir("config");
    const char* oldHome = std::getenv("HOME");
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    const std::optional<std::string> savedConfig = oldConfig ? std::optional<std::string>(oldConfig) : std::nullopt;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    EXPECT_EQ(keepDialogHistoryOwn(), home.file("config/zendor-darorazu"));
    chooseWithRealDialog(true, home.mkdir("Projekte"), "Projekt", false);
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    fc_BrowseForFolder(kFolderRootDrives, "Bitte wählen Sie das Zielverzeichnis aus ...", nullptr,
                       kBrowseFileSystemOnly, home.path());

    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path()))
        if (entry.is_regular_file())
            written.push_back(entry.path().string());
    EXPECT_EQ(written, std::vector<std::string>{home.file("config/zendor-darorazu/QtProject.conf")});

    setenv("HOME", savedHome.c_str(), 1);
    if (savedConfig)
        setenv("XDG_CONFIG_HOME", savedConfig->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    keepDialogHistoryOwn(); // later dialogs keep theirs out of the folder that is going
}

} // namespace
} // namespace zdr::util::ui
