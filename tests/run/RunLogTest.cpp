#include "run/RunLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zdr::run {
namespace {

// Error rows whose line the text protocol already holds name their entry by
// its path: a folder's row carries the folder's own path, a file's the folder
// that holds it.
TEST(RunLog, ErrorRowsNameTheRealPath)
{
    test::TempDir dir;
    RunLog log(dir.file("protokoll.txt"));
    log.passStarted("DELETE", "Daten löschen ...");
    const auto row = [](const char* type, const char* name, const char* folder) {
        return protocol::ProtocolEntry{.par_Type = type, .par_Name = name, .par_Folder = folder, .par_Target = "Grund"};
    };
    log.entry(row("FOLDER", "d3", "/daten/src/d3"), true);
    log.entry(row("FOLDER", "src", "/daten/src"), true);
    log.entry(row("FILE", "a.txt", "/daten/src/d1"), true);
    log.passEnded("DELETE", "Vorgang abgeschlossen", "", "");
    EXPECT_EQ(dir.read("protokoll.txt"),
              "=== DELETE: Daten löschen ...\n"
              "Liste:\n"
              "  FEHLER: /daten/src/d3 - Grund\n"
              "  FEHLER: /daten/src - Grund\n"
              "  FEHLER: /daten/src/d1/a.txt - Grund\n"
              "Ergebnis: Vorgang abgeschlossen\n"
              "\n");
}

} // namespace
} // namespace zdr::run
