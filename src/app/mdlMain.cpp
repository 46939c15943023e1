#include "app/mdlMain.h"

#include "app/CommandLine.h"
#include "app/TaskReportCover.h"
#include "app/frmStart.h"
#include "project/frmMain.h"
#include "util/MsgBox.h"

#include <QApplication>

namespace zdr::app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

int Main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zendor DaroRazu"));

    std::vector<std::string> given(argv + 1, argv + argc);
    const StartPlan plan = planStart(fc_GetCommandLine(rawCommandLine(given)));
    switch (plan.form) {
    case StartPlan::Form::WrongCall:
        util::ui::msgBox(nullptr, plan.messageText, util::ui::Buttons::Ok, util::ui::Icon::Critical, plan.messageTitle);
        return 1;
    case StartPlan::Form::HandOff: {
        // The hand-off ends the program itself, also when a message box was
        // the last window.
        QApplication::setQuitOnLastWindowClosed(false);
        frmStart start(TaskReportCover::factory());
        QObject::connect(&start, &frmStart::ended, &application, [](int code) { QApplication::exit(code); });
        const std::vector<std::string>& a = plan.arguments;
        start.fc_Init(a[0], a[1], a[2], a[3], a[4]);
        return QApplication::exec();
    }
    case StartPlan::Form::MainWindow: break;
    }
    auto* window = new project::frmMain;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->fc_Init(q(plan.arguments[0]), q(plan.arguments[1]), q(plan.arguments[2]));
    return QApplication::exec();
}

} // namespace zdr::app
