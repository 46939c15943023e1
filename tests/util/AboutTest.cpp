#include "mainwindow/frmMain.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/frmAbout.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace zdr::util::ui {
namespace {

using test::ScriptedUi;
using test::TempDir;
namespace fs = std::filesystem;

QString text(const QWidget& w, const char* name) { return w.findChild<QLabel*>(name)->text(); }
CommandLabel* command(const QWidget& w, const char* name) { return w.findChild<CommandLabel*>(name); }

// Sets PATH for one test, so the search for a system information program
// sees only what the test put there.
class PathFor {
public:
    explicit PathFor(const std::string& path) : saved_(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        setenv("PATH", path.c_str(), 1);
    }
    ~PathFor() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

std::string executable(const TempDir& dir, const char* name, const std::string& script)
{
    const std::string path = dir.write(name, script);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

TEST(frmAbout, VersionNumbersAreZeroPadded)
{
    const struct {
        base::Version version;
        const char* text;
    } cases[] = {
        {{1, 2, 34}, "01.02.0034"}, {{2, 0, 5}, "02.00.0005"},         {{10, 11, 1234}, "10.11.1234"},
        {{0, 0, 0}, "00.00.0000"},  {{123, 4, 56789}, "123.04.56789"}, // wider numbers are not cut
    };
    for (const auto& c : cases)
        EXPECT_EQ(versionNumberText(c.version), c.text);
}

TEST(frmAbout, ShowsTheProgramsTexts)
{
    frmAbout about;
    EXPECT_EQ(text(about, "lblTitle"), "Anwendungstitel");
    about.sb_Form_Init(nullptr);
    EXPECT_EQ(about.windowTitle(), "Programm - Informationen");
    EXPECT_EQ(text(about, "lblTitle"), "      Programm: Zendor DaroRazu");
    EXPECT_EQ(text(about, "lblVersion"),
              "         Version: " + QString::fromStdString(versionNumberText(base::programVersion())));
    EXPECT_EQ(text(about, "lblDescription").toStdString(), base::kProgramDescription);
    EXPECT_TRUE(text(about, "lblDisclaimer").contains("ohne Gewähr"));
    EXPECT_FALSE(about.findChild<QLabel*>("picIcon")->pixmap().isNull());

    const struct {
        const char* name;
        QString caption;
        const char* tip;
    } commands[] = {
        {"lblCmdSysInfo", "&Systeminfo", "Systeminformationen des Betriebssystems anzeigen."},
        {"lblCmdZendorInternet", QString::fromUtf8(base::kProductWebPage.data()),
         "Internetseite der Firma Zendor GmbH öffnen."},
        {"lblCmdClose", "&Schließen", "Fenster schlißen."},
    };
    for (const auto& c : commands) {
        ASSERT_NE(command(about, c.name), nullptr) << c.name;
        EXPECT_EQ(command(about, c.name)->caption(), c.caption);
        EXPECT_EQ(command(about, c.name)->toolTip(), QString::fromUtf8(c.tip));
    }
}

TEST(frmAbout, WebLinkOpensTheMakersPageAndCloseCloses)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    frmAbout about;
    about.sb_Form_Init(nullptr);
    about.show();
    command(about, "lblCmdZendorInternet")->click();
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString().toStdString(), base::kProductWebPage);
    command(about, "lblCmdClose")->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(frmAbout, SystemInformationProgramIsStartedWhenInstalled)
{
    ScriptedUi ui;
    TempDir dir;
    const std::string marker = dir.file("started");
    {
        PathFor path(dir.path());
        executable(dir, "hardinfo", "#!/bin/sh\necho \"$@\" > '" + marker + "'\n");
        frmAbout about;
        about.sb_Form_Init(nullptr);
        ASSERT_TRUE(command(about, "lblCmdSysInfo")->isEnabled());
        command(about, "lblCmdSysInfo")->click();
        for (int i = 0; i < 100 && !fs::exists(marker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_TRUE(fs::exists(marker));
        EXPECT_TRUE(ui.messages().empty());

        // Present but not startable: the box says so.
        executable(dir, "hardinfo", "#!/no/such/interpreter\n");
        command(about, "lblCmdSysInfo")->click();
        EXPECT_EQ(ui.lastText(), "Systeminformationsprogramm zur Zeit nicht verfügbar.");
    }
    TempDir empty;
    PathFor path(empty.path());
    EXPECT_EQ(findSystemInfoTool(), "");
    frmAbout about;
    about.sb_Form_Init(nullptr);
    ASSERT_TRUE(command(about, "lblCmdSysInfo")->isEnabled());
    command(about, "lblCmdSysInfo")->click();
    EXPECT_EQ(ui.messages().size(), 2u);
    EXPECT_EQ(ui.lastText(), "Systeminformationsprogramm zur Zeit nicht verfügbar.");
}

TEST(frmAbout, F1OpensTheHelpFile)
{
    ScriptedUi ui;
    frmAbout about;
    about.sb_Form_Init(nullptr);
    std::string opened;
    setHelpOpener([&](const std::string& path) {
        opened = path;
        return true;
    });
    QTest::keyClick(&about, Qt::Key_F1);
    setHelpOpener({});
    EXPECT_EQ(opened, helpFilePath() + "#info");
}

TEST(frmAbout, OpensModallyFromTheMainWindowsHelpMenu)
{
    ScriptedUi ui;
    mainwindow::frmMain main;
    QAction* entry = nullptr;
    for (QAction* action : main.findChildren<QAction*>("mnuHelpWork"))
        if (action->text() == "Informationen")
            entry = action;
    ASSERT_NE(entry, nullptr);
    QString caption;
    QString owner;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown)
            return;
        caption = shown->windowTitle();
        owner = shown->parentWidget() ? shown->parentWidget()->objectName() : QString();
        command(*shown, "lblCmdClose")->click();
    });
    entry->trigger();
    EXPECT_EQ(caption, "Programm - Informationen");
    EXPECT_EQ(owner, main.objectName());
}

} // namespace
} // namespace zdr::util::ui

#include "AboutTest.moc"
