// A delete run against `rm -rf` on the same tree: 20,000 files of 0 to
// 2 KB in 1,000 folders, made anew (not timed) before every run, each
// program as its own process, taking turns (median of five runs). Prints
// the time ratio (goal: at most 1.0), wall and cpu time.
//
// usage: delete_ratio [work-folder]   (default: <build>/bench-delete)
#include "RatioTools.h"
#include "platform/Paths.h"

#include <cstdio>
#include <filesystem>
#include <string>

using zdr::bench::quoted;

int main(int argc, char** argv)
{
    const std::string bin = zdr::platform::programFolder();
    const std::string work = argc > 1 ? argv[1] : zdr::platform::parentPath(bin) + "/bench-delete";
    const std::string runner = quoted(bin + "/zdr-run") + " --quiet ";
    std::filesystem::remove_all(work);
    const auto tree = [&](bool ours, int run) { return work + (ours ? "/ours" : "/rm") + std::to_string(run + 1); };
    const zdr::bench::Pair p = zdr::bench::sideBySide(
        5,
        [&](bool ours, int run) {
            // The delete pass alone, the protocol as the window has it.
            return ours ? runner + "--status 2020 " + quoted(tree(ours, run)) : "rm -rf " + quoted(tree(ours, run));
        },
        [&](bool ours, int run) {
            zdr::bench::makeTree(tree(ours, run), 20000, 1000,
                                 [](int i) { return static_cast<std::size_t>((i * 7919) % 2048); });
        });
    std::printf("Delete run against rm -rf, 20000 files in 1000 folders (median of 5, taking turns): rm -rf %.3f s,"
                " delete run %.3f s, ratio %.2f (goal at most 1.0); cpu %.3f s against %.3f s\n",
                p.tool.seconds, p.ours.seconds, p.ours.seconds / p.tool.seconds, p.ours.cpu, p.tool.cpu);
    std::filesystem::remove_all(work);
    return 0;
}
