// An information run over a generated tree against `du -s` plus
// `find | wc -l` on the same tree, warm cache, each as its own process
// (median of five runs). Prints the time ratio (goal: at most 1.0) and the
// peak memory of the run at two tree sizes, without and with the text
// protocol, so growth with the number of files shows.
//
// usage: engine_info_ratio [work-folder]   (default: <build>/bench-tree)
#include "platform/Paths.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Measure {
    double seconds = 0; // wall time
    double cpu = 0;     // user + system time: steadier on a busy machine
    long peakKB = 0;
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs a command line through the shell, output discarded; wall time and peak RSS.
Measure runOnce(const std::string& command)
{
    const std::string line = command + " >/dev/null 2>&1";
    const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    return {std::chrono::duration<double>(end - start).count(), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            usage.ru_maxrss};
}

Measure median(const std::string& command, int runs = 5)
{
    runOnce(command); // warm the cache
    std::vector<Measure> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(runOnce(command));
    Measure m;
    std::sort(all.begin(), all.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    m.seconds = all[all.size() / 2].seconds;
    m.peakKB = all[all.size() / 2].peakKB;
    std::sort(all.begin(), all.end(), [](const Measure& a, const Measure& b) { return a.cpu < b.cpu; });
    m.cpu = all[all.size() / 2].cpu;
    return m;
}

// files spread evenly over folders: a first level of 50 folders, the rest
// below them; file sizes 0 to 2047 bytes.
void makeTree(const std::string& root, int files, int folders)
{
    std::filesystem::create_directories(root);
    std::vector<std::string> leaves;
    const int top = 50;
    for (int t = 0; t < top; ++t) {
        const std::string first = root + "/d" + std::to_string(t);
        mkdir(first.c_str(), 0755);
        leaves.push_back(first);
    }
    for (int i = top; i < folders; ++i) {
        const std::string sub = leaves[static_cast<std::size_t>(i % top)] + "/s" + std::to_string(i);
        mkdir(sub.c_str(), 0755);
        leaves.push_back(sub);
    }
    std::string content(2048, 'z');
    for (int i = 0; i < files; ++i) {
        const std::string path = leaves[static_cast<std::size_t>(i) % leaves.size()] + "/file" + std::to_string(i) + ".dat";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            continue;
        const auto size = static_cast<std::size_t>((i * 7919) % 2048);
        if (write(fd, content.data(), size) < 0)
            std::perror("write");
        close(fd);
    }
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

} // namespace

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
        makeTree(tree, s.files, s.folders);
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
