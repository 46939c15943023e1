// Builds a protocol of 1,000,000 rows as an information run would send them
// (folders in walk order, their files in directory order), then sorts it by
// every column. Prints memory per row above the empty list and the times.
#include "Memory.h"
#include "protocol/ProtocolDocument.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using zdr::bench::residentBytes;

using zdr::protocol::Column;
using zdr::protocol::ProtocolDocument;
using zdr::protocol::ProtocolEntry;

constexpr int kFolders = 50000;
constexpr int kFilesPerFolder = 19; // with the folder rows: 1,000,000 rows

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    ProtocolDocument doc;
    doc.fc_Init("LISTVIEW", true);
    const long baseline = residentBytes();
    std::mt19937 random(3);
    const auto start = std::chrono::steady_clock::now();
    std::vector<int> files(kFilesPerFolder);
    for (int d = 0; d < kFolders; ++d) {
        const std::string folder =
            "/home/benutzer/Daten/Projekt " + std::to_string(d / 500) + "/Ordner_" + std::to_string(d);
        const std::string target = "/mnt/sicherung" + folder;
        doc.fc_ListItem_Add({"FOLDER", "", folder, folder, target, false, 2, 1});
        for (int f = 0; f < kFilesPerFolder; ++f)
            files[static_cast<std::size_t>(f)] = f;
        std::shuffle(files.begin(), files.end(), random);
        for (const int f : files) {
            const std::string name = "Dokument_" + std::to_string(d * 31 + f) + ".txt";
            doc.fc_ListItem_Add({"FILE", name, "      " + name + "  ----  " + std::to_string(f * 7 + 1) + " KB", folder,
                                 target, false, 3, static_cast<std::int16_t>(d % 4)});
        }
        if (d % 500 == 499)
            doc.list().flush(); // a batch, as the window takes them
    }
    doc.list().flush();
    const double build = secondsSince(start);
    const long used = residentBytes() - baseline;
    const auto rows = static_cast<double>(doc.list().size());
    std::printf(
        "rows: %.0f\nbuild and order: %.2f s\nmemory above baseline: %.1f MiB, %.0f bytes per row (goal <= 300)\n",
        rows, build, used / 1048576.0, used / rows);

    const char* names[] = {"Eintrag", "Verzeichnis Herkunft", "Verzeichnis Ziel", "Typ", "Sort",
                           "Level",   "SystemActionTypeIndex"};
    for (int column = 0; column < zdr::protocol::kColumnCount; ++column) {
        for (const bool ascending : {true, false}) {
            const auto sortStart = std::chrono::steady_clock::now();
            doc.list().sortView(static_cast<Column>(column), ascending);
            std::printf("sort by %-22s %-4s %.2f s (goal <= 2 s)\n", names[column], ascending ? "asc" : "desc",
                        secondsSince(sortStart));
        }
    }
    doc.list().sortView(Column::Sort, true);

    const auto walkStart = std::chrono::steady_clock::now();
    zdr::protocol::WorkListStep step;
    step.direction = "NEXT";
    step.action = "COPY";
    long steps = 0;
    for (doc.sb_EntryGetNext(step); step.index > 0; doc.sb_EntryGetNext(step))
        ++steps;
    std::printf("work list walk: %ld rows in %.2f s\n", steps, secondsSince(walkStart));
    return 0;
}
