#include "ShellExtensionLibrary.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zdr::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kCaption = "ZendorShellExtension|";
constexpr const char* kRefused = "ZendorShellExtension|Aktion abgebrochen, nichts wurde übergeben.\n";
constexpr const char* kCannotSend =
    "ZendorShellExtension|Fehler beim Aufrufen des Programmes Zendor DaroRazu.exe\nKann Nachrichten nicht senden.";

const std::string kBinLibrary = std::string(ZDR_BIN_DIR) + "/libZendorShellExtensions.so";

std::string runtimeFolder;

class ShellExtension : public ::testing::Test {
protected:
    // Receivers of this test listen in a folder of their own; the program
    // it starts has no display.
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/zdr-rt-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtimeFolder = pattern;
        setenv("XDG_RUNTIME_DIR", pattern, 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static void TearDownTestSuite() { fs::remove_all(runtimeFolder); }

    // A copy of the library in a folder of its own, beside a stand-in for the
    // program (a shell script) or nothing.
    std::string isolatedLibrary(const std::string& programScript, mode_t mode = 0755)
    {
        const std::string library = folder_.file("libZendorShellExtensions.so");
        fs::copy_file(kBinLibrary, library);
        if (!programScript.empty()) {
            const std::string program = folder_.write("Zendor DaroRazu", programScript);
            chmod(program.c_str(), mode);
        }
        return library;
    }

    TempDir folder_;
};

TEST_F(ShellExtension, InitializeTakesOnlyAReadableFileList)
{
    ShellExtensionLibrary lib(kBinLibrary);
    ASSERT_TRUE(lib.loaded());
    const std::string tooLong = "/" + std::string(4096, 'x');
    struct Case {
        std::vector<const char*> names;
        int count;
        ZSE_HRESULT expected;
    };
    const std::vector<Case> cases{
        {{"/daten/a", "/daten/b"}, 2, ZSE_S_OK},
        {{}, 0, ZSE_E_INVALIDARG},
        {{"/daten/a"}, 0, ZSE_E_INVALIDARG},
        {{nullptr}, 1, ZSE_E_INVALIDARG},
        {{""}, 1, ZSE_E_INVALIDARG},
        {{"daten/a"}, 1, ZSE_E_INVALIDARG},
        {{tooLong.c_str()}, 1, ZSE_E_INVALIDARG},
        {{"/daten/a", nullptr}, 2, ZSE_E_INVALIDARG},
        {{"/daten/a", "relativ"}, 2, ZSE_E_INVALIDARG},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lib.Initialize(lib.handler(), nullptr, c.names.data(), c.count), c.expected) << c.names.size();
    EXPECT_EQ(lib.Initialize(lib.handler(), nullptr, nullptr, 1), ZSE_E_INVALIDARG); // no file list at all
    const char* one[] = {"/daten/a"};
    EXPECT_EQ(lib.Initialize(lib.handler(), "relativ", one, 1), ZSE_E_INVALIDARG);
    EXPECT_EQ(lib.Initialize(lib.handler(), "/ziel", one, 1), ZSE_S_OK);
    EXPECT_TRUE(lib.messages().empty());
}

struct Shown {
    int kind;
    unsigned id;
    int bitmap;
    std::string text;
    std::vector<Shown> submenu;
    bool operator==(const Shown&) const = default;
};

std::vector<Shown> shown(const ShellExtensionLibrary& lib, const zse_Menu* menu)
{
    std::vector<Shown> items;
    for (int i = 0; i < lib.GetMenuItemCount(menu); ++i) {
        zse_MenuItem item{};
        lib.GetMenuItem(menu, i, &item);
        items.push_back({item.kind, item.id, item.bitmap, item.text,
                         item.submenu ? shown(lib, item.submenu) : std::vector<Shown>{}});
    }
    return items;
}

// A menu with the file manager's own two items, "Öffnen" and "Eigenschaften".
zse_Menu* fileManagerMenu(ShellExtensionLibrary& lib)
{
    zse_Menu* menu = lib.CreateMenu();
    const zse_MenuItem open{ZSE_MF_STRING, 1, 0, "Öffnen", nullptr};
    const zse_MenuItem properties{ZSE_MF_STRING, 2, 0, "Eigenschaften", nullptr};
    lib.InsertMenuItem(menu, 0, &open);
    lib.InsertMenuItem(menu, 99, &properties);
    return menu;
}

const Shown kOpen{ZSE_MF_STRING, 1, 0, "Öffnen", {}};
const Shown kProperties{ZSE_MF_STRING, 2, 0, "Eigenschaften", {}};
const Shown kSeparator{ZSE_MF_SEPARATOR, 0, 0, "", {}};

TEST_F(ShellExtension, MenuBlockInBothForms)
{
    ShellExtensionLibrary lib(kBinLibrary);
    const Shown copy{ZSE_MF_STRING, 101, 101, "&Kopieren (Zendor Daten kopieren)", {}};

    zse_Menu* menu = fileManagerMenu(lib);
    EXPECT_EQ(lib.QueryContextMenu(lib.handler(), menu, 1, 100, 200, ZSE_CMF_NORMAL), 2);
    EXPECT_EQ(shown(lib, menu), (std::vector<Shown>{kOpen, copy, kSeparator, kProperties}));
    lib.DestroyMenu(menu);

    menu = fileManagerMenu(lib);
    EXPECT_EQ(lib.QueryContextMenu(lib.handler(), menu, 1, 100, 200, ZSE_CMF_EXPLORE), 7);
    const Shown information{ZSE_MF_POPUP,
                            0,
                            103,
                            "&Informationen (Zendor Daten Informationen)",
                            {{ZSE_MF_STRING, 104, 103, "&Informationen", {}},
                             {ZSE_MF_STRING, 105, 103, "&Informationen Ordner Platzbedarf", {}}}};
    EXPECT_EQ(shown(lib, menu),
              (std::vector<Shown>{kOpen,
                                  kSeparator,
                                  information,
                                  copy,
                                  {ZSE_MF_STRING, 102, 102, "&Löschen (Zendor Daten löschen)", {}},
                                  kSeparator,
                                  {ZSE_MF_STRING, 103, 104, "&Verzeichnis anlegen", {}},
                                  kSeparator,
                                  kProperties}));
    lib.DestroyMenu(menu);

    // Only the default item asked for, or no room for five identifiers: nothing.
    for (const auto& [flags, last] :
         {std::pair{ZSE_CMF_DEFAULTONLY, 200u}, std::pair{ZSE_CMF_DEFAULTONLY | ZSE_CMF_EXPLORE, 200u},
          std::pair{ZSE_CMF_EXPLORE, 104u}, std::pair{ZSE_CMF_NORMAL, 99u}}) {
        menu = fileManagerMenu(lib);
        EXPECT_EQ(lib.QueryContextMenu(lib.handler(), menu, 1, 100, last, flags), 0) << flags << " " << last;
        EXPECT_EQ(shown(lib, menu), (std::vector<Shown>{kOpen, kProperties}));
        lib.DestroyMenu(menu);
    }
    EXPECT_STREQ(lib.BitmapIconName(101), "edit-copy");
    EXPECT_EQ(lib.BitmapIconName(0), nullptr);
}

TEST_F(ShellExtension, HelpTexts)
{
    ShellExtensionLibrary lib(kBinLibrary);
    const std::vector<std::string> texts{
        "Zendor Copy Copy - Sicheres Kopieren von Dateien und Ordnern",
        "Zendor Copy Delete - Löschen von Dateien und Ordnern",
        "Verzeichnis anlegen",
        "Zendor Copy Informationen über Dateien und Ordner",
        "Zendor Copy Informationen über Platzbelegung Ordner",
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        char buffer[256] = {};
        EXPECT_EQ(lib.GetCommandString(lib.handler(), i + 1, ZSE_GCS_HELPTEXTA, nullptr, buffer, sizeof(buffer)),
                  ZSE_S_OK);
        EXPECT_EQ(std::string(buffer), texts[i]);

        char16_t wide[256] = {};
        EXPECT_EQ(
            lib.GetCommandString(lib.handler(), i + 1, ZSE_GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 256),
            ZSE_S_OK);
        std::u16string expected;
        for (std::size_t k = 0; k < texts[i].size(); ++k) {
            const auto c = static_cast<unsigned char>(texts[i][k]);
            if (c == 0xC3) // ö, ü: two bytes here, one unit there
                expected += static_cast<char16_t>(0xC0 | (static_cast<unsigned char>(texts[i][++k]) & 0x3F));
            else
                expected += static_cast<char16_t>(c);
        }
        EXPECT_EQ(std::u16string(wide), expected);
    }

    // Cut to the buffer, terminated, never inside a character.
    struct Cut {
        std::uintptr_t offset;
        unsigned type;
        unsigned size;
        std::string expected;
    };
    for (const Cut& c : {Cut{3, ZSE_GCS_HELPTEXTA, 5, "Verz"}, Cut{3, ZSE_GCS_HELPTEXTA, 1, ""},
                         Cut{2, ZSE_GCS_HELPTEXTA, 22, "Zendor Copy Delete - "}, // "L" then the two bytes of "ö"
                         Cut{2, ZSE_GCS_HELPTEXTA, 24, "Zendor Copy Delete - L"},
                         Cut{2, ZSE_GCS_HELPTEXTW, 24, "Zendor Copy Delete - Lö"}}) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof(buffer));
        EXPECT_EQ(lib.GetCommandString(lib.handler(), c.offset, c.type, nullptr, buffer, c.size), ZSE_S_OK);
        std::string got;
        if (c.type & ZSE_GCS_UNICODE) {
            char16_t units[32];
            std::memcpy(units, buffer, sizeof(units));
            std::u16string wide(units);
            EXPECT_EQ(wide.size(), c.size - 1u);
            EXPECT_EQ(wide.back(), u'ö');
        } else {
            EXPECT_EQ(std::string(buffer), c.expected) << c.size;
        }
    }

    // Only help texts are served; other offsets are refused.
    for (unsigned type : {ZSE_GCS_VERBA, ZSE_GCS_VALIDATEA, ZSE_GCS_UNICODE}) {
        char buffer[8] = "unberü";
        EXPECT_EQ(lib.GetCommandString(lib.handler(), 1, type, nullptr, buffer, sizeof(buffer)), ZSE_S_OK);
        EXPECT_STREQ(buffer, "unberü");
    }
    char buffer[64];
    for (std::uintptr_t offset : {std::uintptr_t(0), std::uintptr_t(6), std::uintptr_t(0x10001)})
        EXPECT_EQ(lib.GetCommandString(lib.handler(), offset, ZSE_GCS_HELPTEXTA, nullptr, buffer, sizeof(buffer)),
                  ZSE_E_INVALIDARG);
    EXPECT_EQ(lib.GetCommandString(lib.handler(), 1, ZSE_GCS_HELPTEXTA, nullptr, buffer, 0), ZSE_S_OK);
}

