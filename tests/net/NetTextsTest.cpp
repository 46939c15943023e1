#include "net/AvahiResolver.h"
#include "net/DriveFolder.h"
#include "net/NetPlaceholder.h"
#include "net/UncName.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace zdr::net {
namespace {

TEST(UncName, ShareNamesInBothSpellings)
{
    struct Case {
        const char* text;
        bool ok;
        const char* server;
        const char* share;
        const char* folder;
    };
    const Case cases[] = {
        {"\\\\srv\\daten", true, "srv", "daten", ""},
        {"//srv/daten", true, "srv", "daten", ""},
        {"\\\\srv\\daten\\", true, "srv", "daten", ""},
        {"\\\\srv\\Daten 2\\Ab\\C", true, "srv", "Daten 2", "Ab/C"},
        {"\\\\127.0.0.1/mix\\ed", true, "127.0.0.1", "mix", "ed"},
        {"\\\\srv", false, "", "", ""},
        {"\\\\srv\\", false, "", "", ""},
        {"srv\\daten", false, "", "", ""},
        {"\\srv\\daten", false, "", "", ""},
        {"\\\\srv\\\\daten", false, "", "", ""},
        {"\\\\srv\\daten\\..\\etc", false, "", "", ""},
        {"", false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<UncName> name = parseUncName(c.text);
        ASSERT_EQ(name.has_value(), c.ok);
        if (!name)
            continue;
        EXPECT_EQ(name->server, c.server);
        EXPECT_EQ(name->share, c.share);
        EXPECT_EQ(name->folder, c.folder);
    }
    EXPECT_EQ(splitUserName("FIRMA\\anna").domain, "FIRMA");
    EXPECT_EQ(splitUserName("FIRMA\\anna").user, "anna");
    EXPECT_EQ(splitUserName("anna").domain, "");
    EXPECT_EQ(percentEncoded("a b@c;d$"), "a%20b%40c%3Bd$");
}

TEST(NetPlaceholder, DomainAndShareParts)
{
    struct Case {
        const char* text;
        const char* domain;
        const char* share;
    };
    const Case cases[] = {
        {"[Net][*]", "", ""},    {"[Net][FIRMA]", "FIRMA", ""},       {"[Net][FIRMA][$]", "FIRMA", "$"},
        {"[Net][][*]", "", "*"}, {"[Net][FIRMA]\\Rest", "FIRMA", ""}, {"[Net][OFFEN", "OFFEN", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ASSERT_TRUE(isNetPlaceholder(c.text));
        const NetPlaceholder p = parseNetPlaceholder(c.text);
        EXPECT_EQ(p.domain, c.domain);
        EXPECT_EQ(p.share, c.share);
    }
    EXPECT_FALSE(isNetPlaceholder("[net][x]"));
    EXPECT_FALSE(isNetPlaceholder("C:/Daten"));

    // Computers named in place of the domain.
    const NetPlaceholder named = parseNetPlaceholder("[Net][\\\\nas, \\\\PC-2;\\\\nas][daten]");
    EXPECT_TRUE(namesHosts(named.domain));
    EXPECT_FALSE(namesHosts("FIRMA"));
    EXPECT_EQ(named.share, "daten");
    EXPECT_EQ(namedHosts(named.domain), (std::vector<std::string>{"nas", "PC-2"}));
    EXPECT_EQ(namedHosts("\\\\a b,\\\\c/d,\\\\e%41,\\\\..,x,\\\\,\\\\Büro"), (std::vector<std::string>{"Büro"}));
    EXPECT_TRUE(namedHosts("FIRMA").empty());
}

TEST(AvahiResolver, ParsesResolvedLinesAndLeavesOutHostileOnes)
{
    const std::string output = "+;eth0;IPv4;nas;_smb._tcp;local\n"
                               "=;eth0;IPv6;nas;_smb._tcp;local;nas.local;fe80::1;445;\n"
                               "=;eth0;IPv4;nas;_smb._tcp;local;nas.local;192.168.1.5;445;\"a;b\"\n"
                               "=;eth1;IPv4;nas;_smb._tcp;local;NAS.local;10.0.0.5;445;\n"
                               "=;eth0;IPv6;v6;_smb._tcp;local;v6.local.;2001:db8::1;139;\n"
                               "=;eth0;IPv4;x;_smb._tcp;local;x;1.2.3.4;445\n" // cut: no text field
                               "=;eth0;IPv4;evil;_smb._tcp;local;ev il.local;1.2.3.5;445;\n"
                               "=;eth0;IPv4;evil;_smb._tcp;local;e\\v.local;1.2.3.6;445;\n"
                               "=;eth0;IPv4;evil;_smb._tcp;local;a;b.local;1.2.3.7;445;\n"
                               "=;eth0;IPv4;evil;_smb._tcp;local;p.local;1.2.3.8;99999;\n"
                               "=;eth0;IPv4;evil;_smb._tcp;local;q.local;1.2.3;445;\n"
                               "=;eth0;IPv6;evil;_smb._tcp;local;r.local;1.2.3.9;445;\n"
                               "=;eth0;IPv4\n"
                               "Failed to create client object: Daemon not running\n"
                               "=;eth0;IPv4;long;_smb._tcp;local;"
        + std::string(300, 'h') + ";1.2.3.10;445;\n";
    const std::vector<AnnouncedHost> hosts = parseAvahiBrowse(output);
    std::vector<std::string> seen;
    for (const AnnouncedHost& h : hosts)
        seen.push_back(h.hostName + " " + h.address + " " + std::to_string(h.port) + " " + h.walkName());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"nas.local 192.168.1.5 445 192.168.1.5", "v6.local  139 v6.local",
                                        "x 1.2.3.4 445 1.2.3.4"}));

