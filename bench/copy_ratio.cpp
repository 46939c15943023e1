// The copy pass against the system's tools, side by side in one run, warm
// cache, each as its own process (median of five runs, three for the large
// file; the tools take turns, and dirty pages are written out before each
// run so one run's write-back does not slow the next):
//   - a tree of 20,000 files of 4 KB in 1,000 folders against `cp -a`
//     (goal: ratio at most 1.0), and against `cp -a` followed by `sync -f`
//     (the copy pass flushes its target at its end), with the time of that
//     flush alone;
//   - "copy differing files only" (0x10000) over an unchanged copy of that
//     tree against `rsync -a` on the same pair (goal: at most 0.5);
//   - one file of 1 GiB against `cp` (goal: at most 1.0), unless --no-big.
// The trees are made under the work folder, on a fresh ext4 volume in an
// image file there where the benchmark may mount one (as root): a long-used
// volume may hold many recently freed inodes, which ext4 without a journal
// steps over one by one for every new file, so its history would be timed
// rather than the programs. Everything is removed at the end.
//
// usage: copy_ratio [--no-big] [work-folder]   (default: <build>/bench-copy)
#include "RatioTools.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using zdr::bench::Measure;
using zdr::bench::Pair;
using zdr::bench::quoted;
using zdr::bench::sideBySide;

namespace {

void print(const char* what, const char* tool, const Pair& p, double goal)
{
    std::printf("%s: %s %.3f s, copy pass %.3f s, ratio %.2f (goal at most %.1f); cpu %.3f s against %.3f s\n", what,
                tool, p.tool.seconds, p.ours.seconds, p.ours.seconds / p.tool.seconds, goal, p.ours.cpu, p.tool.cpu);
    std::fflush(stdout);
}

void makeBigFile(const std::string& path, std::size_t bytes)
{
    std::vector<char> block(8 * 1024 * 1024);
    std::mt19937_64 rng(42);
    for (std::size_t i = 0; i + 8 <= block.size(); i += 8) {
        const std::uint64_t v = rng();
        std::memcpy(block.data() + i, &v, 8);
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::size_t done = 0; done < bytes; done += block.size()) {
        block[0] = static_cast<char>(done >> 23); // no two blocks alike
        if (write(fd, block.data(), block.size()) < 0)
            std::perror("write");
    }
    close(fd);
}

} // namespace

