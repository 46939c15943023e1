#include "net/LinuxNetProvider.h"
#include "FakeMountTools.h"
#include "net/DriveFolder.h"
#include "net/NetErrors.h"
#include "net/clsNetConnect.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace zdr::net {
namespace {

class LinuxNetProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools = dir.mkdir("tools");
        drives = dir.file("drives");
        install("mount.cifs", kFakeMountCifs);
        install("gio", kFakeGio);
        fs::create_directories(tools + "/gvfs/share/sub");
    }
    void install(const std::string& name, const char* script)
    {
        dir.write("tools/" + name, script);
        fs::permissions(tools + "/" + name, fs::perms::owner_all);
    }
    LinuxNetProvider::Options cifsOptions()
    {
        LinuxNetProvider::Options o;
        o.drivesFolder = drives;
        o.mountCifsTool = tools + "/mount.cifs";
        o.gioTool = tools + "/gio";
        o.desktopSession = false;
        o.mayMount = true;
        o.privateBus = false;
        o.port = 4455;
        return o;
    }
    LinuxNetProvider::Options gioOptions()
    {
        LinuxNetProvider::Options o = cifsOptions();
        o.desktopSession = true;
        o.mayMount = false;
        return o;
    }
    std::string noted(const std::string& name)
    {
        return fs::exists(tools + "/" + name) ? dir.read("tools/" + name) : "";
    }
    void behave(const std::string& text) { dir.write("tools/behaviour", text); }

    test::TempDir dir;
    std::string tools;
    std::string drives;
};

TEST_F(LinuxNetProviderTest, CifsMountGetsThePasswordOnlyThroughAPrivateFile)
{
    LinuxNetProvider provider(cifsOptions());
    const NetCallResult result = provider.connect("x:", "\\\\srv\\daten", "FIRMA\\anna", "Geheim!7");
    ASSERT_EQ(result.code, 0u) << result.failure;

    const std::string args = noted("cifs-args");
    EXPECT_EQ(args.find("Geheim"), std::string::npos);
    EXPECT_TRUE(args.starts_with("//srv/daten\n" + drives + "/.mnt-X\n-o\ncredentials=" + drives + "/.cred-")) << args;
    EXPECT_NE(args.find(",port=4455"), std::string::npos);
    EXPECT_EQ(noted("cifs-env").find("Geheim"), std::string::npos);
    EXPECT_EQ(noted("cifs-cred-mode"), "600\n");
    EXPECT_EQ(noted("cifs-cred"), "username=anna\npassword=Geheim!7\ndomain=FIRMA\n");
    for (const auto& entry : fs::directory_iterator(drives))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".cred-")) << "credentials left behind";

    EXPECT_TRUE(provider.pathAnswers("X:"));
    EXPECT_EQ(dir.read(resolveDrivePath("X:/datei.txt", drives).substr(dir.path().size() + 1)), "inhalt\n");
    EXPECT_EQ(provider.connect("X:", "\\\\srv\\andere", "anna", "x").code, error::kAlreadyAssigned);

    EXPECT_EQ(provider.cancel("X:", true).code, 0u);
    EXPECT_FALSE(provider.pathAnswers("X:"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(driveLinkPath(drives, "X:"))));
    EXPECT_EQ(provider.cancel("X:", true).code, error::kNotConnected);
}

TEST_F(LinuxNetProviderTest, AnonymousCifsMountAsksForGuest)
{
    LinuxNetProvider provider(cifsOptions());
    ASSERT_EQ(provider.connect("G:", "//srv/pub", "", "").code, 0u);
    EXPECT_NE(noted("cifs-args").find("-o\nguest,uid="), std::string::npos);
    EXPECT_EQ(noted("cifs-cred"), "");
}

TEST_F(LinuxNetProviderTest, CifsFailuresMapToTheConnectNumbers)
{
    struct Case {
        const char* said;
        bool credentials;
        platform::ErrorCode code;
    };
    const Case cases[] = {
        {"mount error(13): Permission denied", true, error::kInvalidPassword},
        {"mount error(13): Permission denied", false, error::kAccessDenied},
        {"mount error(1): Operation not permitted", true, error::kAccessDenied},
        {"mount error(2): No such file or directory", true, error::kBadNetName},
        {"mount error(112): Host is down", true, error::kBadNetPath},
        {"mount error(111): Connection refused", true, error::kBadNetPath},
        {"mount error: could not resolve address for nirgends: Unknown error", true, error::kBadNetPath},
        {"mount error(19): No such device", true, error::kNoNetwork},
        {"mount error(95): Operation not supported", true, error::kNoNetwork},
        {"mount error(5): Input/output error", true, error::kNoNetOrBadPath},
    };
    LinuxNetProvider provider(cifsOptions());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        behave(c.said);
        const NetCallResult result =
            provider.connect("M:", "\\\\srv\\d", c.credentials ? "anna" : "", c.credentials ? "pw" : "");
        EXPECT_EQ(result.code, c.code);
        EXPECT_FALSE(provider.pathAnswers("M:"));
        EXPECT_FALSE(fs::exists(drives + "/.mnt-M"));
    }
}

TEST_F(LinuxNetProviderTest, GioGetsThePasswordAtItsPrompt)
{
    LinuxNetProvider provider(gioOptions());
    ASSERT_EQ(provider.connect("Y:", "//srv/daten/sub", "anna", "richtig").code, 0u);
    EXPECT_EQ(noted("gio-calls"), "mount smb://anna@srv:4455/daten\ninfo smb://anna@srv:4455/daten\n");
    EXPECT_EQ(noted("gio-passwords"), "richtig\n");
    EXPECT_EQ(noted("gio-env").find("richtig"), std::string::npos);
    EXPECT_EQ(resolveDrivePath("Y:", drives), tools + "/gvfs/share/sub");
    EXPECT_TRUE(provider.pathAnswers("Y:"));

    ASSERT_EQ(provider.cancel("Y:", true).code, 0u);
    EXPECT_TRUE(noted("gio-calls").ends_with("mount -u -f smb://anna@srv:4455/daten\n"));
    EXPECT_FALSE(provider.pathAnswers("Y:"));
}

