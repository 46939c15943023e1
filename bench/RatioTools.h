#pragma once

// Helpers of the benchmark programs that time the program's tools against
// system tools, each as its own process.
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
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace zdr::bench {

struct Measure {
    double seconds = 0; // wall time
    double cpu = 0;     // user + system time: steadier on a busy machine
    long peakKB = 0;
};

inline double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs a command line through the shell, output discarded; wall time and peak RSS.
inline Measure runOnce(const std::string& command)
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

// The median of several measures, wall and cpu time each on its own.
inline Measure median(std::vector<Measure> all)
{
    Measure m;
    std::sort(all.begin(), all.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    m.seconds = all[all.size() / 2].seconds;
    m.peakKB = all[all.size() / 2].peakKB;
    std::sort(all.begin(), all.end(), [](const Measure& a, const Measure& b) { return a.cpu < b.cpu; });
    m.cpu = all[all.size() / 2].cpu;
    return m;
}

inline Measure median(const std::string& command, int runs = 5)
{
    runOnce(command); // warm the cache
    std::vector<Measure> all;
    for (int i = 0; i < runs; ++i)
        all.push_back(runOnce(command));
    return median(all);
}

// files spread evenly over folders: a first level of 50 folders, the rest
// below them; sizeOf(i) bytes for file i.
inline void makeTree(const std::string& root, int files, int folders, const std::function<std::size_t(int)>& sizeOf)
{
    std::filesystem::create_directories(root);
    std::vector<std::string> leaves;
    const int top = std::min(50, folders);
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
    std::string content(64 * 1024, 'z');
    for (int i = 0; i < files; ++i) {
        const std::string path =
            leaves[static_cast<std::size_t>(i) % leaves.size()] + "/file" + std::to_string(i) + ".dat";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            continue;
        const std::size_t size = std::min(sizeOf(i), content.size());
        if (write(fd, content.data(), size) < 0)
            std::perror("write");
        close(fd);
    }
}

// A system tool and ours, measured in turns.
struct Pair {
    Measure tool;
    Measure ours;
};

// Runs the system tool's and our command in turns (run -1 warms up);
// command(ours, run) gives the command line, prepare(ours, run) (not timed)
// makes what it needs; dirty pages are written out before each run.
inline Pair sideBySide(int runs, const std::function<std::string(bool ours, int run)>& command,
                       const std::function<void(bool ours, int run)>& prepare)
{
    std::vector<Measure> toolRuns;
    std::vector<Measure> ourRuns;
    for (int i = -1; i < runs; ++i) {
        for (const bool ours : {false, true}) {
            prepare(ours, i);
            sync();
            const Measure m = runOnce(command(ours, i));
            if (i >= 0)
                (ours ? ourRuns : toolRuns).push_back(m);
        }
    }
    return {median(toolRuns), median(ourRuns)};
}

inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

} // namespace zdr::bench
