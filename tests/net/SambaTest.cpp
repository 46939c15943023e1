#include "HeldProcess.h"
#include "SambaServer.h"
#include "engine/EngineRun.h"
#include "engine/TreeState.h"
#include "net/DriveFolder.h"
#include "net/LinuxNetProvider.h"
#include "net/NetErrors.h"
#include "net/NetworkDrives.h"
#include "net/SmbEnumerator.h"
#include "net/ToolRun.h"
#include "net/clsNetConnect.h"
#include "net/clsNetwork.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace zdr::net {
namespace {

using Found = std::vector<std::pair<std::string, std::uint32_t>>;

Found walk(const test::SambaServer& server, const std::string& shareFilter)
{
    SmbEnumerator::Options options;
    options.port = server.port();
    // No browse service on loopback (and no broadcasts from a test): the
    // server is named directly.
    options.browseWorkgroups = false;
    options.hosts = {"127.0.0.1"};
    clsNetwork network(std::make_shared<SmbEnumerator>(options));
    Found found;
    network.ResourceFound = [&](const std::string& name, std::uint32_t display) { found.emplace_back(name, display); };
    EXPECT_TRUE(network.fc_Init("", shareFilter, false));
    return found;
}

// Each test has a private smbd on loopback, or skips and says why.
class Samba : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!server_.running())
            GTEST_SKIP() << server_.skipReason();
    }

    test::SambaServer server_;
};

TEST_F(Samba, EnumerationListsTheLoopbackServersShares)
{
    const Found all = walk(server_, "*");
    const Found expected{{"Windows-Netzwerk", resource::kDisplayNetwork},
                         {"\\\\127.0.0.1", resource::kDisplayServer},
                         {"\\\\127.0.0.1\\daten", resource::kDisplayShare},
                         {"\\\\127.0.0.1\\geheim$", resource::kDisplayShare}};
    EXPECT_EQ(all, expected);

    EXPECT_EQ(walk(server_, "$"), (Found{{"\\\\127.0.0.1\\geheim$", resource::kDisplayShare}}));
    EXPECT_EQ(walk(server_, "DATEN"), (Found{{"\\\\127.0.0.1\\daten", resource::kDisplayShare}}));
}

TEST_F(Samba, DriveCopiesATreeThroughTheShareAndIsReleased)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a share needs root here (not running as root)";
    if (findTool("mount.cifs").empty())
        GTEST_SKIP() << "mount.cifs is not installed (Debian package cifs-utils)";

    test::TempDir dir;
    const std::string drives = dir.file("drives");
    LinuxNetProvider::Options options;
    options.drivesFolder = drives;
    options.port = server_.port();
    options.desktopSession = false;
    options.privateBus = false; // the kernel's way only
    options.timeoutSeconds = 30;
    double now = 0;
    std::vector<std::unique_ptr<NetworkDrive>> run;
    run.push_back(std::make_unique<clsNetConnect>(std::make_shared<LinuxNetProvider>(options),
                                                  WaitHooks{[&] { return now; }, [&] { now += 1; }}));
    NetworkDrive& drive = *run.back();
    ASSERT_TRUE(drive.fc_Init("2|Z|\\\\127.0.0.1\\daten||"));
    std::string message;
    if (!drive.fc_Connect(message)) {
        if (message.ends_with(fc_NetErrorText(error::kNoNetwork)))
            GTEST_SKIP() << "this kernel cannot mount SMB shares (no cifs file system): " << message;
        FAIL() << message;
    }
    EXPECT_TRUE(drive.Connected());

    const std::string source = resolveDrivePath("Z:/Ordner", drives);
    ASSERT_NE(source, "Z:/Ordner");
    fs::copy(source, dir.file("ziel"), fs::copy_options::recursive);
    EXPECT_EQ(dir.read("ziel/eins.txt"), "eins\n");
    EXPECT_EQ(dir.read("ziel/Unter/zwei.txt"), std::string(70000, 'z'));
    {
        std::ofstream out(resolveDrivePath("Z:/neu.txt", drives));
        out << "über das Laufwerk\n";
    }
    EXPECT_TRUE(fs::exists(server_.shareFolder() + "/neu.txt"));

    sb_Action_CloseConnections(run);
    EXPECT_EQ(resolveDrivePath("Z:", drives), "Z:");
}