// A share the user had mounted through the desktop before: the drive
// borrows it, and releasing the drive leaves the user's mount alone.
TEST_F(LinuxNetProviderTest, ShareMountedBeforeStaysMounted)
{
    behave("Location is already mounted");
    LinuxNetProvider provider(gioOptions());
    ASSERT_EQ(provider.connect("Y:", "//srv/daten", "anna", "richtig").code, 0u);
    EXPECT_EQ(resolveDrivePath("Y:", drives), tools + "/gvfs/share");
    ASSERT_EQ(provider.cancel("Y:", true).code, 0u);
    EXPECT_EQ(noted("gio-calls").find("mount -u"), std::string::npos) << noted("gio-calls");
    EXPECT_FALSE(provider.pathAnswers("Y:")) << "the drive itself is gone";
}

TEST_F(LinuxNetProviderTest, GioRefusedPasswordIsAnsweredOnce)
{
    LinuxNetProvider provider(gioOptions());
    EXPECT_EQ(provider.connect("Y:", "\\\\srv\\daten", "anna", "falsch").code, error::kInvalidPassword);
    EXPECT_EQ(noted("gio-passwords"), "falsch\n");
    EXPECT_FALSE(provider.pathAnswers("Y:"));
}

TEST_F(LinuxNetProviderTest, GioFailuresMapToTheConnectNumbers)
{
    struct Case {
        const char* said;
        platform::ErrorCode code;
    };
    const Case cases[] = {
        {"Failed to mount Windows share: Connection refused", error::kBadNetPath},
        {"Failed to retrieve share list from server: No route to host", error::kBadNetPath},
        {"Failed to mount Windows share: No such file or directory", error::kBadNetName},
        {"Failed to mount Windows share: Permission denied", error::kInvalidPassword},
        {"Failed to mount Windows share: Device or resource busy", error::kBusy},
        {"Something odd", error::kNoNetOrBadPath},
    };
    LinuxNetProvider provider(gioOptions());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        behave(c.said);
        EXPECT_EQ(provider.connect("Y:", "\\\\srv\\daten", "anna", "pw").code, c.code);
    }
}

TEST_F(LinuxNetProviderTest, UnusableGioFallsBackToCifs)
{
    behave("The specified location is not supported");
    LinuxNetProvider::Options o = gioOptions();
    o.mayMount = true;
    // Both fakes read the same behaviour file: gio fails as unsupported,
    // then mount.cifs fails with it too, which is still "no network".
    LinuxNetProvider provider(o);
    EXPECT_EQ(provider.connect("Y:", "\\\\srv\\daten", "anna", "pw").code, error::kNoNetwork);
    EXPECT_NE(noted("cifs-args"), "");
}

TEST_F(LinuxNetProviderTest, RefusedNamesAndMissingTools)
{
    LinuxNetProvider provider(cifsOptions());
    EXPECT_EQ(provider.connect("1:", "\\\\srv\\d", "", "").code, error::kBadDevice);
    EXPECT_EQ(provider.connect("XY", "\\\\srv\\d", "", "").code, error::kBadDevice);
    EXPECT_EQ(provider.connect("X:", "srv\\d", "", "").code, error::kBadNetName);
    EXPECT_EQ(provider.cancel("", true).code, error::kBadDevice);

    LinuxNetProvider::Options o = cifsOptions();
    o.mayMount = false;
    LinuxNetProvider notRoot(o);
    EXPECT_EQ(notRoot.connect("X:", "\\\\srv\\d", "", "").code, error::kNoNetwork);
    o.mayMount = true;
    o.mountCifsTool = tools + "/fehlt";
    LinuxNetProvider noTool(o);
    EXPECT_EQ(noTool.connect("X:", "\\\\srv\\d", "", "").code, error::kNoNetwork);
}

TEST_F(LinuxNetProviderTest, DriveWhoseShareWentAwayIsMappedAgain)
{
    std::string error;
    ASSERT_TRUE(ensureDrivesFolder(drives, error));
    ASSERT_EQ(symlink((dir.path() + "/weg").c_str(), driveLinkPath(drives, "S:").c_str()), 0);
    LinuxNetProvider provider(cifsOptions());
    EXPECT_FALSE(provider.pathAnswers("S:"));
    ASSERT_EQ(provider.connect("S:", "\\\\srv\\daten", "anna", "pw").code, 0u);
    EXPECT_EQ(resolveDrivePath("S:", drives), drives + "/.mnt-S");
}

TEST_F(LinuxNetProviderTest, NoNetworkSupportReachesTheUserAfterThreeTries)
{
    LinuxNetProvider::Options o = cifsOptions();
    o.mayMount = false;
    double now = 10.0;
    clsNetConnect drive(std::make_shared<LinuxNetProvider>(o), {[&] { return now; }, [&] { now += 1.0; }});
    ASSERT_TRUE(drive.fc_Init("2|N|\\\\srv\\daten|anna|Sesam"));
    std::string message;
    EXPECT_FALSE(drive.fc_Connect(message));
    EXPECT_EQ(message,
              "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: "
              "Es ist keine Netzwerkunterstützung installiert");
    EXPECT_EQ(now, 20.0);
}

} // namespace
} // namespace zdr::net
