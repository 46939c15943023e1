// A task whose source lies on a network drive, run by the engine with the
// program's drives: connected through the mount provider (with a stand-in
// mount.cifs), walked through the drive's link, released at the end.
#include "FakeMountTools.h"
#include "engine/EngineRun.h"
#include "net/DriveFolder.h"
#include "net/LinuxNetProvider.h"
#include "net/clsNetConnect.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace zdr::net {
namespace {

class NetEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_RUNTIME_DIR", dir.mkdir("run").c_str(), 1);
        dir.write("tools/mount.cifs", kFakeMountCifs);
        fs::permissions(dir.file("tools/mount.cifs"), fs::perms::owner_all);
        dir.write("tools/share/Ordner/eins.txt", "eins\n");
        dir.write("tools/share/Ordner/Unter/zwei.txt", "zwei\n");
    }
    void TearDown() override
    {
        if (saved)
            setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }
    NetworkDriveFactory drives()
    {
        LinuxNetProvider::Options options;
        options.mountCifsTool = dir.file("tools/mount.cifs");
        options.desktopSession = false;
        options.mayMount = true;
        options.privateBus = false;
        return [options, this] {
            return std::make_unique<clsNetConnect>(std::make_shared<LinuxNetProvider>(options),
                                                   WaitHooks{[this] { return now; }, [this] { now += 1; }});
        };
    }

    test::TempDir dir;
    std::optional<std::string> saved;
    double now = 100;
};

TEST_F(NetEngineTest, WalksThroughTheConnectedDriveAndReleasesIt)
{
    test::EngineRun r(drives());
    ASSERT_TRUE(
        r.run(test::kInfo, project::Task{.sourceFolder = "Z:/Ordner", .netSourceCode = "2|Z|\\\\srv\\daten||"}));
    EXPECT_EQ(r.ready(), "Ready true '' none");
    EXPECT_EQ(r.rec.events.at(1), "Info Quelle: 'Z:' mit Netzlaufwerk '\\\\srv\\daten' verbinden ...");
    EXPECT_EQ(r.counters().CountFiles, 2);
    EXPECT_EQ(r.rec.only("FileStart"), (std::vector<std::string>{"FileStart eins.txt 5", "FileStart zwei.txt 5"}));
    EXPECT_NE(resolveDrivePath("Z:"), "Z:");

    r.engine.sb_Action_CloseConnections();
    EXPECT_EQ(resolveDrivePath("Z:"), "Z:");
}

TEST_F(NetEngineTest, DriveThatCannotConnectEndsTheRunWithItsMessage)
{
    dir.write("tools/behaviour", "mount error(13): Permission denied");
    test::EngineRun r(drives());
    EXPECT_FALSE(r.run(test::kInfo,
                       project::Task{.sourceFolder = "Z:/Ordner", .netSourceCode = "2|Z|\\\\srv\\daten|anna|Sesam"}));
    EXPECT_EQ(r.ready(),
              "Ready false 'Quelle: 'Z:/Ordner' konnte nicht verbunden werden: Fehler: Netzlaufwerk konnte nicht "
              "verbunden oder zugegriffen werden: Username/Password-Kombination ist falsch' none");
    EXPECT_EQ(now, 110); // two waits of 5 s between the three tries
}

// A code with too few fields connects nothing: the run ends with a text that
// names the code (its password masked), not with a missing folder.
TEST_F(NetEngineTest, DamagedDriveCodeIsNamed)
{
    test::EngineRun r(drives());
    EXPECT_FALSE(r.run(test::kInfo, project::Task{.sourceFolder = "Z:", .netSourceCode = "2|Z|\\\\srv\\daten"}));
    EXPECT_EQ(r.ready(),
              "Ready false 'Quelle: 'Z:' konnte nicht verbunden werden: Der Netzlaufwerksparameter "
              "'2|Z|\\\\srv\\daten' ist beschädigt - Der Netzlaufwerksparameter hat 3 statt 5 Felder.' none");
    EXPECT_EQ(resolveDrivePath("Z:"), "Z:");
}

} // namespace
} // namespace zdr::net
