// Faults during a copy, on real files: a full disk (a small tmpfs, the file
// size limit, an injected failure), a failing medium, a read-only target, a
// source that is removed or shrinks while it is copied, a close that fails,
// a cancel in the middle of a large file, and a process killed while it
// replaces a file.
// In every case the old target is intact (or no new file is there), no
// temporary file is left, the source is as it was, and the entry is
// reported as failed.
#include "EngineRun.h"
#include "TreeState.h"
#include "support/FileSizeLimit.h"
#include "support/NoAccessOverride.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"
#include "support/WriteFault.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>

namespace zdr::engine {
namespace {

using test::EngineRun;
using test::TempDir;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Way {
    const char* label;
    std::size_t size;
    std::uint32_t status;
    bool plain() const { return size <= 1000 * 1024 && (status & status::kBlockBytes) == 0; }
};
const Way kWays[] = {
    {"plain", 200 * 1024, 0},
    {"with progress", 6 * 1024 * 1024, 0},
    {"byte blocks", 200 * 1024, status::kBlockBytes},
};

constexpr std::uint32_t kCopyReplacing = status::kCopy | status::kCreateProtocol | status::kOverwriteExisting;

// One source file and its target folder, with or without an old target.
struct Scene {
    TempDir dir;
    std::string sourceFolder = dir.mkdir("src");
    std::string targetFolder;
    std::string source = dir.file("src/f.bin");
    std::string target;
    bool existing;
    test::EntryState sourceBefore;

    // folder: the target folder (made here when not given)
    Scene(std::size_t size, bool withTarget, const std::string& folder = {})
        : targetFolder(folder.empty() ? dir.mkdir("dst") : folder), target(targetFolder + "/f.bin"),
          existing(withTarget)
    {
        dir.write("src/f.bin", test::randomBytes(size, 11));
        sourceBefore = test::entryState(source);
        if (withTarget && folder.empty())
            dir.write("dst/f.bin", "old target");
    }
    project::Task task() const
    {
        return {.sourceFolder = sourceFolder, .selection = {"f.bin"}, .targetFolder = targetFolder};
    }