TEST_F(ShellExtension, VerbsThatStartNothing)
{
    // No program beside this copy: a start would show its failure message.
    ShellExtensionLibrary lib(isolatedLibrary(""));
    const char* names[] = {"/daten/a"};
    ASSERT_EQ(lib.Initialize(lib.handler(), nullptr, names, 1), ZSE_S_OK);
    EXPECT_EQ(lib.InvokeCommand(lib.handler(), "copy"), ZSE_E_INVALIDARG);
    EXPECT_EQ(lib.InvokeCommand(lib.handler(), ZSE_MAKEINTVERB(0)), ZSE_S_OK);
    EXPECT_EQ(lib.InvokeCommand(lib.handler(), ZSE_MAKEINTVERB(6)), ZSE_S_OK);
    EXPECT_EQ(lib.InvokeCommand(lib.handler(), ZSE_MAKEINTVERB(0xFFFF)), ZSE_S_OK);
    EXPECT_TRUE(lib.messages().empty());
}

TEST_F(ShellExtension, BadSelectionIsRefusedBeforeTheProgramStarts)
{
    ShellExtensionLibrary lib(isolatedLibrary(""));
    const std::string longName(300, 'n');
    struct Case {
        int offset;
        std::vector<std::string> selection;
        std::string folder;
        std::string reason;
    };
    const std::vector<Case> cases{
        {1, {"/daten/a", "/anderswo/b"}, "", "nicht unter dem Quellordner /daten: /anderswo/b"},
        {1, {"/daten/a", "/datenbank/b"}, "", "nicht unter dem Quellordner /daten: /datenbank/b"},
        {4, {"/daten/a", "/daten"}, "", "nicht unter dem Quellordner"},
        {1, {"/daten/a", "/daten/../etc"}, "", "\"..\""},
        {1, {"/daten/../etc/a"}, "", "\"..\""},
        {3, {"/daten/./neu"}, "", "\".\""},
        {1, {"/daten/a;b"}, "", "\";\""},
        {1, {"/daten/a\\b"}, "", "\"\\\""},
        {1, {"/daten/" + longName}, "", "länger als 256 Bytes"},
        {1, {"/da\"ten/a"}, "", "Anführungszeichen: /da\"ten"},
        {1, {"/daten/a"}, "/zi\"el", "Anführungszeichen: /zi\"el"},
        {1, {"/daten/a"}, "/ziel/..", "\"..\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(lib.invoke(c.offset, c.selection, c.folder), ZSE_E_INVALIDARG) << c.reason;
        ASSERT_FALSE(lib.messages().empty());
        EXPECT_EQ(lib.lastMessage().rfind(kRefused, 0), 0u) << lib.lastMessage();
        EXPECT_NE(lib.lastMessage().find(c.reason), std::string::npos) << lib.lastMessage();
    }
    EXPECT_EQ(lib.messages().size(), cases.size()); // one message each: nothing was started
    EXPECT_EQ(lib.InvokeCommand(lib.CreateHandler(), ZSE_MAKEINTVERB(1)), ZSE_E_INVALIDARG); // no selection
}

TEST_F(ShellExtension, ProgramThatCannotStart)
{
    for (const auto& [script, mode] : {std::pair{std::string(), 0}, std::pair{std::string("#!/bin/sh\n"), 0644}}) {
        TempDir isolated;
        const std::string library = isolated.file("libZendorShellExtensions.so");
        fs::copy_file(kBinLibrary, library);
        if (!script.empty())
            chmod(isolated.write("Zendor DaroRazu", script).c_str(), static_cast<mode_t>(mode));
        ShellExtensionLibrary lib(library);
        EXPECT_EQ(lib.invoke(1, {"/daten/a b/c"}, "/ziel"), ZSE_E_INVALIDARG);
        ASSERT_EQ(lib.messages().size(), 1u);
        const std::string prefix =
            std::string(kCaption) + "Fehler beim Aufrufen des Programmes Zendor DaroRazu.exe.\nDLL COPY ";
        EXPECT_EQ(lib.lastMessage().rfind(prefix, 0), 0u) << lib.lastMessage();
        EXPECT_NE(lib.lastMessage().find(" \"/daten/a b\" \"/ziel\""), std::string::npos) << lib.lastMessage();
    }
}

std::vector<std::string> lines(const std::string& file)
{
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool waitForFile(const std::string& file, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(file) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    return fs::exists(file);
}

TEST_F(ShellExtension, StartsTheProgramBesideItselfAndGivesUpOnAMissingReceiver)
{
    // The stand-in program notes its arguments and folder and never listens.
    const std::string notes = folder_.file("arguments.txt");
    ShellExtensionLibrary lib(isolatedLibrary("#!/bin/sh\n{ printf '%s\\n' \"$@\"; pwd; } > '" + notes + ".tmp'\nmv '"
                                              + notes + ".tmp' '" + notes + "'\n"));
    lib.SetReceiverWait(lib.handler(), 5, 20);
    const timespec before = [] {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return t;
    }();
    EXPECT_EQ(lib.invoke(1, {"/daten/bilder/a", "/daten/bilder/b"}, "/ziel"), ZSE_E_FAIL);
    EXPECT_EQ(lib.messages(), std::vector<std::string>{kCannotSend});

    ASSERT_TRUE(waitForFile(notes, 10s));
    const std::vector<std::string> got = lines(notes);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0], "DLL");
    EXPECT_EQ(got[1], "COPY");
    tm utc{};
    gmtime_r(&before.tv_sec, &utc);
    const std::string datePart =
        std::to_string(utc.tm_mday) + std::to_string(utc.tm_mon + 1) + std::to_string(utc.tm_year + 1900);
    EXPECT_EQ(got[2].rfind(datePart, 0), 0u) << got[2];
    EXPECT_TRUE(got[2].find_first_not_of("0123456789") == std::string::npos) << got[2];
    EXPECT_EQ(got[3], "\"/daten/bilder\"");
    EXPECT_EQ(got[4], "\"/ziel\"");
    EXPECT_EQ(got[5], folder_.path()); // started in its own folder
}

