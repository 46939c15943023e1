#include "SambaServer.h"
#include "net/DriveFolder.h"
#include "net/LinuxNetProvider.h"
#include "net/NetErrors.h"
#include "net/NetworkDrives.h"
#include "net/SmbEnumerator.h"
#include "net/ToolRun.h"
#include "net/clsNetConnect.h"
#include "net/clsNetwork.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

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
    options.hosts = { "127.0.0.1" };
    clsNetwork network(std::make_shared<SmbEnumerator>(options));
    Found found;
    network.ResourceFound = [&](const std::string& name, std::uint32_t display) { found.emplace_back(name, display); };
    EXPECT_TRUE(network.fc_Init("", shareFilter, false));
    return found;
}

TEST(Samba, EnumerationListsTheLoopbackServersShares)
{
    test::SambaServer server;
    if (!server.running())
        GTEST_SKIP() << server.skipReason();

    const Found all = walk(server, "*");
    const Found expected { { "Windows-Netzwerk", resource::kDisplayNetwork },
        { "\\\\127.0.0.1", resource::kDisplayServer }, { "\\\\127.0.0.1\\daten", resource::kDisplayShare },
        { "\\\\127.0.0.1\\geheim$", resource::kDisplayShare } };
    EXPECT_EQ(all, expected);

    EXPECT_EQ(walk(server, "$"), (Found { { "\\\\127.0.0.1\\geheim$", resource::kDisplayShare } }));
    EXPECT_EQ(walk(server, "DATEN"), (Found { { "\\\\127.0.0.1\\daten", resource::kDisplayShare } }));
}

TEST(Samba, DriveCopiesATreeThroughTheShareAndIsReleased)
{
    test::SambaServer server;
    if (!server.running())
        GTEST_SKIP() << server.skipReason();
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a share needs root here (not running as root)";
    if (findTool("mount.cifs").empty())
        GTEST_SKIP() << "mount.cifs is not installed (Debian package cifs-utils)";

    test::TempDir dir;
    const std::string drives = dir.file("drives");
    LinuxNetProvider::Options options;
    options.drivesFolder = drives;
    options.port = server.port();
    options.desktopSession = false;
    options.timeoutSeconds = 30;
    double now = 0;
    std::vector<std::unique_ptr<NetworkDrive>> run;
    run.push_back(std::make_unique<clsNetConnect>(
        std::make_shared<LinuxNetProvider>(options), WaitHooks { [&] { return now; }, [&] { now += 1; } }));
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
    EXPECT_TRUE(fs::exists(server.shareFolder() + "/neu.txt"));

    sb_Action_CloseConnections(run);
    EXPECT_EQ(resolveDrivePath("Z:", drives), "Z:");
}

} // namespace
} // namespace zdr::net