    // No damage: the old target (or none), nothing else in its folder, and
    // (unless the fault was the source's) the source as it was.
    void expectNoDamage(const std::string& label, bool sourceKept = true) const
    {
        if (existing)
            EXPECT_EQ(readFile(target), "old target") << label;
        EXPECT_EQ(test::entryCount(targetFolder), existing ? 1u : 0u) << label << ": nothing left behind";
        if (sourceKept)
            EXPECT_EQ(test::entryState(source), sourceBefore) << label << ": the source is only read";
    }
};

// The entry is reported as failed, with the message given.
void expectFailure(const test::EngineRecorder& rec, const EngineCounters& counters, const std::string& message,
                   const std::string& label)
{
    ASSERT_EQ(rec.errors.size(), 1u) << label;
    EXPECT_EQ(rec.errors[0].par_Target, message) << label;
    EXPECT_EQ(rec.only("FileNot"), std::vector<std::string>{"FileNot 0"}) << label;
    EXPECT_EQ(counters.CountFiles_Not, 1) << label;
    EXPECT_EQ(counters.CountFiles_Done, 1) << label;
    EXPECT_EQ(rec.only("Ready").back(), "Ready false '" + message + "' protocol") << label;
}

// What the failure says in each way: whole-file copies name the file, the
// block copy quotes the description and names both files.
std::string failureText(const Way& way, const Scene& s, const std::string& description)
{
    if (way.status & status::kBlockBytes)
        return "Fehler: '" + description + "'\r\nBei Aktion 'Kopieren (Byte Blöcke)': '" + s.source + "' nach '"
            + s.target + "'";
    return "Fehler bei Datei: f.bin - " + description;
}

struct Fault {
    const char* label;
    const char* description;
    bool sourceKept;
    // Arms the fault; it is active while the result lives.
    std::function<std::shared_ptr<void>(const Scene&)> arm;
};

TEST(CopyFaults, EveryWayFailsWithoutDamage)
{
    const Fault faults[] = {
        {"the disk fills up (file size limit)",
         "Die Dateigröße überschreitet die zulässige Grenze und kann nicht gespeichert werden.", true,
         [](const Scene&) { return std::make_shared<test::FileSizeLimit>(64 * 1024); }},
        {"the disk fills up (injected)", "Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden.", true,
         [](const Scene&) { return std::make_shared<test::WriteFault>(64 * 1024, ENOSPC); }},
        {"the medium fails (injected)", "Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden.",
         true, [](const Scene&) { return std::make_shared<test::WriteFault>(64 * 1024, EIO); }},
        {"the close fails (the share writes then)",
         "Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden.", true,
         [](const Scene&) { return std::make_shared<test::CloseFault>(EIO); }},
        {"the source is removed during its copy", "Die angegebene Datei wurde nicht gefunden.", false,
         [](const Scene& s) {
             return std::make_shared<test::WriteFault>([path = s.source](std::size_t) {
                 ::unlink(path.c_str());
                 return 0;
             });
         }},
        {"the source shrinks during its copy", "Das Ende der Datei wurde erreicht.", false,
         [](const Scene& s) {
             return std::make_shared<test::WriteFault>([path = s.source](std::size_t) {
                 if (::truncate(path.c_str(), 1000) != 0)
                     return EIO;
                 return 0;
             });
         }},
    };
    for (const Way& way : kWays) {
        for (const Fault& fault : faults) {
            for (const bool withTarget : {true, false}) {
                const std::string label =
                    std::string(way.label) + ", " + fault.label + (withTarget ? ", replacing" : ", new file");
                Scene scene(way.size, withTarget);
                EngineRun r;
                r.questions.answers = {base::Answer::Ignore};
                {
                    const auto armed = fault.arm(scene);
                    r.run(kCopyReplacing | way.status, scene.task());
                }
                expectFailure(r.rec, r.counters(), failureText(way, scene, fault.description), label);
                scene.expectNoDamage(label, fault.sourceKept);
            }
        }
    }
}

// Cancels the run at the first progress of a file.
struct CancelOnProgress : test::EngineRecorder {
    clsFolderCopy* engine = nullptr;
    void ActionFileDoneByte(std::int64_t, std::int64_t) override { engine->fc_Cancel(); }
};

TEST(CopyFaults, CancelInTheMiddleOfALargeFile)
{
    for (const Way& way : kWays) {
        if (way.plain())
            continue; // the plain copy reports nothing before it is done
        for (const bool withTarget : {true, false}) {
            const std::string label = std::string(way.label) + (withTarget ? ", replacing" : ", new file");
            Scene scene(way.size, withTarget);
            CancelOnProgress rec;
            test::ScriptedQuestioner questions;
            clsFolderCopy engine(rec, questions);
            rec.engine = &engine;
            std::string error;
            static_cast<void>(engine.fc_Init(kCopyReplacing | way.status, 0, 2, error, 32767));
            static_cast<void>(engine.fc_InitAdd(scene.task(), error));
            engine.fc_ActionRun();
            expectFailure(rec, engine.Counters(), failureText(way, scene, "Die Anforderung wurde abgebrochen."), label);
            EXPECT_TRUE(questions.asked.empty()) << label << ": a cancel asks nothing";
            scene.expectNoDamage(label);
        }
    }
}

TEST(CopyFaults, SmallDiskRunsFull)
{
    TempDir dir;
    const std::string disk = dir.mkdir("disk");
    const auto mount = test::ScratchMount::tmpfs(disk, "1m");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root in a mount namespace that allows it)";
    dir.write("src/small.txt", "fits");
    dir.write("src/large.bin", test::randomBytes(3 * 1024 * 1024, 3));
    dir.write("disk/large.bin", "old target");
    const auto sourceBefore = test::treeState(dir.file("src"));
    EngineRun r;
    r.questions.answers = {base::Answer::Ignore};
    r.run(kCopyReplacing,
          {.sourceFolder = dir.file("src"), .selection = {"small.txt", "large.bin"}, .targetFolder = disk});
    EXPECT_EQ(r.ready(),
              "Ready false 'Fehler bei Datei: large.bin - Auf dem Datenträger ist nicht genügend "
              "Speicherplatz vorhanden.' protocol");
    EXPECT_EQ(dir.read("disk/small.txt"), "fits");
    EXPECT_EQ(dir.read("disk/large.bin"), "old target");
    EXPECT_EQ(test::entryCount(disk), 2u);
    EXPECT_EQ(test::differences(test::treeState(dir.file("src")), sourceBefore), std::vector<std::string>{});
    // The space of the broken copy is free again: a file of most of the disk fits.
    dir.write("src/after.bin", test::randomBytes(900 * 1024, 4));
    EngineRun after;
    after.run(kCopyReplacing, {.sourceFolder = dir.file("src"), .selection = {"after.bin"}, .targetFolder = disk});
    EXPECT_EQ(after.ready(), "Ready true '' protocol");
}

TEST(CopyFaults, ReadOnlyTargetVolume)
{
    TempDir dir;
    const std::string disk = dir.mkdir("disk");
    auto mount = test::ScratchMount::tmpfs(disk, "4m");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root in a mount namespace that allows it)";
    dir.write("disk/f.bin", "old target");
    ASSERT_TRUE(mount.setReadOnly(true));
    for (const Way& way : kWays) {
        Scene scene(way.size, true, disk);
        EngineRun r;
        r.questions.answers = {base::Answer::Ignore};
        r.run(kCopyReplacing | way.status, scene.task());
        expectFailure(r.rec, r.counters(), failureText(way, scene, "Der Datenträger ist schreibgeschützt."), way.label);
        scene.expectNoDamage(way.label);
    }
    mount.setReadOnly(false);
}

