#include "app/mdlMain.h"

#include "base/CommandLine.h"
#include "base/Unattended.h"
#include "app/frmStart.h"
#include "project/frmMain.h"
#include "run/clsFolderCopy_Cover.h"
#include "util/MsgBox.h"
#include "util/clsCommonDialog.h"
#include "util/mdlGetFolder.h"

#include <QApplication>

#include <csignal>
#include <cstdio>

namespace zdr::app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// Without a person at the screen every box gets the answer that changes
// nothing, and what it said goes to stderr.
void answerForNobody()
{
    util::ui::setAnswerer([](const base::MessageRequest& request) {
        std::fprintf(stderr, "Zendor DaroRazu: %s: %s\n", request.title.c_str(), request.text.c_str());
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

} // namespace

int Main(int argc, char** argv)
{
    // Under a file-size limit a write beyond it fails with EFBIG, which the
    // file's copy reports; the signal the kernel sends as well would end the
    // program in the middle of the run.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zendor DaroRazu"));
    // The program ends when its main window (or the hand-off) says so, not
    // when a progress window or a message box happens to be the last one.
    QApplication::setQuitOnLastWindowClosed(false);
    if (base::unattended())
        answerForNobody();

    std::vector<std::string> given(argv + 1, argv + argc);
    const base::StartPlan plan = base::planStart(base::fc_GetCommandLine(base::rawCommandLine(given)));
    switch (plan.form) {
    case base::StartPlan::Form::WrongCall:
        util::ui::msgBox(nullptr, plan.messageText, util::ui::Buttons::Ok, util::ui::Icon::Critical, plan.messageTitle);
        return 1;
    case base::StartPlan::Form::HandOff: {
        frmStart start(run::ui::clsFolderCopy_Cover::factory());
        QObject::connect(&start, &frmStart::ended, &application, [](int code) { QApplication::exit(code); });
        const std::vector<std::string>& a = plan.arguments;
        start.fc_Init(a[0], a[1], a[2], a[3], a[4]);
        return QApplication::exec();
    }
    case base::StartPlan::Form::MainWindow: break;
    }
    auto* window = new project::frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Unloading the main window ends the program, with the exit code of the
    // run the command line started.
    int exitCode = 0;
    QObject::connect(window, &project::frmMain::unloaded, &application, [&exitCode](int code) { exitCode = code; });
    QObject::connect(window, &QObject::destroyed, &application, [&exitCode] { QApplication::exit(exitCode); });
    window->fc_Init(q(plan.arguments[0]), q(plan.arguments[1]), q(plan.arguments[2]));
    return QApplication::exec();
}

} // namespace zdr::app
