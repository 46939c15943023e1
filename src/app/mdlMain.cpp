#include "app/mdlMain.h"

#include "app/StartScreen.h"
#include "app/frmStart.h"
#include "base/CommandLine.h"
#include "base/ProgramInfo.h"
#include "base/Text.h"
#include "base/Unattended.h"
#include "mainwindow/frmMain.h"
#include "run/TerminalProgress.h"
#include "run/clsFolderCopy_Cover.h"
#include "shellext/DesktopMessage.h"
#include "util/MsgBox.h"
#include "util/QtSetup.h"
#include "util/clsClipboard.h"
#include "util/clsCommonDialog.h"
#include "util/mdlGetFolder.h"

#include "base/StopSignal.h"
#include "run/RunCoverBase.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace zdr::app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Without a person at the screen every box gets the answer that changes
// nothing, and what it said goes to stderr.
void answerForNobody()
{
    util::ui::setAnswerer([](const base::MessageRequest& request) {
        // A title that is the program's name is said once.
        const bool ownTitle = request.title.empty() || request.title == base::kProgramTitle;
        run::printNote(std::string(base::kProgramTitle) + ": " + (ownTitle ? "" : request.title + ": ") + request.text);
        switch (request.buttons) {
        case base::Buttons::Ok: return base::Answer::Ok;
        case base::Buttons::YesNo: return base::Answer::No;
        case base::Buttons::AbortRetryIgnore: return base::Answer::Abort;
        default: return base::Answer::Cancel;
        }
    });
    util::ui::clsCommonDialog::setChooser([](const util::ui::clsCommonDialog::Request&) { return std::string(); });
    util::ui::setFolderChooser([](const util::ui::FolderRequest&) { return std::string(); });
}

QtMessageHandler qtMessages = nullptr;
// The program has no display and draws its windows for nobody.
bool headless = false;

// Without a display nobody sees a window: Qt's pictures of folders, files
// and buttons are not read (each is a few image files), and what would be
// painted is not (the first pictures of the windows cost more than a small
// run). The widgets, their texts and figures are kept as ever.
class NobodysStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap, const QStyleOption*, const QWidget*) const override { return {}; }
};

class NoPainting : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        return type == QEvent::UpdateRequest || type == QEvent::Expose || QObject::eventFilter(watched, event);
    }
};

// Offscreen, Qt notes what its stand-in screen cannot do and that a cron job
// has no runtime folder: no news for a run without a screen.
void headlessMessages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg
        && (text.contains(QLatin1String("propagateSizeHints"))
            || text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))))
        return;
    if (qtMessages)
        qtMessages(type, context, text);
}

// Chooses the screen before Qt looks for one: without a display a run that
// needs nobody is drawn in memory and shows its progress on the terminal;
// anything else says why it cannot start. Returns false when it cannot.
std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool prepareScreen(const base::StartPlan& plan)
{
    switch (startScreen(plan, environmentValue)) {
    case StartScreen::Display: return true;
    case StartScreen::Offscreen:
        // Nobody sees these windows: Qt's minimal platform draws them in
        // memory without the system's fonts, which spares reading the font
        // configuration (about a third of the time before the first entry).
        setenv("QT_QPA_PLATFORM", "minimal", 1);
        headless = true;
        qtMessages = qInstallMessageHandler(headlessMessages);
        base::setUnattended();
        if (isatty(STDERR_FILENO))
            run::enableTerminalProgress();
        return true;
    case StartScreen::Missing: break;
    }
    if (plan.form == base::StartPlan::Form::WrongCall)
        std::fprintf(stderr, "Zendor DaroRazu: %s: %s\n", plan.messageTitle.c_str(),
                     base::replaceAll(plan.messageText, "\r\n", "\n").c_str());
    else
        std::fprintf(stderr, "%s\n", noDisplayText().c_str());
    return false;
}

