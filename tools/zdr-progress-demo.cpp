// Shows the progress window in the middle of a simulated copy run (bars
// about half full), as the run coordinator would fill it from the engine's
// events. For screenshots: scripts/screenshots.sh.
//
//   zdr-progress-demo [copy|mkdir|mkdir-error|about] [--quit-after SECONDS]
//
// "about" opens the about box from the window's help menu over the copy.
#include "engine/StatusBits.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTimer>

#include <string>

using namespace zdr;
using run::Control;
namespace status = engine::status;

namespace {

void simulateCopy(run::ui::frmFileSystem& w)
{
    const std::uint32_t bits = status::kCopy | status::kWithInfo | status::kCreateProtocol | status::kOnlyDifferent
        | status::kContinueAfterError | status::kOverwriteExisting | status::kYield;
    const run::ActionTitles titles = *run::actionTitles(engine::PassAction::Copy);
    w.setText(Control::Caption, titles.title);
    w.setText(Control::lblSystemInfoTask, titles.taskLabel);
    w.setText(Control::lblCountNot, run::errorCountInitialText(true));
    w.optionBox(status::kCreateProtocol)->setChecked(true);
    for (std::uint32_t bit :
         {status::kWithInfo, status::kOnlyDifferent, status::kContinueAfterError, status::kOverwriteExisting})
        w.optionBox(bit)->setChecked(true);
    w.lblCmdAction()->setCaption(QStringLiteral("Abbrechen ..."));
    w.lblCmdClose()->setEnabled(false);

    run::EngineState e;
    e.action = "COPY";
    e.status = bits;
    e.source = "/home/anna/Bilder";
    e.folderAndFilesDot = ".";
    engine::EngineCounters& c = e.counters;
    c.CountFolder = 3;
    c.CountFiles = 40;
    c.SizeTotal = 40 * 2300.0;
    w.apply(run::passStarted("COPY", e));
    project::Task task;
    task.sourceFolder = e.source;
    task.targetFolder = "/mnt/sicherung/Bilder";
    task.extensions = "*.jpg;*.png";
    w.apply(run::taskStarted("COPY", 1, 2, 0, task));

    std::int32_t lastPercent = 0;
    auto figures = [&](const run::ViewUpdate& u) {
        w.apply(u);
        if (u.lastMainPercent)
            lastPercent = *u.lastMainPercent;
    };
    c.CountFolder_Done = 2;
    w.apply(run::folderStarted("COPY", "/home/anna/Bilder/2024/Sommer"));
    for (int i = 1; i <= 20; ++i) {
        const std::string name = "IMG_" + std::to_string(4710 + i) + ".jpg";
        w.apply(run::fileStarted("COPY", name, 2300 * 1024));
        ++c.CountFiles_Done;
        c.SizeTotal_Done += 2300;
        e.secondsUsed = 4 * i;
        e.secondsMax = 170;
        if (i == 7) {
            ++c.CountFiles_Not;
            c.SizeTotal_Not += 2300;
            figures(run::entryNotDone(e, 0, lastPercent));
        } else if (i % 5 == 0) {
            ++c.CountFiles_ExistsTimeOk;
            c.SizeTotal_ExistsTimeOk += 2300;
            figures(run::entryNotDone(e, 1, lastPercent));
        } else {
            figures(run::figures(e, lastPercent));
        }
    }
    e.fileNameCurrent = "IMG_4731.jpg";
    w.apply(run::fileStarted("COPY", e.fileNameCurrent, 2300 * 1024));
    figures(run::fileProgress(e, 2300 * 1024, 1100 * 1024, lastPercent));
    w.sb_ShowNow();
}

void simulateMakeDirectory(run::ui::frmFileSystem& w, bool failed)
{
    const run::ActionTitles titles = *run::actionTitles(engine::PassAction::MkDir);
    w.setText(Control::Caption, titles.title);
    w.setText(Control::lblSystemInfoTask, titles.taskLabel);
    w.setText(Control::lblSystemInfoQuestion, titles.prompt);
    w.setText(Control::lblSystemFolderSource, "/home/anna/Projekte");
    // Empty figures, as the coordinator fills the window before a run.
    for (Control c : {Control::lblCount, Control::lblSize, Control::lblTime})
        w.setText(c, "");
    w.setText(Control::lblCountNot, run::errorCountInitialText(true));
    w.setMakeDirectoryMode(true);
    run::EngineState e;
    e.action = "MKDIR";
    w.apply(run::passStarted("MKDIR", e));
    if (failed)
        w.apply(run::passReady(e, false,
                               "Fehler bei Verzeichnis: /home/anna/Projekte/2026/Kunden/Angebote/Neu - Das System "
                               "kann den angegebenen Pfad nicht finden.",
                               false, "/home/anna/Projekte/2026/Kunden/Angebote/Neu"));
    w.sb_ShowNow();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::string scenario = "copy";
    int quitAfter = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quit-after" && i + 1 < argc)
            quitAfter = std::stoi(argv[++i]);
        else
            scenario = arg;
    }
    run::ui::frmFileSystem w;
    w.move(20, 20);
    w.show();
    if (scenario == "mkdir" || scenario == "mkdir-error")
        simulateMakeDirectory(w, scenario == "mkdir-error");
    else
        simulateCopy(w);
    if (scenario == "about")
        QTimer::singleShot(300, &w, [&w] {
            for (QAction* entry : w.mnuHelp()->actions())
                if (entry->text() == QStringLiteral("Informationen"))
                    entry->trigger();
        });
    if (quitAfter > 0)
        QTimer::singleShot(quitAfter * 1000, &app, &QApplication::quit);
    return app.exec();
}
