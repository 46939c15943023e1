#include "PrivateSambaServer.h"
#include "net/ToolRun.h"
#include "registry/RegistryRootKey.h"
#include "registry/SambaRegistryProvider.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zdr::registry {
namespace {

namespace fs = std::filesystem;
using test::PrivateSambaServer;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

// Stands in for Samba's "net": writes down how it was called (and what the
// authentication file held, and its mode) and answers from prepared files
// named after the command ("out.getvalue", "err.export", "rc.getvalue").
class FakeNet {
public:
    FakeNet()
    {
        const std::string d = dir_.path();
        program_ =
            dir_.write("net",
                       "#!/bin/sh\n"
                       "d='"
                           + d
                           + "'\n"
                             "printf '%s\\n' \"$@\" > \"$d/args.$3\"\n"
                             "for a in \"$@\"; do case \"$a\" in --authentication-file=*)\n"
                             "  f=${a#--authentication-file=}; echo \"$f\" > \"$d/authpath\"\n"
                             "  stat -c %a \"$f\" > \"$d/mode\"; stat -c %a \"$(dirname \"$f\")\" > \"$d/dirmode\"\n"
                             "  cat \"$f\" > \"$d/auth\";; esac; done\n"
                             "[ -f \"$d/sleep\" ] && sleep 5 && echo done > \"$d/finished\"\n"
                             "[ -f \"$d/err.$3\" ] && cat \"$d/err.$3\" >&2\n"
                             "[ -f \"$d/out.$3\" ] && cat \"$d/out.$3\"\n"
                             "exit $(cat \"$d/rc.$3\" 2>/dev/null || echo 0)\n");
        fs::permissions(program_, fs::perms::owner_all);
    }
    void reply(const std::string& command, const std::string& out, int rc = 0, const std::string& err = {})
    {
        dir_.write("out." + command, out);
        dir_.write("rc." + command, std::to_string(rc));
        dir_.write("err." + command, err);
    }
    std::string read(const std::string& name) const
    {
        return fs::exists(dir_.file(name)) ? dir_.read(name) : std::string();
    }
    void slow() const { dir_.write("sleep", ""); }
    SambaRegistryProvider provider(int timeoutSeconds = 60) const
    {
        return SambaRegistryProvider({program_, {"--configfile=/dev/null"}, timeoutSeconds});
    }

private:
    TempDir dir_;
    std::string program_;
};

RegistryReadRequest request(const std::string& computer, const std::string& user = {}, const std::string& password = {})
{
    return {rootKey::kLocalMachine, "Software\\Zendor", "Version", computer, user, password};
}

TEST(SambaRegistryProvider, CurrentUserLogsOnWithKerberosAndNamesAreNeverOptions)
{
    FakeNet net;
    net.reply("getvalue", "Type       = REG_DWORD\nValue      = 42\n");
    RegistryReadRequest read = request("\\\\PC1");
    read.valueName = "-d10";
    const RegistryReadResult result = net.provider().fc_ReadValue(read);
    EXPECT_TRUE(result.ok()) << result.errorText;
    EXPECT_EQ(result.value, RegistryValue(std::int32_t{42}));
    EXPECT_EQ(net.read("args.getvalue"),
              "rpc\nregistry\ngetvalue\n-S\nPC1\n--use-kerberos=required\n--no-pass\n"
              "--configfile=/dev/null\n--\nHKEY_LOCAL_MACHINE\\Software\\Zendor\n-d10\n");
}

TEST(SambaRegistryProvider, TaskCredentialsGoThroughAPrivateFileThatIsRemoved)
{
    FakeNet net;
    TempDir tmp;
    const char* savedTmp = std::getenv("TMPDIR");
    const std::string saved = savedTmp ? savedTmp : "";
    setenv("TMPDIR", tmp.path().c_str(), 1);
    net.reply("getvalue", "Type       = REG_SZ\nValue      = \"ja\"\n");
    const RegistryReadResult result = net.provider().fc_ReadValue(request("PC1", "FIRMA\\admin", "g3h|eim nis"));
    savedTmp ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");

    EXPECT_EQ(result.value, RegistryValue(std::string("ja")));
    EXPECT_EQ(net.read("auth"), "domain = FIRMA\nusername = admin\npassword = g3h|eim nis\n");
    EXPECT_EQ(net.read("mode"), "600\n");
    EXPECT_EQ(net.read("dirmode"), "700\n");
    const std::string args = net.read("args.getvalue");
    EXPECT_EQ(args.find("g3h"), std::string::npos);
    EXPECT_NE(args.find("--authentication-file=" + tmp.path() + "/zdr-reg-"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(tmp.path())); // file and folder are gone

    // A line break would smuggle a second setting into the file.
    const RegistryReadResult refused = net.provider().fc_ReadValue(request("PC2", "admin", "a\nusername = x"));
    EXPECT_EQ(refused.result, 87);
    EXPECT_EQ(net.read("args.getvalue").find("PC2"), std::string::npos);
}

TEST(SambaRegistryProvider, BinaryValuesComeFromTheExportOfTheKey)
{
    FakeNet net;
    net.reply("getvalue", "Type       = REG_BINARY\nValue      = 3 bytes\n");
    net.reply("export",
              "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Zendor]\n"
              "\"version\"=hex:0a,0b,\\\n  0c\n");
    RegistryReadResult result = net.provider().fc_ReadValue(request("PC1"));
    EXPECT_TRUE(result.ok()) << result.errorText;
    EXPECT_EQ(result.value, RegistryValue(Bytes{0x0a, 0x0b, 0x0c}));
    EXPECT_EQ(net.read("args.export"),
              "rpc\nregistry\nexport\n-S\nPC1\n--use-kerberos=required\n--no-pass\n"
              "--configfile=/dev/null\n--\nHKEY_LOCAL_MACHINE\\Software\\Zendor\n"
              "/dev/stdout\n");

    // The export disagrees with the length the value was read with.
    net.reply("getvalue", "Type       = REG_BINARY\nValue      = 4 bytes\n");
    result = net.provider().fc_ReadValue(request("PC1"));
    EXPECT_EQ(result.result, 13);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(result.value));
}

TEST(SambaRegistryProvider, FailuresEveryComputerGetsATextFor)
{
    FakeNet net;
    net.reply("getvalue", "", 255, "Could not connect to server PC1\nConnection failed: NT_STATUS_HOST_UNREACHABLE\n");
    EXPECT_EQ(net.provider().fc_ReadValue(request("PC1")).errorText, "Der Netzwerkpfad wurde nicht gefunden.");

    const RegistryReadResult local = net.provider().fc_ReadValue(request(""));
    EXPECT_EQ(local.result, 50);
    EXPECT_NE(local.errorText.find("Kein Computer angegeben"), std::string::npos);

    const RegistryReadResult missing =
        SambaRegistryProvider({"zdr-no-such-net-tool", {}, 60}).fc_ReadValue(request("PC1"));
    EXPECT_EQ(missing.result, 2);
    EXPECT_EQ(missing.errorText,
              "Die Registry von Computer 'PC1' kann nicht gelesen werden: das Programm "
              "'zdr-no-such-net-tool' (Paket samba-common-bin) ist nicht installiert.");

    // A computer that does not answer in time; the tool is stopped, not
    // awaited (a tool that ran to its end would have left "finished").
    net.slow();
    const RegistryReadResult late = net.provider(1).fc_ReadValue(request("PC1"));
    EXPECT_EQ(late.result, 1460);
    EXPECT_EQ(late.errorText, "Dieser Vorgang wurde wegen Zeitüberschreitung zurückgegeben.");
    EXPECT_EQ(net.read("finished"), "") << "the tool ran to its end";
}

TEST(SambaRegistryProvider, ReadsARealRegistryService)
{
    PrivateSambaServer server;
    if (!server.reason().empty())
        GTEST_SKIP() << server.reason();
    const std::string reg =
        server.write("werte.reg",
                     "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zendor]\r\n"
                     "\"Zahl\"=dword:ffffffff\r\n\"Bin\"=hex:01,02,ff\r\n"
                     "\"Liste\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n\r\n");
    ASSERT_TRUE(server.registry({"import", reg}));
    ASSERT_TRUE(server.registry({"setvalue", "HKLM\\SOFTWARE\\Zendor", "Text", "sz", "Grüße \"x\""}));

    SambaRegistryProvider provider({"net", server.options(server.port()), 60});
    const auto read = [&](const std::string& path, const std::string& name, const std::string& password) {
        return provider.fc_ReadValue({rootKey::kLocalMachine, path, name, "127.0.0.1", "root", password});
    };
    const char* pw = PrivateSambaServer::kPassword;
    EXPECT_EQ(read("SOFTWARE\\Zendor", "Text", pw).value, RegistryValue(std::string("Grüße \"x\"")));
    EXPECT_EQ(read("software\\zendor", "zahl", pw).value, RegistryValue(std::int32_t{-1}));
    EXPECT_EQ(read("SOFTWARE\\Zendor", "Bin", pw).value, RegistryValue(Bytes{1, 2, 0xff}));
    EXPECT_EQ(read("SOFTWARE\\Zendor", "Liste", pw).result, -1);
    EXPECT_EQ(read("SOFTWARE\\Fehlt", "Text", pw).result, 2);
    EXPECT_EQ(read("SOFTWARE\\Zendor", "Fehlt", pw).result, 2);
    EXPECT_EQ(read("SOFTWARE\\Zendor", "Text", "falsch").result, 1326);

    SambaRegistryProvider closedPort({"net", server.options(PrivateSambaServer::freePort()), 60});
    EXPECT_EQ(closedPort.fc_ReadValue({rootKey::kLocalMachine, "SOFTWARE", "x", "127.0.0.1", "root", pw}).result, 53);
}

} // namespace
} // namespace zdr::registry