    std::string many;
    for (int i = 0; i < 300; ++i)
        many += "=;eth0;IPv4;h;_smb._tcp;local;h" + std::to_string(i) + ".local;10.0.0.1;445;\n";
    EXPECT_EQ(parseAvahiBrowse(many).size(), AvahiResolver::kMaxHosts);
}

TEST(AvahiResolver, AsksAvahiBrowseAndEndsWhenItHangs)
{
    test::TempDir dir;
    const std::string tool = dir.write("avahi-browse",
                                       "#!/bin/sh\n"
                                       "echo \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                       "echo '=;lo;IPv4;Speicher;_smb._tcp;local;speicher.local;127.0.0.1;445;'\n"
                                       "[ -e \"$(dirname \"$0\")/hang\" ] && exec sleep 60\n"
                                       "exit 0\n");
    fs::permissions(tool, fs::perms::owner_all);
    AvahiResolver resolver({tool, 1});
    std::vector<AnnouncedHost> hosts = resolver.announcedHosts();
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].walkName(), "127.0.0.1");
    EXPECT_EQ(dir.read("args"), "-rptk _smb._tcp\n");

    dir.write("hang", "");
    hosts = resolver.announcedHosts(); // ends after its second
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].hostName, "speicher.local");

    EXPECT_TRUE(AvahiResolver({dir.file("fehlt"), 1}).announcedHosts().empty());
}

TEST(DriveFolder, DriveNamesResolveThroughTheirLinks)
{
    test::TempDir dir;
    const std::string drives = dir.mkdir("drives");
    const std::string share = dir.mkdir("share");
    ASSERT_EQ(symlink(share.c_str(), driveLinkPath(drives, "x:").c_str()), 0);
    struct Case {
        const char* path;
        std::string resolved;
    };
    const Case cases[] = {
        {"X:", share},           {"x:", share},          {"X:/", share}, {"X:/a/b", share + "/a/b"},
        {"X:\\a", share + "/a"}, {"Y:/a", "Y:/a"}, // not connected
        {"X:rel", "X:rel"},      {"/abs/X:", "/abs/X:"}, {"XY:", "XY:"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveDrivePath(c.path, drives), c.resolved) << c.path;
    EXPECT_TRUE(isDriveName("z:"));
    EXPECT_FALSE(isDriveName("1:"));
    EXPECT_FALSE(isDriveName("Z"));
}

TEST(DriveFolder, FolderIsPrivateToTheUser)
{
    test::TempDir dir;
    std::string error;
    const std::string fresh = dir.file("fresh");
    ASSERT_TRUE(ensureDrivesFolder(fresh, error)) << error;
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = dir.mkdir("open");
    chmod(open.c_str(), 0777);
    ASSERT_TRUE(ensureDrivesFolder(open, error)) << error;
    ASSERT_EQ(stat(open.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A link planted where the folder should be is refused, not followed.
    const std::string planted = dir.file("planted");
    ASSERT_EQ(symlink(open.c_str(), planted.c_str()), 0);
    EXPECT_FALSE(ensureDrivesFolder(planted, error));
    EXPECT_NE(error.find(planted), std::string::npos);
}

TEST(DriveFolder, RuntimeFolderOfTheSession)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/4711", 1);
    EXPECT_EQ(drivesFolderPath(), "/run/user/4711/zendor-drives");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(drivesFolderPath().ends_with("zendor-drives") || drivesFolderPath().starts_with("/tmp/zendor-drives-"));
    if (old)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

} // namespace
} // namespace zdr::net