// The program started but never listens: after its waits (50 of 200 ms by
// default; a few short ones here) the hand-off gives up with its message.
TEST_F(ShellExtension, MissingReceiverGivesUp)
{
    ShellExtensionLibrary lib(isolatedLibrary("#!/bin/sh\nexit 0\n"));
    lib.SetReceiverWait(lib.handler(), 3, 1);
    EXPECT_EQ(lib.invoke(4, {"/daten/a"}), ZSE_E_FAIL);
    EXPECT_EQ(lib.messages(), std::vector<std::string>{kCannotSend});
}

// Hand-offs started in one millisecond (the sender's clock pinned), ten at a
// time from the threads of one file manager: each reaches the program it
// started, with its own entries, and none is lost. The receivers are light
// stand-ins that write down what they got before they answer the end.
TEST_F(ShellExtension, HandOffsInOneMillisecondEachReachTheirOwnProgram)
{
    ShellExtensionLibrary lib(isolatedLibrary("#!/bin/sh\nexec '" ZDR_STANDIN "' \"$@\"\n"));
    ASSERT_NE(lib.PinHandOffTime, nullptr);
    TempDir targets;
    constexpr int kHandOffs = 200;
    constexpr int kAtOnce = 10;
    std::vector<ZSE_HRESULT> results(kHandOffs, ZSE_E_FAIL);
    std::vector<std::thread> threads;
    for (int t = 0; t < kAtOnce; ++t)
        threads.emplace_back([&, t] {
            for (int i = t; i < kHandOffs; i += kAtOnce) {
                const std::string target = targets.mkdir("Ziel" + std::to_string(i));
                const std::string a = "/daten/Quelle" + std::to_string(i) + "/a";
                const std::string b = "/daten/Quelle" + std::to_string(i) + "/b";
                const char* names[] = {a.c_str(), b.c_str()};
                zse_Handler* handler = lib.CreateHandler();
                lib.SetReceiverWait(handler, 2000, 5);
                lib.PinHandOffTime(handler, 1765195200, 123456789);
                if (lib.Initialize(handler, target.c_str(), names, 2) == ZSE_S_OK)
                    results[static_cast<std::size_t>(i)] = lib.InvokeCommand(handler, ZSE_MAKEINTVERB(1));
                lib.ReleaseHandler(handler);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int i = 0; i < kHandOffs; ++i) {
        EXPECT_EQ(results[static_cast<std::size_t>(i)], ZSE_S_OK) << i;
        const std::string n = std::to_string(i);
        EXPECT_EQ(targets.read("Ziel" + n + "/empfangen"), "/daten/Quelle" + n + "\n/a\n/b\n2\n") << i;
    }
}

// The process that listens under the key is not the one the hand-off
// started (here a child of it): nothing is handed over, and the user is told.
TEST_F(ShellExtension, EntriesGoOnlyToTheProgramItStarted)
{
    ShellExtensionLibrary lib(isolatedLibrary("#!/bin/sh\n'" ZDR_STANDIN "' \"$@\" &\nwait\n"));
    TempDir target;
    lib.SetReceiverWait(lib.handler(), 2000, 5);
    EXPECT_EQ(lib.invoke(1, {"/daten/bilder/a"}, target.path()), ZSE_E_FAIL);
    ASSERT_EQ(lib.messages().size(), 1u);
    EXPECT_EQ(lib.lastMessage().rfind(std::string(kCannotSend) + "\nUnter dem Übergabeschlüssel ", 0), 0u)
        << lib.lastMessage();
    EXPECT_NE(lib.lastMessage().find("empfängt ein anderes Programm (Prozess "), std::string::npos)
        << lib.lastMessage();
    EXPECT_FALSE(fs::exists(target.file("empfangen")));
}

// The protocol file of an unattended run, once the run's window has closed
// (empty when it did not within the limit).
std::string protocolOfEndedRun(const std::string& file, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::ifstream in(file);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (text.find("=== Ende\n") != std::string::npos)
            return text;
        if (std::chrono::steady_clock::now() > end)
            return {};
        std::this_thread::sleep_for(20ms);
    }
}

// The program runs a hand-off without anybody at the screen: runs that start
// by themselves run, the others wait for nobody and do nothing; each writes
// its protocol.
class UnattendedRun {
public:
    explicit UnattendedRun(const std::string& protocolFile)
    {
        setenv("ZDR_UNATTENDED", "1", 1);
        setenv("ZDR_PROTOCOL_FILE", protocolFile.c_str(), 1);
    }
    ~UnattendedRun()
    {
        unsetenv("ZDR_UNATTENDED");
        unsetenv("ZDR_PROTOCOL_FILE");
    }
};

// The real program, started offscreen by the library, receives the entries
// and runs them.
TEST_F(ShellExtension, ProgramRunsTheSelection)
{
    TempDir tree;
    tree.write("Daten/Bilder/a.jpg", "a");
    tree.write("Daten/Texte/brief.txt", "b");
    tree.write("Daten/Mit Leerzeichen/c.txt", "c");
    tree.mkdir("Ziel");
    const std::string data = tree.file("Daten");
    const std::string target = tree.file("Ziel");

    struct Case {
        int offset;
        std::vector<std::string> selection;
        std::string folder;
        std::vector<std::string> expected; // lines of the protocol
    };
    const std::vector<Case> cases{
        {1,
         {data + "/Bilder", data + "/Mit Leerzeichen"},
         target,
         {"=== INFO: Informationen über zu kopierende Daten sammeln ...",
          "Aufgabe 1 / 1: von Verzeichnis: " + data + "  =>  (Filter Ordner 2)  Ziel: " + target,
          "=== COPY: ", "Anzahl Dateien: 2 (von 2) - (Fehler 0)"}},
        {4,
         {data + "/Texte"},
         "",
         {"=== INFO: Informationen über Daten sammeln ...",
          "Aufgabe 1 / 1: von Verzeichnis: " + data + "/Texte  =>  ()", "Ergebnis: Vorgang erfolgreich abgeschlossen",
          "Anzahl Dateien: 1"}},
        {5,
         {data},
         "",
         {"Aufgabe 1 / 1: von Verzeichnis: " + tree.path() + "/Daten  =>  ()",
          "Ergebnis: Vorgang erfolgreich abgeschlossen"}},
        // Delete and make-folder runs wait for the start button: nothing happens.
        {2, {data + "/Texte/brief.txt"}, "", {"=== DELETE: wartet auf den Start, ohne Benutzer nicht ausgeführt"}},
        {3, {data + "/Bilder"}, "", {"=== MKDIR: wartet auf den Start, ohne Benutzer nicht ausgeführt"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string protocol = folder_.file("protocol" + std::to_string(++n) + ".txt");
        UnattendedRun unattended(protocol);
        ShellExtensionLibrary lib(kBinLibrary);
        EXPECT_EQ(lib.invoke(c.offset, c.selection, c.folder), ZSE_S_OK) << c.offset;
        EXPECT_TRUE(lib.messages().empty()) << lib.lastMessage();
        const std::string text = protocolOfEndedRun(protocol, 60s);
        ASSERT_FALSE(text.empty()) << c.offset;
        for (const std::string& line : c.expected)
            EXPECT_NE(text.find(line), std::string::npos) << c.offset << ": " << line << "\n" << text;
    }
    EXPECT_TRUE(fs::exists(target + "/Bilder/a.jpg"));
    EXPECT_TRUE(fs::exists(target + "/Mit Leerzeichen/c.txt"));
    EXPECT_FALSE(fs::exists(target + "/Texte")) << "only the selection is copied";
    EXPECT_TRUE(fs::exists(data + "/Texte/brief.txt")) << "a delete nobody started deletes nothing";
}

// The front end of the service menus: paths typed in a terminal count from
// the current folder; its service menus call it by its full path.
TEST_F(ShellExtension, CommandLineFrontEnd)
{
    TempDir tree;
    tree.mkdir("Daten/Bilder");
    const std::string protocol = folder_.file("cli-protocol.txt");
    const std::string frontEnd = std::string(ZDR_BIN_DIR) + "/zendor-shellext";
    const std::string command = "cd '" + tree.file("Daten") + "' && ZDR_UNATTENDED=1 ZDR_PROTOCOL_FILE='" + protocol
        + "' '" + frontEnd + "' INFODIR --folder /ziel Bilder";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string text = protocolOfEndedRun(protocol, 60s);
    EXPECT_NE(text.find("=== INFO: Informationen über Daten sammeln ..."), std::string::npos) << text;
    EXPECT_NE(text.find("Aufgabe 1 / 1: von Verzeichnis: " + tree.file("Daten/Bilder") + "  =>  ()"), std::string::npos)
        << text;
    EXPECT_NE(std::system(("'" + frontEnd + "' KOPIEREN /daten 2>/dev/null").c_str()), 0);
    EXPECT_NE(std::system(("'" + frontEnd + "' COPY /daten/../etc 2>/dev/null").c_str()), 0);

    const std::string share = folder_.file("share");
    ASSERT_EQ(
        std::system(("'" + frontEnd + "' --write-service-menus '" + share + "' '/opt/z d/zendor-shellext'").c_str()),
        0);
    const std::vector<std::string> dolphin = lines(share + "/kio/servicemenus/zendor-darorazu.desktop");
    EXPECT_NE(std::find(dolphin.begin(), dolphin.end(), "Exec=\"/opt/z d/zendor-shellext\" COPY %F"), dolphin.end());
    EXPECT_NE(std::find(dolphin.begin(), dolphin.end(), "Name=Löschen (Zendor Daten löschen)"), dolphin.end());
    EXPECT_NE(fs::status(share + "/kio/servicemenus/zendor-darorazu.desktop").permissions() & fs::perms::owner_exec,
              fs::perms::none);
    for (const char* word : {"copy", "delete", "mkdir", "info", "infodir"}) {
        EXPECT_TRUE(fs::exists(share + "/nemo/actions/zendor-darorazu-" + word + ".nemo_action")) << word;
        EXPECT_TRUE(fs::exists(share + "/Thunar/sendto/zendor-darorazu-" + word + ".desktop")) << word;
    }
    const std::vector<std::string> nemo = lines(share + "/nemo/actions/zendor-darorazu-mkdir.nemo_action");
    EXPECT_NE(std::find(nemo.begin(), nemo.end(), "Exec=\"/opt/z d/zendor-shellext\" MKDIR %F"), nemo.end());
    EXPECT_NE(std::find(nemo.begin(), nemo.end(), "Extensions=dir;"), nemo.end());
    // Among other programs' entries each names the program.
    EXPECT_NE(std::find(nemo.begin(), nemo.end(), "Name=Verzeichnis anlegen (Zendor DaroRazu)"), nemo.end());
    const std::vector<std::string> thunar = lines(share + "/Thunar/sendto/zendor-darorazu-copy.desktop");
    EXPECT_NE(std::find(thunar.begin(), thunar.end(), "Name=Kopieren (Zendor Daten kopieren)"), thunar.end());
}

} // namespace
} // namespace zdr::test
