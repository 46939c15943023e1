#include "registry/SambaOutput.h"

#include <gtest/gtest.h>

namespace zdr::registry::samba {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SambaOutput, GetValueOfEachType)
{
    const struct {
        const char* out;
        RegistryValue value;
    } cases[] = {
        {"Type       = REG_SZ\nValue      = \"6.1\"\n", std::string("6.1")},
        {"Type       = REG_SZ\nValue      = \"\"\n", std::string()},
        // Quotes and line breaks inside the text belong to it.
        {"Type       = REG_SZ\nValue      = \"Hallo \"x\"\nWörld\"\n", std::string("Hallo \"x\"\nWörld")},
        {"Type       = REG_DWORD\nValue      = 305419896\n", std::int32_t{305419896}},
        // The tool prints the 32 bits unsigned; the run keeps them as a signed 32-bit integer.
        {"Type       = REG_DWORD\nValue      = 4294967295\n", std::int32_t{-1}},
        {"Type       = REG_DWORD\nValue      = 0\n", std::int32_t{0}},
    };
    for (const auto& c : cases) {
        const GetValueOutput parsed = parseGetValue(c.out, "Wert");
        EXPECT_TRUE(parsed.result.ok()) << c.out << parsed.result.errorText;
        EXPECT_EQ(parsed.result.value, c.value) << c.out;
        EXPECT_FALSE(parsed.binaryLength);
    }
    const GetValueOutput binary = parseGetValue("Type       = REG_BINARY\nValue      = 4 bytes\n", "Wert");
    EXPECT_EQ(binary.binaryLength, 4u);
}

TEST(SambaOutput, OtherTypesAndGarbage)
{
    for (const char* other : {"Type       = REG_MULTI_SZ\nValue[000] = \"a\"\nValue[001] = \"b\"\n",
                              "Type       = REG_EXPAND_SZ\nValue      = \"%a%\"\n",
                              "Type       = REG_QWORD\nValue      = <unprintable>\n"}) {
        const GetValueOutput parsed = parseGetValue(other, "Pfad");
        EXPECT_EQ(parsed.result.result, -1) << other;
        EXPECT_TRUE(std::holds_alternative<std::monostate>(parsed.result.value));
        EXPECT_NE(parsed.result.errorText.find("Der Registry-Wert 'Pfad' hat den Typ REG_"), std::string::npos);
    }
    for (const char* garbage :
         {"", "Valuename  = x\n", "Type       = REG_SZ\n", "Type       = REG_SZ\nValue      = \"\n",
          "Type       = REG_DWORD\nValue      = viel\n", "Type       = REG_BINARY\nValue      = x bytes\n"}) {
        const GetValueOutput parsed = parseGetValue(garbage, "x");
        EXPECT_EQ(parsed.result.result, 13) << garbage;
        EXPECT_NE(parsed.result.errorText.find("Unerwartete Ausgabe"), std::string::npos);
        EXPECT_FALSE(parsed.binaryLength);
    }
}

constexpr const char* kExport = "Windows Registry Editor Version 5.00\n\n"
                                "[HKLM\\SOFTWARE\\ZdrTest]\n"
                                "\"Zahl\"=dword:12345678\n"
                                "\"Zeilen\"=\"a\nb\"\n"
                                "\"Bin\"=hex:01,02,ff,00\n"
                                "\"Lang Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
                                "  15,16,17\n"
                                "\"Esc\\\"q\\\\x\"=hex:0a\n"
                                "\"Leer\"=hex:\n"
                                "@=hex:7f\n"
                                "\"Kaputt\"=hex:1,zz\n"
                                "\"Text\"=\"x\"\n"
                                "\n[HKLM\\SOFTWARE\\ZdrTest\\Unter]\n"
                                "\"Unten\"=hex:05\n"
                                ";Local Variables:\n;coding: UTF-8\n;End:\n";