int main(int argc, char** argv)
{
    bool big = true;
    std::string work;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-big")
            big = false;
        else
            work = arg;
    }
    const std::string bin = zdr::platform::programFolder();
    if (work.empty())
        work = zdr::platform::parentPath(bin) + "/bench-copy";
    const std::string runner = quoted(bin + "/zdr-run") + " --quiet ";
    namespace fs = std::filesystem;
    fs::remove_all(work);
    fs::create_directories(work + "/volume");
    const std::string image = work + "/volume.img";
    const bool volume = geteuid() == 0
        && std::system(("truncate -s 6G " + quoted(image) + " && mkfs.ext4 -q -F " + quoted(image)
                        + " >/dev/null 2>&1 && mount -o loop " + quoted(image) + " " + quoted(work + "/volume"))
                           .c_str())
            == 0;
    const std::string home = work;
    if (volume)
        work += "/volume";
    std::printf("Measured on %s\n", volume ? "a fresh ext4 volume" : "the build folder's volume");

    const std::string tree = work + "/tree";
    zdr::bench::makeTree(tree, 20000, 1000, [](int) { return std::size_t{4096}; });
    // Each run copies into a target of its own: removing a large tree right
    // before would make the next run pay for the file system's reuse checks
    // of freed inodes.
    const auto target = [&](bool ours, int run) { return work + (ours ? "/ours" : "/cp") + std::to_string(run + 1); };
    std::printf("Copy pass against system tools (warm cache, median of 5 runs, taking turns)\n");
    const Pair tree20k = sideBySide(
        5,
        [&](bool ours, int run) {
            return ours ? runner + "--status 1 --target " + quoted(target(ours, run)) + " " + quoted(tree)
                        : "cp -a " + quoted(tree) + " " + quoted(target(ours, run));
        },
        [&](bool ours, int run) {
            if (ours)
                fs::create_directories(target(ours, run));
        });
    print("20000 files of 4 KB in 1000 folders", "cp -a", tree20k, 1.0);
    // Room on the volume for more copies: the first copy pass's stays.
    for (int run = -1; run < 5; ++run) {
        fs::remove_all(target(false, run));
        if (run != 0)
            fs::remove_all(target(true, run));
    }
    // The copy pass ends with a flush of the target's file system ("done"
    // means on the disk); cp does not: the same pass against cp -a and sync
    // of that file system, and what the flush costs cp.
    const auto syncedTarget = [&](bool ours, int run) {
        return work + (ours ? "/ours-synced" : "/cp-synced") + std::to_string(run + 1);
    };
    const Pair synced = sideBySide(
        5,
        [&](bool ours, int run) {
            return ours ? runner + "--status 1 --target " + quoted(syncedTarget(ours, run)) + " " + quoted(tree)
                        : "cp -a " + quoted(tree) + " " + quoted(syncedTarget(ours, run)) + " && sync -f "
                    + quoted(syncedTarget(ours, run));
        },
        [&](bool ours, int run) {
            if (ours)
                fs::create_directories(syncedTarget(ours, run));
        });
    print("the same, flushed to the disk", "cp -a; sync -f", synced, 1.0);
    for (int run = -1; run < 5; ++run) {
        fs::remove_all(syncedTarget(false, run));
        fs::remove_all(syncedTarget(true, run));
    }
    // The flush alone: what reaching the disk costs that tree, timed right
    // after a copy of it (median of five).
    std::vector<double> flushes;
    for (int run = 0; run < 5; ++run) {
        sync();
        const std::string copied = syncedTarget(false, run);
        (void)std::system(("cp -a " + quoted(tree) + " " + quoted(copied)).c_str());
        const auto start = std::chrono::steady_clock::now();
        (void)std::system(("sync -f " + quoted(copied)).c_str());
        flushes.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(flushes.begin(), flushes.end());
    std::printf("flush of the copied tree (sync -f right after cp -a): %.3f s, %.0f %% of the flushed copy pass\n",
                flushes[2], 100 * flushes[2] / synced.ours.seconds);
    for (int run = 0; run < 5; ++run)
        fs::remove_all(syncedTarget(false, run));

    // An unchanged copy: what the first copy pass made.
    const std::string copyFolder = target(true, 0);
    const std::string copy = copyFolder + "/tree";
    const auto nothing = [](bool, int) {};
    const std::string rsync = "rsync -a " + quoted(tree + "/") + " " + quoted(copy + "/");
    for (const char* status : {"10001", "10003"}) {
        const Pair differing = sideBySide(
            5,
            [&](bool ours, int) {
                return ours ? runner + "--status " + status + " --target " + quoted(copyFolder) + " " + quoted(tree)
                            : rsync;
            },
            nothing);
        print(status[4] == '1' ? "differing files only, nothing changed"
                               : "differing files only with the information pass first",
              "rsync -a", differing, 0.5);
    }
    for (int run = -1; run < 5; ++run) {
        fs::remove_all(target(false, run));
        fs::remove_all(target(true, run));
    }

    if (big) {
        const std::string folder = work + "/big";
        fs::create_directories(folder);
        makeBigFile(folder + "/big.bin", std::size_t{1} << 30);
        const auto bigTarget = [&](bool ours, int run) {
            return work + (ours ? "/ours-big" : "/cp-big") + std::to_string(run + 1);
        };
        const Pair large = sideBySide(
            3,
            [&](bool ours, int run) {
                return ours ? runner + "--status 1 --select big.bin --target " + quoted(bigTarget(ours, run)) + " "
                        + quoted(folder)
                            : "cp " + quoted(folder + "/big.bin") + " " + quoted(bigTarget(ours, run) + "/big.bin");
            },
            [&](bool ours, int run) {
                // one large file at a time on the disk besides the source
                fs::remove_all(bigTarget(ours, run - 1));
                fs::create_directories(bigTarget(ours, run));
            });
        print("one file of 1 GiB", "cp", large, 1.0);
    }
    if (volume)
        (void)std::system(("umount " + zdr::bench::quoted(work)).c_str());
    fs::remove_all(home);
    return 0;
}
