// The main window as a laptop user meets it: a screen of 1024 x 768 on a
// private Xvfb with a window manager (openbox), no mouse, real key events.
// Skips, with the reason, where Xvfb or openbox is missing.
#include "mainwindow/frmMain.h"
#include "support/PrivateXServer.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTreeView>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace zdr::mainwindow {
namespace {

using test::PrivateXServer;

std::string& skipReason()
{
    static std::string why;
    return why;
}

// A screen of 1024 x 768 with a window manager, for the whole test program.
class SmallScreen {
public:
    SmallScreen()
    {
        if (x11_.display().empty()) {
            skipReason() = x11_.why();
            return;
        }
        setenv("DISPLAY", x11_.display().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        unsetenv("WAYLAND_DISPLAY");
        // Openbox runs the startup command once it has taken the screen and
        // the windows already there; a window mapped before that is one it
        // found, not a new one, and never gets the focus.
        const char* tmp = std::getenv("TMPDIR");
        ready_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/zdr-openbox-ready-" + std::to_string(getpid());
        unlink(ready_.c_str());
        const std::string startup = "touch " + ready_;
        std::vector<char*> argv{const_cast<char*>("openbox"), const_cast<char*>("--startup"),
                                const_cast<char*>(startup.c_str()), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&openbox_, "openbox", &actions, nullptr, argv.data(), environ) != 0)
            openbox_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        for (int tries = 0; openbox_ > 0 && tries < 1500; ++tries) {
            if (access(ready_.c_str(), F_OK) == 0)
                return;
            usleep(20000);
        }
        skipReason() = "openbox (the window manager) does not start here";
    }
    ~SmallScreen()
    {
        if (openbox_ > 0) {
            kill(openbox_, SIGTERM);
            waitpid(openbox_, nullptr, 0);
        }
        if (!ready_.empty())
            unlink(ready_.c_str());
    }
    SmallScreen(const SmallScreen&) = delete;
    SmallScreen& operator=(const SmallScreen&) = delete;

private:
    PrivateXServer x11_{"1024x768x24"};
    pid_t openbox_ = -1;
    std::string ready_;
};

class frmMainScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!skipReason().empty())
            GTEST_SKIP() << skipReason();
        w_.fc_Init({}, {}, {});
        w_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w_));
    }

    template <class Widget = QWidget>
    Widget* control(const char* name)
    {
        return w_.findChild<Widget*>(QString::fromLatin1(name));
    }

    test::ScriptedUi ui_;
    frmMain w_;
};

// At its least size the window and its command row fit the screen, and the
// least height leaves room for a panel on a 768-pixel laptop.
TEST_F(frmMainScreen, FitsASmallScreen)
{
    const QSize least = w_.minimumSizeHint().expandedTo(w_.minimumSize());
    EXPECT_LE(least.height(), 700);
    w_.resize(least);
    w_.move(0, 0);
    // The window manager places and frames the window in its own time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w_.size() == least && w_.frameGeometry().top() >= 0; }, 5000));
    const QRect screen = w_.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(w_.frameGeometry()))
        << w_.frameGeometry().width() << "x" << w_.frameGeometry().height();
    for (const char* name : {"lblCmdProjectAction", "lblCmdProjectLoad", "lblCmdProjectSave", "lblCmdClose"}) {
        const QWidget* command = control(name);
        ASSERT_TRUE(command) << name;
        EXPECT_TRUE(command->isVisible()) << name;
        const QRect onScreen(command->mapToGlobal(QPoint(0, 0)), command->size());
        EXPECT_TRUE(screen.contains(onScreen)) << name << " at " << onScreen.y();
    }
}

// From the task list Tab reaches every command and comes back; each stop has
// a name a screen reader can say; the focus shows from the start.
TEST_F(frmMainScreen, TabReachesEveryCommand)
{
    QWidget* first = QApplication::focusWidget();
    ASSERT_EQ(first, control("lvwMain")) << "the keyboard starts in the task list";
    std::vector<QString> stops;
    QWidget* at = first;
    for (int i = 0; i < 100; ++i) {
        QTest::keyClick(at, Qt::Key_Tab);
        at = QApplication::focusWidget();
        ASSERT_TRUE(at);
        if (at == first)
            break;
        stops.push_back(at->objectName());
        const QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(at);
        ASSERT_TRUE(reader);
        EXPECT_FALSE(reader->text(QAccessible::Name).trimmed().isEmpty())
            << at->objectName().toStdString() << " has no name for screen readers";
    }
    for (const char* name : {"lblCmdProjectAction", "lblCmdProjectLoad", "lblCmdProjectSave", "lblCmdClose",
                             "lblCmdSystemDirConnect", "lblCmdSystemTargetDirConnect", "txtSystemDir"})
        EXPECT_NE(std::find(stops.begin(), stops.end(), QString::fromLatin1(name)), stops.end()) << name;
    // Row by row as the window shows them, a folder box before its "verbinden", whichever compiler
    // built the window (the order the controls are made in).
    const auto position = [&stops](const char* name) {
        return std::find(stops.begin(), stops.end(), QString::fromLatin1(name)) - stops.begin();
    };
    const char* rows[] = {"txtSystemDir",       "lblCmdSystemDirConnect",       "txtSystemDirAndFiles",
                          "txtSystemTargetDir", "lblCmdSystemTargetDirConnect", "txtSystemDirAndFilesExclude"};
    for (std::size_t i = 1; i < std::size(rows); ++i)
        EXPECT_LT(position(rows[i - 1]), position(rows[i])) << rows[i - 1] << " before " << rows[i];
}

// The keys: Einfg and Entf on the task list, Ctrl+S and Ctrl+O for the
// project, Space on a command label that has the focus.
TEST_F(frmMainScreen, KeysForTheCommands)
{
    auto* list = control<QTreeView>("lvwMain");
    const int before = list->model()->rowCount();
    QTest::keyClick(list, Qt::Key_Insert);
    EXPECT_EQ(list->model()->rowCount(), before + 1);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->model()->rowCount(), before);

    QTest::keyClick(&w_, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ui_.lastText(), "Bitte vergeben Sie dem Projekt eine Bezeichnung!");
    QTest::keyClick(&w_, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(ui_.dialogs().size(), 1u);
    EXPECT_FALSE(ui_.dialogs().back().save);

    control<QLineEdit>("txtProjectName")->setText(QStringLiteral("Tastatur"));
    QWidget* save = control("lblCmdProjectSave");
    save->setFocus(Qt::TabFocusReason);
    QTest::keyClick(save, Qt::Key_Space);
    ASSERT_EQ(ui_.dialogs().size(), 2u);
    EXPECT_TRUE(ui_.dialogs().back().save);
    // The commands' Alt keys.
    QTest::keyClick(&w_, Qt::Key_L, Qt::AltModifier);
    ASSERT_EQ(ui_.dialogs().size(), 3u);
    EXPECT_FALSE(ui_.dialogs().back().save);
}

} // namespace
} // namespace zdr::mainwindow

int main(int argc, char** argv)
{
    const zdr::mainwindow::SmallScreen screen;
    if (!zdr::mainwindow::skipReason().empty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
