// An information run over a generated tree against `du -s` plus
// `find | wc -l` on the same tree, warm cache, each as its own process
// (median of five runs). Prints the time ratio (goal: at most 1.0) and the
// peak memory of the run at two tree sizes, without and with the text
// protocol, so growth with the number of files shows.
//
// usage: engine_info_ratio [work-folder]   (default: <build>/bench-tree)
#include "RatioTools.h"
#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>
#include <string>

using zdr::bench::makeTree;
using zdr::bench::Measure;
using zdr::bench::median;
using zdr::bench::quoted;

int main(int argc, char** argv)
{
    const std::string bin = zdr::platform::programFolder();
    const std::string work = argc > 1 ? argv[1] : zdr::platform::parentPath(bin) + "/bench-tree";
    const std::string runner = quoted(bin + "/zdr-run") + " --quiet ";
    std::filesystem::remove_all(work);

    struct Size {
        int files;
        int folders;
    } sizes[] = {{20000, 1000}, {100000, 5000}};
    std::printf("Information run against du -s + find | wc -l (warm cache, median of 5)\n");
    for (const Size& s : sizes) {
        const std::string tree = work + "/t" + std::to_string(s.files);
        // file sizes 0 to 2047 bytes
        makeTree(tree, s.files, s.folders, [](int i) { return static_cast<std::size_t>((i * 7919) % 2048); });
        const Measure du = median("du -s " + quoted(tree));
        const Measure find = median("find " + quoted(tree) + " | wc -l");
        const Measure info = median(runner + "--status 2 " + quoted(tree));
        const Measure withProtocol = median(runner + "--status 2002 " + quoted(tree), 3);
        std::printf("%7d files in %5d folders: du %.3f s + find %.3f s = %.3f s; information run %.3f s;"
                    " ratio %.2f (cpu time: %.3f s against %.3f s, ratio %.2f)\n",
                    s.files, s.folders, du.seconds, find.seconds, du.seconds + find.seconds, info.seconds,
                    info.seconds / (du.seconds + find.seconds), info.cpu, du.cpu + find.cpu,
                    info.cpu / (du.cpu + find.cpu));
        std::printf("%7d files: peak memory %ld KB without protocol, %ld KB with the text protocol\n", s.files,
                    info.peakKB, withProtocol.peakKB);
    }
    std::filesystem::remove_all(work);
    return 0;
}