// A desktop user's session as far as shares go: a session bus of its own
// (dbus-run-session) in a private runtime folder, where gio starts gvfs and
// its FUSE folder. The bus, and with it gvfs, ends with the object.
// Why gvfs cannot give shares a FUSE folder here; empty when it can.
std::string gvfsMissing()
{
    for (const char* tool : {"dbus-run-session", "dbus-daemon", "gio", "fusermount3"}) {
        if (findTool(tool).empty())
            return std::string(tool) + " is not installed (scripts/setup.sh installs it)";
    }
    if (access("/usr/libexec/gvfsd-fuse", X_OK) != 0 || access("/usr/libexec/gvfsd-smb", X_OK) != 0)
        return "gvfs is not installed (Debian packages gvfs-backends, gvfs-fuse)";
    const int fd = open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return std::string("/dev/fuse cannot be opened: ") + std::strerror(errno);
    close(fd);
    return {};
}

class DesktopSession {
public:
    explicit DesktopSession(const std::string& runtimeFolder)
    {
        skipReason_ = gvfsMissing();
        if (!skipReason_.empty())
            return;
        save("DBUS_SESSION_BUS_ADDRESS");
        save("XDG_RUNTIME_DIR");
        setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
        gvfsFolder_ = runtimeFolder + "/gvfs";

        // The session lives while its input is open; what the bus and gvfs
        // say goes to a file beside the runtime folder.
        process_.emplace(std::vector<std::string>{"dbus-run-session", "--", "sh", "-c",
                                                  "echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat >/dev/null"},
                         runtimeFolder + "-session.log");
        const std::string address = process_->firstLine();
        if (address.empty()) {
            skipReason_ = "dbus-run-session gave no session bus";
            return;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }

    ~DesktopSession()
    {
        process_.reset();
        // gvfsd-fuse leaves its folder when the bus goes; a mount left over
        // (gvfsd-fuse gone without unmounting: the folder answers
        // ECONNABORTED) is detached.
        std::error_code ec;
        if (!gvfsFolder_.empty() && (std::filesystem::exists(gvfsFolder_, ec) || ec)) {
            if (const std::string fusermount = findTool("fusermount3"); !fusermount.empty())
                runTool({fusermount, "-u", "-z", gvfsFolder_}, {}, 10);
        }
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    const std::string& skipReason() const { return skipReason_; }

private:
    void save(const char* name)
    {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::string skipReason_;
    std::string gvfsFolder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
    std::optional<test::HeldProcess> process_;
};

// What a copy through a share must keep of each entry: kind, content and
// the files' last-write times, in whole seconds (all that gvfs's SMB backend
// sets on a share).
std::map<std::string, std::string> copiedState(const std::string& root)
{
    std::map<std::string, std::string> state;
    for (const auto& [path, e] : test::treeState(root)) {
        state[path] = std::string(1, e.kind) + " " + std::to_string(e.size) + " "
            + (e.kind == 'f' ? std::to_string(e.lastWrite / 1'000'000'000) : std::string()) + " "
            + std::to_string(std::hash<std::string>{}(e.content));
    }
    return state;
}

TEST_F(Samba, TaskCopiesATreeOntoAShareMountedByTheDesktopAndBack)
{
    test::TempDir dir;
    const std::string runtime = dir.mkdir("run");
    fs::permissions(runtime, fs::perms::owner_all);
    DesktopSession session(runtime);
    if (!session.skipReason().empty())
        GTEST_SKIP() << session.skipReason();

    const std::string source = dir.mkdir("quelle/Daten");
    dir.write("quelle/Daten/brief.txt", "Sehr geehrte Damen und Herren,\n");
    dir.write("quelle/Daten/Bilder/groß.bin", test::randomBytes(3 * 1024 * 1024 + 17, 7));
    dir.write("quelle/Daten/Bilder/Urlaub/leer.txt", "");
    dir.mkdir("quelle/Daten/Leer");
    // Times with a fraction of a second, and one long ago.
    const auto setTime = [](const std::string& path, std::int64_t seconds, long nanoseconds) {
        const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
    };
    setTime(dir.file("quelle/Daten/brief.txt"), 1'600'000'000, 250'000'000);
    setTime(dir.file("quelle/Daten/Bilder/groß.bin"), 946'684'800, 0);
    setTime(dir.file("quelle/Daten/Bilder/Urlaub/leer.txt"), 1'700'000'000, 123'456'700);
    const auto sourceState = copiedState(source);
    fs::create_directory(server_.shareFolder() + "/ziel");

    LinuxNetProvider::Options options;
    options.port = server_.port();
    options.desktopSession = true;
    options.mayMount = false; // the desktop's way only
    options.timeoutSeconds = 60;
    double now = 0;
    const NetworkDriveFactory drives = [&] {
        return std::make_unique<clsNetConnect>(std::make_shared<LinuxNetProvider>(options),
                                               WaitHooks{[&] { return now; }, [&] { now += 1; }});
    };
    // Each run connects the drive and releases it: the copy back mounts the
    // share again right after it was unmounted.
    const std::string release = "2|Z|\\\\127.0.0.1\\daten||";

    {
        test::EngineRun onto(drives);
        const bool ok = onto.run(engine::status::kCopy,
                                 {.sourceFolder = source, .targetFolder = "Z:/ziel", .netTargetCode = release});
        const std::string ready = onto.ready();
        if (!ok && ready.find(fc_NetErrorText(error::kNoNetwork)) != std::string::npos)
            GTEST_SKIP() << "gvfs gave the share no FUSE folder (gvfsd-fuse did not start): " << ready;
        ASSERT_TRUE(ok) << ready;
        EXPECT_EQ(onto.counters().CountFiles_Not, 0);
        EXPECT_EQ(onto.counters().CountFiles_Done, 3);
        onto.engine.sb_Action_CloseConnections();
    }
    EXPECT_EQ(resolveDrivePath("Z:"), "Z:") << "the drive is released after the run";
    {
        // gvfs keeps whole seconds: an unchanged rerun copies nothing. The
        // user has the share mounted (as the file manager mounts it): the
        // run borrows it, and its release leaves the user's mount alone.
        const std::string gio = findTool("gio");
        const std::string uri = "smb://127.0.0.1:" + std::to_string(server_.port()) + "/daten";
        ASSERT_EQ(runTool({gio, "mount", "-a", uri}, {}, 60).exitCode, 0);
        test::EngineRun again(drives);
        ASSERT_TRUE(
            again.run(engine::status::kCopy | engine::status::kOnlyDifferent | engine::status::kOverwriteExisting,
                      {.sourceFolder = source, .targetFolder = "Z:/ziel", .netTargetCode = release}))
            << again.ready();
        EXPECT_EQ(again.counters().CountFiles_ExistsTimeOk, 3);
        again.engine.sb_Action_CloseConnections();
        EXPECT_EQ(resolveDrivePath("Z:"), "Z:") << "the drive is released";
        EXPECT_EQ(runTool({gio, "info", uri}, {}, 60).exitCode, 0) << "the user's mount stays";
        runTool({gio, "mount", "-u", uri}, {}, 60);
    }
    // On the server_'s disk as in the source.
    EXPECT_EQ(copiedState(server_.shareFolder() + "/ziel/Daten"), sourceState);

    {
        test::EngineRun back(drives);
        ASSERT_TRUE(
            back.run(engine::status::kCopy,
                     {.sourceFolder = "Z:/ziel/Daten", .targetFolder = dir.mkdir("zurück"), .netSourceCode = release}))
            << back.ready();
        EXPECT_EQ(back.counters().CountFiles_Done, 3);
        back.engine.sb_Action_CloseConnections();
    }
    EXPECT_EQ(resolveDrivePath("Z:"), "Z:") << "the drive is released after the run";
    EXPECT_EQ(copiedState(dir.file("zurück/Daten")), sourceState);

    {
        // A share as the source, as "[Net][*][daten]" gives it: through a
        // drive of its own, released after the run.
        test::EngineRun share(drives);
        ASSERT_TRUE(share.run(engine::status::kCopy,
                              {.sourceFolder = "\\\\127.0.0.1\\daten\\ziel", .targetFolder = dir.mkdir("vom Netz")}))
            << share.ready();
        EXPECT_EQ(share.counters().CountFiles_Done, 3);
        share.engine.sb_Action_CloseConnections();
    }
    EXPECT_EQ(copiedState(dir.file("vom Netz/ziel/Daten")), sourceState);
    for (char c = 'D'; c <= 'Z'; ++c)
        EXPECT_EQ(resolveDrivePath(std::string(1, c) + ":"), std::string(1, c) + ":") << c << ": released";
}

// An unattended run (cron, ssh, a timer): no session bus, not root. The
// drive connects through gvfs on a bus of the run's own, copies onto the
// share and is released, and the bus goes with the run's last drive.
TEST_F(Samba, UnattendedRunReachesTheShareWithoutADesktop)
{
    test::TempDir dir;
    const std::string runtime = dir.mkdir("run");
    fs::permissions(runtime, fs::perms::owner_all);
    if (const std::string missing = gvfsMissing(); !missing.empty())
        GTEST_SKIP() << missing;
    test::ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", nullptr);
    test::ScopedEnv ownRuntime("XDG_RUNTIME_DIR", runtime.c_str());
    dir.write("quelle/Daten/brief.txt", "ohne Bildschirm\n");
    fs::create_directory(server_.shareFolder() + "/nachts");

    LinuxNetProvider::Options options;
    options.port = server_.port();
    options.desktopSession = false;
    options.mayMount = false; // an ordinary user's run
    options.timeoutSeconds = 60;
    double now = 0;
    const NetworkDriveFactory drives = [&] {
        return std::make_unique<clsNetConnect>(std::make_shared<LinuxNetProvider>(options),
                                               WaitHooks{[&] { return now; }, [&] { now += 1; }});
    };
    {
        test::EngineRun onto(drives);
        const bool ok = onto.run(engine::status::kCopy,
                                 {.sourceFolder = dir.file("quelle/Daten"),
                                  .targetFolder = "Y:/nachts",
                                  .netTargetCode = "2|Y|\\\\127.0.0.1\\daten||"});
        const std::string ready = onto.ready();
        onto.engine.sb_Action_CloseConnections();
        ASSERT_TRUE(ok) << ready;
        EXPECT_EQ(onto.counters().CountFiles_Done, 1);
    }
    EXPECT_EQ(resolveDrivePath("Y:"), "Y:") << "the drive is released after the run";
    std::ifstream copied(server_.shareFolder() + "/nachts/Daten/brief.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "ohne Bildschirm\n");
    // The bus went with the drive; gvfs's FUSE folder with it (detached if not).
    if (std::error_code ec; fs::exists(runtime + "/gvfs", ec) || ec) {
        if (const std::string fusermount = findTool("fusermount3"); !fusermount.empty())
            runTool({fusermount, "-u", "-z", runtime + "/gvfs"}, {}, 10);
    }
}

} // namespace
} // namespace zdr::net