// Ctrl+C and SIGTERM: what runs is cancelled as by its cancel button (no
// half-made file stays), and once nothing runs the program ends with the
// signal's exit code.
void stopOnSignals(QObject* owner)
{
    const int fd = base::installStopSignals();
    if (fd < 0)
        return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [fd, notifier, owner] {
        char bytes[16];
        while (read(fd, bytes, sizeof bytes) > 0) {
        }
        notifier->setEnabled(false);
        const bool running = run::ui::RunCoverBase::fc_CancelAllRuns();
        run::printNote(std::string(base::kProgramTitle) + ": " + (base::stopSignal() == SIGINT ? "Strg+C" : "SIGTERM")
                       + (running ? " - der Vorgang wird abgebrochen" : " - das Programm wird beendet"));
        auto* waiting = new QTimer(owner);
        QObject::connect(waiting, &QTimer::timeout, owner, [] {
            if (!run::ui::RunCoverBase::fc_CancelAllRuns())
                QApplication::exit(base::stopExitCode());
        });
        waiting->start(50);
        if (!running)
            QApplication::exit(base::stopExitCode());
    });
}

} // namespace

int Main(int argc, char** argv)
{
    // Under a file-size limit a write beyond it fails with EFBIG, which the
    // file's copy reports; the signal the kernel sends as well would end the
    // program in the middle of the run.
    std::signal(SIGXFSZ, SIG_IGN);
    const base::StartPlan plan =
        base::planStart(base::fc_GetCommandLine(base::rawCommandLine(std::vector<std::string>(argv + 1, argv + argc))));
    if (plan.form == base::StartPlan::Form::Help || plan.form == base::StartPlan::Form::Version) {
        const std::string text =
            plan.form == base::StartPlan::Form::Help ? base::commandLineHelp() : base::versionText();
        return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    }
    // A file manager's front end whose hand-off was refused, on a desktop
    // without a notification service: the message in a window of our own.
    const bool message = argc == 4 && std::string_view(argv[1]) == shellext::kMessageSwitch;
    if (message && startScreen(plan, environmentValue) != StartScreen::Display) {
        std::fprintf(stderr, "%s: %s\n", argv[2], argv[3]);
        return 1;
    }
    if (!message && !prepareScreen(plan))
        return 1;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zendor DaroRazu"));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(base::kDesktopId.data(), base::kDesktopId.size()));
    if (headless) {
        QApplication::setStyle(new NobodysStyle);
        application.installEventFilter(new NoPainting);
    } else {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/zendor/icon.svg")));
    }
    // The program ends when its main window (or the hand-off) says so, not
    // when a progress window or a message box happens to be the last one.
    QApplication::setQuitOnLastWindowClosed(false);
    util::ui::useGermanQtTexts();
    util::ui::keepDialogHistoryOwn();
    if (base::unattended())
        answerForNobody();
    stopOnSignals(&application);
    if (message) {
        util::ui::msgBox(nullptr, argv[3], util::ui::Buttons::Ok, util::ui::Icon::Critical, argv[2]);
        return 0;
    }

    switch (plan.form) {
    case base::StartPlan::Form::WrongCall:
        util::ui::msgBox(nullptr, plan.messageText, util::ui::Buttons::Ok, util::ui::Icon::Critical, plan.messageTitle);
        return 1;
    case base::StartPlan::Form::HandOff: {
        frmStart start(run::ui::clsFolderCopy_Cover::factory());
        QObject::connect(&start, &frmStart::ended, &application, [](int code) { QApplication::exit(code); });
        const std::vector<std::string>& a = plan.arguments;
        start.fc_Init(a[0], a[1], a[2], a[3], a[4]);
        const int code = QApplication::exec();
        util::ui::clsClipboard::sb_HandOver();
        return base::stopSignal() ? base::stopExitCode() : code;
    }
    case base::StartPlan::Form::MainWindow:
    case base::StartPlan::Form::Help:
    case base::StartPlan::Form::Version: break;
    }
    QPointer<mainwindow::frmMain> window = new mainwindow::frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Unloading the main window ends the program, with the exit code of the
    // run the command line started.
    int exitCode = 0;
    QObject::connect(window, &mainwindow::frmMain::unloaded, &application, [&exitCode](int code) { exitCode = code; });
    QObject::connect(window, &QObject::destroyed, &application, [&exitCode] { QApplication::exit(exitCode); });
    window->fc_Init(q(plan.arguments[0]), q(plan.arguments[1]), q(plan.arguments[2]));
    const int code = QApplication::exec();
    // Ended by a signal with the window still there: it goes now, with its
    // run's coordinator and the network drives it connected.
    delete window.data();
    util::ui::clsClipboard::sb_HandOver();
    return base::stopSignal() ? base::stopExitCode() : code;
}

} // namespace zdr::app