TEST(CopyFaults, TargetFolderWithoutWriteAccess)
{
    // A user's own folder without write bits takes the copy (the run makes
    // it writable meanwhile); only root, acting without its override, has
    // one here that it may not write and does not open up.
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: a user's own read-only folder takes the copy";
    Scene scene(200 * 1024, true);
    chmod(scene.targetFolder.c_str(), 0555);
    test::NoAccessOverride noOverride;
    if (!noOverride.active())
        GTEST_SKIP() << "cannot drop the file access capabilities here";
    EngineRun r;
    r.questions.answers = {base::Answer::Ignore};
    r.run(kCopyReplacing, scene.task());
    expectFailure(r.rec, r.counters(), "Fehler bei Datei: f.bin - Zugriff verweigert", "no write access");
    scene.expectNoDamage("no write access");
}

// A child process copies and is killed while the new content is being
// written: the old target stays, and the unnamed new file goes with the
// process.
TEST(CopyFaults, ProcessKilledWhileItReplacesAFile)
{
    for (const Way& way : kWays) {
        // The plain copy writes all in one step; the others stop after some content.
        const int stallAt = way.plain() ? 1 : 2;
        for (const bool withTarget : {true, false}) {
            const std::string label = std::string(way.label) + (withTarget ? ", replacing" : ", new file");
            Scene scene(way.size, withTarget);
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                close(ready[0]);
                int writes = 0;
                // That write tells the parent and waits to be killed.
                test::WriteFault stall([&](std::size_t) {
                    if (++writes == stallAt) {
                        const char c = 'k';
                        if (write(ready[1], &c, 1) != 1)
                            _exit(3);
                        for (;;)
                            pause();
                    }
                    return 0;
                });
                EngineRun r;
                r.run(kCopyReplacing | way.status, scene.task());
                _exit(2); // the copy never stalled
            }
            close(ready[1]);
            char c = 0;
            const bool stalled = read(ready[0], &c, 1) == 1;
            close(ready[0]);
            if (stalled)
                kill(child, SIGKILL);
            int status = 0;
            waitpid(child, &status, 0);
            ASSERT_TRUE(stalled) << label;
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << label;
            scene.expectNoDamage(label);
        }
    }
}

} // namespace
} // namespace zdr::engine
