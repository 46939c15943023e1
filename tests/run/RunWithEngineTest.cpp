// The progress window driven by the real engine's events, as the run
// coordinator will drive it: what the window shows at the end of an
// information run is what the texts compute from the engine's counters.
#include "engine/StatusBits.h"
#include "engine/FolderCopyObserver.h"
#include "engine/clsFolderCopy.h"
#include "run/PassSummary.h"
#include "run/PassTexts.h"
#include "run/ProgressFigures.h"
#include "run/frmFileSystem.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"
#include "util/CommandLabel.h"
#include "util/Text.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

namespace zdr::run::ui {
namespace {

namespace status = engine::status;

// The engine's events turned into the window's texts, figures and protocol.
class WindowObserver : public engine::FolderCopyObserver {
public:
    WindowObserver(frmFileSystem& window, std::vector<engine::EngineTaskInput> tasks)
        : w_(window), tasks_(std::move(tasks))
    {
    }
    void setEngine(engine::clsFolderCopy* engine) { engine_ = engine; }

    void ActionStart(const std::string& action) override { show(passStarted(action, state())); }
    void ActionStartAufgabe(const std::string& action, std::int32_t task, std::int32_t count,
                            std::uint8_t kind) override
    {
        show(taskStarted(action, task, count, kind, tasks_.at(static_cast<std::size_t>(task - 1))));
    }
    void ActionFolderSet(const std::string& path) override { show(folderStarted(engine_->Action(), path)); }
    void ActionFolderStart(const std::string& path) override { show(folderStarted(engine_->Action(), path)); }
    void ActionFileStart(const std::string& name, std::int64_t size) override
    {
        show(fileStarted(engine_->Action(), name, size));
    }
    void ActionFileDone() override { show(figures(state(), lastMainPercent_)); }
    void ActionFolderDone() override { show(figures(state(), lastMainPercent_)); }
    void ActionFileNot(std::int32_t reason) override { show(entryNotDone(state(), reason, lastMainPercent_)); }
    void ActionFolderNot(std::int32_t reason) override { show(entryNotDone(state(), reason, lastMainPercent_)); }
    void ActionFileDoneByte(std::int64_t total, std::int64_t done) override
    {
        show(fileProgress(state(), total, done, lastMainPercent_));
    }
    void ActionReady(bool success, const std::string& message, bool) override
    {
        show(passReady(state(), success, message, w_.cmdTarget()->isEnabled(),
                       w_.text(Control::lblSystemInfoObject)));
    }
    void ActionProtocolExists() override { w_.sb_Protocol_Exists(); }
    void ActionProtocolAdd(const protocol::ProtocolEntry& entry) override { w_.fc_Protocol_ListItem_Add(entry, false); }
    void ActionProtocolErr(const protocol::ProtocolEntry& entry) override { w_.fc_Protocol_ListItem_Add(entry, true); }
    void ActionProtocolDel(const std::string& key) override { w_.sb_Protocol_Delete(key); }
    void ActionEntryGetNext(protocol::WorkListStep& step) override { w_.sb_Protocol_EntryGetNext(step); }

    int updates = 0;

private:
    EngineState state() const { return engineStateOf(*engine_); }
    void show(const ViewUpdate& update)
    {
        ++updates;
        w_.apply(update);
        if (update.lastMainPercent)
            lastMainPercent_ = *update.lastMainPercent;
    }

    frmFileSystem& w_;
    std::vector<engine::EngineTaskInput> tasks_;
    engine::clsFolderCopy* engine_ = nullptr;
    std::int32_t lastMainPercent_ = 0;
};

QString shown(frmFileSystem& w, Control c)
{
    return w.findChild<QLabel*>(QString::fromLatin1(controlName(c)))->text();
}

TEST(RunWithEngine, InformationRunShowsTheEnginesFigures)
{
    test::ScriptedUi ui;
    test::TempDir tree;
    for (int folder = 0; folder < 3; ++folder)
        for (int file = 0; file < 4; ++file)
            tree.write("Daten/Ordner" + std::to_string(folder) + "/datei" + std::to_string(file) + ".txt",
                       std::string(static_cast<std::size_t>(1000 * (file + 1)), 'x'));
    engine::EngineTaskInput task;
    task.Source = tree.file("Daten");
    task.Selection = {"."};

    frmFileSystem w;
    WindowObserver observer(w, {task});
    util::ui::MsgBoxQuestioner questioner(&w);
    engine::clsFolderCopy engine(observer, questioner);
    observer.setEngine(&engine);
    w.setRunningQuery([&engine] { return engine.IsRunning(); });
    std::string error;
    const std::uint32_t bits = status::kWithInfo | status::kCreateProtocol;
    ASSERT_TRUE(engine.fc_Init(bits, 0, 2, error, 32767));
    ASSERT_TRUE(engine.fc_InitAdd(task, error));
    QObject::connect(&w, &frmFileSystem::ActionStart, [&engine](bool) {
        if (!engine.IsRunning())
            engine.fc_ActionRun();
    });
    w.show();
    w.sb_ActionStart();
    w.sb_ShowNow();

    const engine::EngineCounters& c = engine.Counters();
    EXPECT_EQ(c.CountFiles, 12);
    EXPECT_GT(observer.updates, 12);
    EXPECT_EQ(shown(w, Control::lblCount).toStdString(), std::to_string(c.CountFiles + c.CountFolder));
    EXPECT_EQ(shown(w, Control::lblSize).toStdString().rfind("29,30 KB - (neu ", 0), 0u) << "30,000 bytes";
    EXPECT_EQ(w.windowTitle(), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(shown(w, Control::lblSystemInfoQuestion), "Vorgang erfolgreich abgeschlossen");
    EXPECT_EQ(shown(w, Control::lblSystemInfoSource).toStdString(), "von Verzeichnis: " + task.Source + " (komplett)");
    EXPECT_EQ(shown(w, Control::lblSystemInfo).toStdString(),
              util::replaceAll(passSummary(engineStateOf(engine)), "\r\n", "\n"));
    EXPECT_NE(shown(w, Control::lblSystemInfo).indexOf(QStringLiteral("Anzahl Dateien: 12")), -1);
    ASSERT_TRUE(w.lblCmdProtocol()->isVisible()) << "the protocol has entries";
    QObject::connect(&w, &frmFileSystem::ActionProtocolGet, [&engine](std::string& text) { text = engine.Protocol(); });
    w.lblCmdProtocol()->click();
    EXPECT_TRUE(w.protocolWindow()->isVisible());
    EXPECT_EQ(w.protocolWindow()->Task(), "TEXT");
    EXPECT_NE(w.protocolWindow()->document().text().find("datei3.txt"), std::string::npos);
    EXPECT_TRUE(w.close()) << "the run has ended";
}

} // namespace
} // namespace zdr::run::ui
