// The backup's zip archive against the `zip` command at the same level (6,
// its default): 100 MB of saved files (100 files of 1 MB, seven in ten text
// that compresses well, the rest random bytes), warm cache, taking turns
// (median of three runs). Prints the speed ratio (goal: at least 0.8).
//
// usage: zip_ratio [work-folder]   (default: <build>/bench-zip)
#include "RatioTools.h"
#include "engine/clsZip.h"
#include "platform/Paths.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using zdr::bench::quoted;

namespace {

constexpr int kFiles = 100;
constexpr std::size_t kFileBytes = 1000 * 1000;

std::string content(int i)
{
    std::mt19937 rng(static_cast<unsigned>(i));
    std::string out;
    out.reserve(kFileBytes);
    if (i % 10 < 7) {
        static const char* words[] = {"Datei ",   "Sicherung ", "Verzeichnis ", "kopieren ", "Zendor ", "2026 ",
                                      "Bericht ", "Rechnung ",  "Betrag: ",     "\n",        "Kunde ",  "Nummer "};
        while (out.size() < kFileBytes)
            out += rng() % 5 == 0 ? std::to_string(rng() % 100000) + " " : words[rng() % std::size(words)];
        out.resize(kFileBytes);
    } else {
        while (out.size() < kFileBytes)
            out += static_cast<char>(rng());
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const std::string bin = zdr::platform::programFolder();
    const std::string work = argc > 1 ? argv[1] : zdr::platform::parentPath(bin) + "/bench-zip";
    fs::remove_all(work);
    const std::string saved = work + "/saved";
    std::vector<std::string> names;
    for (int i = 0; i < kFiles; ++i) {
        names.push_back("Daten/Ordner" + std::to_string(i % 10) + "/datei" + std::to_string(i) + ".dat");
        fs::create_directories(fs::path(saved + "/" + names.back()).parent_path());
        const int fd = open((saved + "/" + names.back()).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string bytes = content(i);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) < 0)
            std::perror("write");
        close(fd);
    }
    std::vector<double> ours;
    std::vector<zdr::bench::Measure> tool;
    for (int run = -1; run < 3; ++run) {
        fs::remove(work + "/zip.zip");
        fs::remove(work + "/ours.zip");
        sync();
        const zdr::bench::Measure z =
            zdr::bench::runOnce("cd " + quoted(saved) + " && zip -q -6 -r " + quoted(work + "/zip.zip") + " Daten");
        sync();
        zdr::engine::clsZip zip;
        zip.ZipFile(work + "/ours.zip");
        zip.BasePath(saved);
        for (const std::string& name : names)
            zip.AddFileSpec(name);
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        if (!zip.Zip(error))
            std::fprintf(stderr, "%s\n", error.c_str());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (run >= 0) {
            tool.push_back(z);
            ours.push_back(seconds);
        }
    }
    std::sort(ours.begin(), ours.end());
    const zdr::bench::Measure z = zdr::bench::median(tool);
    const double mine = ours[ours.size() / 2];
    std::printf("Zip archive of 100 MB of saved files against zip -6 (median of 3, taking turns): zip %.3f s"
                " (%.1f MB/s, %.1f MB archive), clsZip %.3f s (%.1f MB/s, %.1f MB archive), speed ratio %.2f"
                " (goal at least 0.8)\n",
                z.seconds, 100.0 / z.seconds, static_cast<double>(fs::file_size(work + "/zip.zip")) / 1e6, mine,
                100.0 / mine, static_cast<double>(fs::file_size(work + "/ours.zip")) / 1e6, z.seconds / mine);
    fs::remove_all(work);
    return 0;
}
