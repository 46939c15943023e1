// What the run coordinator adds to a run: an information pass over 20,000
// files, once with the bare engine (no observer work) and once through the
// coordinator with its progress window offscreen, texts and turns of the
// event loop at the view's pace (bit 0x8000). Prints both times and the ratio.
#include "base/Message.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "run/clsFolderCopy_Cover.h"
#include "run/frmFileSystem.h"

#include <QApplication>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace status = zdr::engine::status;

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100;
constexpr std::uint32_t kBits = status::kWithInfo | status::kYield;

struct Silent : zdr::base::Questioner {
    zdr::base::Answer ask(const zdr::base::MessageRequest&) override { return zdr::base::Answer::Cancel; }
};

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const fs::path root = fs::temp_directory_path() / ("zdr-cover-bench-" + std::to_string(::getpid()));
    for (int d = 0; d < kFolders; ++d) {
        const fs::path folder = root / "Daten" / ("Ordner" + std::to_string(d));
        fs::create_directories(folder);
        for (int f = 0; f < kFilesPerFolder; ++f)
            std::ofstream(folder / ("datei" + std::to_string(f) + ".txt")) << f;
    }
    const std::string source = (root / "Daten").string();

    zdr::engine::FolderCopyObserver nobody;
    Silent silent;
    zdr::engine::clsFolderCopy bare(nobody, silent);
    std::string error;
    static_cast<void>(bare.fc_Init(kBits, 0, 2, error, 32767));
    static_cast<void>(bare.fc_InitAdd({.sourceFolder = source, .selection = {"."}}, error));
    auto start = std::chrono::steady_clock::now();
    bare.fc_ActionRun();
    const double engineOnly = secondsSince(start);

    zdr::run::ui::clsFolderCopy_Cover cover;
    cover.fc_Init("INFO", kBits, 0, 2, 32767);
    cover.fc_InitAdd({.sourceFolder = source});
    cover.fc_InitActionStart(true, nullptr);
    start = std::chrono::steady_clock::now();
    cover.progressWindow()->sb_ActionStart();
    const double withCover = secondsSince(start);

    const auto files = bare.Counters().CountFiles;
    std::printf("information pass over %lld files\n", static_cast<long long>(files));
    std::printf("  engine alone:          %.3f s (%.2f us per file)\n", engineOnly, engineOnly * 1e6 / files);
    std::printf("  through the coordinator: %.3f s (%.2f us per file)\n", withCover, withCover * 1e6 / files);
    std::printf("  ratio: %.2f\n", withCover / engineOnly);
    fs::remove_all(root);
    return 0;
}