TEST(SambaOutput, BinaryFromTheExportOfTheKey)
{
    Bytes longValue;
    for (std::uint8_t i = 0; i < 0x18; ++i)
        longValue.push_back(i);
    const struct {
        const char* name;
        std::optional<Bytes> bytes;
    } cases[] = {
        {"Bin", Bytes{1, 2, 0xff, 0}},
        {"bin", Bytes{1, 2, 0xff, 0}}, // value names are compared without case
        {"Lang Bin", longValue},       // continued lines
        {"Esc\"q\\x", Bytes{0x0a}},    // escaped quote and backslash
        {"Leer", Bytes{}},
        {"", Bytes{0x7f}}, // the default value
        {"Kaputt", std::nullopt},
        {"Text", std::nullopt},  // not binary
        {"Unten", std::nullopt}, // only the exported key itself counts, not its subkeys
        {"Fehlt", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseExportedBinary(kExport, c.name), c.bytes) << c.name;
    EXPECT_EQ(parseExportedBinary("", "Bin"), std::nullopt);
}

TEST(SambaOutput, ToolFailuresBecomeTheSystemsErrors)
{
    const struct {
        const char* output;
        std::int32_t code;
        const char* text;
    } cases[] = {
        {"registry_openkey failed: NT_STATUS_NO_SUCH_DEVICE\nFreed frame ../../source3/utils/net.c:939, expected "
         "../../source3/utils/net_rpc_registry.c:740.\n",
         2, "Die angegebene Datei wurde nicht gefunden."},
        {"registry_queryvalue failed: WERR_FILE_NOT_FOUND\n", 2, "Die angegebene Datei wurde nicht gefunden."},
        {"Could not connect to server 127.0.0.1\nThe username or password was not correct.\nConnection failed: "
         "NT_STATUS_LOGON_FAILURE\n",
         1326, "Der Benutzername oder das Kennwort ist falsch."},
        {"Could not connect to server 127.0.0.1\nConnection failed: NT_STATUS_CONNECTION_REFUSED\n", 53,
         "Der Netzwerkpfad wurde nicht gefunden."},
        {"Unable to find a suitable server for domain ZDRREG\n", 53, "Der Netzwerkpfad wurde nicht gefunden."},
        {"Connection failed: NT_STATUS_IO_TIMEOUT\n", 53, "Der Netzwerkpfad wurde nicht gefunden."},
        {"registry_openkey failed: NT_STATUS_ACCESS_DENIED\n", 5, "Zugriff verweigert"},
        {"registry_openkey failed: NT_STATUS_INVALID_PARAMETER\n", 87, "Falscher Parameter."},
        {"Could not initialise pipe winreg. Error was NT_STATUS_OBJECT_NAME_NOT_FOUND\n", 1722,
         "Der RPC-Server ist nicht verfügbar."},
        {"Could not initialise pipe winreg. Error was NT_STATUS_ACCESS_DENIED\n", 5, "Zugriff verweigert"},
        {"Kerberos auth with 'root@ZDRREG' (ZDRREG\\root) to access '127.0.0.1' not possible\nCould not connect to "
         "server 127.0.0.1\nConnection failed: NT_STATUS_ACCESS_DENIED\n",
         1312,
         "Eine angegebene Anmeldesitzung ist nicht vorhanden. Sie wurde gegebenenfalls bereits beendet. (keine "
         "Kerberos-Anmeldung an 'PC1' möglich; bitte mit kinit anmelden oder Benutzer und Kennwort in der Aufgabe "
         "angeben)"},
        {"registry_openkey failed: NT_STATUS_SOMETHING_NEW\n", 31,
         "Registry-Zugriff auf Computer 'PC1' fehlgeschlagen: registry_openkey failed: NT_STATUS_SOMETHING_NEW"},
        {"Segmentation fault\n\n", 31, "Registry-Zugriff auf Computer 'PC1' fehlgeschlagen: Segmentation fault"},
    };
    for (const auto& c : cases) {
        const RegistryReadResult result = failureFromToolOutput(c.output, "PC1");
        EXPECT_EQ(result.result, c.code) << c.output;
        EXPECT_EQ(result.errorText, c.text) << c.output;
    }
}

} // namespace
} // namespace zdr::registry::samba
