// How fast the copy and the delete could be at best on this machine: the
// system calls the program's engine makes per entry, and nothing else (no
// events, no counters, no protocol, no start-up), timed against cp -a and
// rm -rf on the same tree, in one thread and split over two:
//
//   copy, one thread            the walk's calls in walk order
//   copy, two threads           folders split over two threads, every target
//                               folder made before any file (what a parallel
//                               copy would have to do ahead of its events)
//   copy, prepared ahead        a worker copies into unnamed files in the
//                               target root; the walk examines each file,
//                               makes its folders and links the prepared
//                               copy in its turn (nothing visible early)
//   delete, one / two threads   statx and unlink per file, first-level
//                               folders split over two threads
//
// usage: floor [folder (default /dev/shm)] [pairs (default 5)] [files] [folders]
#include "RatioTools.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using zdr::bench::Measure;

struct Folder {
    std::string relative; // "" for the root
    std::vector<std::string> files;
};

// The tree's folders in walk order (a folder, then its subfolders' trees).
void listTree(const std::string& root, const std::string& relative, std::vector<Folder>& out)
{
    const std::string path = relative.empty() ? root : root + "/" + relative;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return;
    Folder folder{relative, {}};
    std::vector<std::string> subfolders;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        (e->d_type == DT_DIR ? subfolders : folder.files).push_back(name);
    }
    closedir(dir);
    out.push_back(std::move(folder));
    for (const std::string& sub : subfolders)
        listTree(root, relative.empty() ? sub : relative + "/" + sub, out);
}

std::string at(const std::string& root, const std::string& relative)
{
    return relative.empty() ? root : root + "/" + relative;
}

// Open source, unnamed target, content, source checked, times, link, close.
int prepareCopy(int source, const std::string& name, int targetFolder)
{
    const int in = openat(source, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return -1;
    const int out = openat(targetFolder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    struct stat st {};
    if (out >= 0 && fstat(in, &st) == 0) {
        off_t offset = 0;
        while (copy_file_range(in, &offset, out, nullptr, static_cast<std::size_t>(st.st_size) - offset, 0) > 0) {
        }
        const timespec times[2] = {st.st_atim, st.st_mtim};
        futimens(out, times);
    }
    close(in);
    return out;
}

void linkIn(int fd, int targetFolder, const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (linkat(AT_FDCWD, self.c_str(), targetFolder, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
        std::perror("linkat");
    close(fd);
}

void copyFolder(const std::string& source, const std::string& target, const Folder& folder)
{
    const int in = open(at(source, folder.relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int out = open(at(target, folder.relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& name : folder.files) {
        struct statx sx {};
        statx(in, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &sx);
        const int fd = prepareCopy(in, name, out);
        if (fd >= 0)
            linkIn(fd, out, name);
    }
    close(in);
    close(out);
}

void copyOneThread(const std::string& source, const std::string& target)
{
    std::vector<Folder> tree;
    listTree(source, "", tree);
    for (const Folder& folder : tree) {
        mkdir(at(target, folder.relative).c_str(), 0755);
        copyFolder(source, target, folder);
    }
}

void copyTwoThreads(const std::string& source, const std::string& target)
{
    std::vector<Folder> tree;
    listTree(source, "", tree);
    for (const Folder& folder : tree)
        mkdir(at(target, folder.relative).c_str(), 0755);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < tree.size(); i = next++)
            copyFolder(source, target, tree[i]);
    };
    std::thread second(work);
    work();
    second.join();
}

void copyPreparedAhead(const std::string& source, const std::string& target)
{
    std::vector<Folder> tree;
    listTree(source, "", tree);
    mkdir(target.c_str(), 0755);
    struct Slot {
        std::atomic<int> state{0}; // 0 free, 1 taken, 2 prepared
        int fd = -1;
    };
    std::size_t count = 0;
    for (const Folder& folder : tree)
        count += folder.files.size();
    std::vector<Slot> slots(count);
    const int root = open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::thread worker([&] {
        std::size_t slot = 0;
        for (const Folder& folder : tree) {
            const int in = open(at(source, folder.relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            for (const std::string& name : folder.files) {
                Slot& s = slots[slot++];
                int expected = 0;
                if (!s.state.compare_exchange_strong(expected, 1))
                    continue; // the walk has come this far
                s.fd = prepareCopy(in, name, root);
                s.state.store(2);
                s.state.notify_one();
            }
            close(in);
        }
    });
    std::size_t slot = 0;
    for (const Folder& folder : tree) {
        const std::string here = at(target, folder.relative);
        mkdir(here.c_str(), 0755);
        const int in = open(at(source, folder.relative).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int out = open(here.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (const std::string& name : folder.files) {
            Slot& s = slots[slot++];
            struct statx sx {};
            statx(in, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &sx);
            int expected = 0;
            int fd = -1;
            if (s.state.compare_exchange_strong(expected, 1)) {
                fd = prepareCopy(in, name, out);
            } else {
                s.state.wait(1);
                fd = s.fd;
            }
            if (fd >= 0)
                linkIn(fd, out, name);
        }
        close(in);
        close(out);
    }
    worker.join();
    close(root);
}

void deleteTree(int parent, const char* name)
{
    const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr)
        return;
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* e = readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry != "." && entry != "..")
            entries.emplace_back(entry, e->d_type == DT_DIR);
    }
    for (const auto& [entry, folder] : entries) {
        if (folder) {
            deleteTree(fd, entry.c_str());
        } else {
            struct statx sx {};
            statx(fd, entry.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS, &sx);
            unlinkat(fd, entry.c_str(), 0);
        }
    }
    closedir(dir);
    unlinkat(parent, name, AT_REMOVEDIR);
}

void deleteThreads(const std::string& root, int threads)
{
    std::vector<Folder> tree;
    listTree(root, "", tree);
    std::vector<std::string> top;
    for (const Folder& folder : tree)
        if (!folder.relative.empty() && folder.relative.find('/') == std::string::npos)
            top.push_back(folder.relative);
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < top.size(); i = next++)
            deleteTree(fd, top[i].c_str());
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& t : helpers)
        t.join();
    close(fd);
    rmdir(root.c_str());
}

Measure timed(const std::function<void()>& work)
{
    sync();
    const auto start = std::chrono::steady_clock::now();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0, 0};
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Ours and the peer in turns (a warm-up, then pairs); the median of the
// pairs' ratios.
void compare(const char* title, const char* peerName, int pairs, const std::function<void()>& prepare,
             const std::function<void()>& ours, const std::string& peer)
{
    std::vector<double> ratios;
    std::string line;
    for (int i = -1; i < pairs; ++i) {
        prepare();
        const double o = timed(ours).seconds;
        prepare();
        const double p = timed([&] { zdr::bench::runOnce(peer); }).seconds;
        if (i < 0)
            continue;
        ratios.push_back(o / p);
        char pair[64];
        std::snprintf(pair, sizeof pair, " %.3f/%.3f", o, p);
        line += pair;
    }
    std::printf("  %-26s vs %-7s median %.2f   seconds ours/peer:%s\n", title, peerName, medianOf(ratios),
                line.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string base = (argc > 1 ? argv[1] : "/dev/shm") + std::string("/zdr-floor");
    const int pairs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int files = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20000;
    const int folders = argc > 4 ? std::max(1, std::atoi(argv[4])) : 1000;
    const std::string source = base + "/source";
    const std::string target = base + "/target";
    const std::string doomed = base + "/doomed";
    zdr::bench::runOnce("rm -rf '" + base + "'");
    zdr::bench::makeTree(source, files, folders, [](int) { return std::size_t{4096}; });
    std::printf("%d x 4 KB in %d folders under %s, %d pairs\n", files, folders, base.c_str(), pairs);

    const auto emptyTarget = [&] {
        zdr::bench::runOnce("rm -rf '" + target + "'");
        mkdir(target.c_str(), 0755);
    };
    const std::string cp = "cp -a '" + source + "/.' '" + target + "/'";
    compare(
        "copy, one thread", "cp -a", pairs, emptyTarget, [&] { copyOneThread(source, target); }, cp);
    compare(
        "copy, two threads", "cp -a", pairs, emptyTarget, [&] { copyTwoThreads(source, target); }, cp);
    compare(
        "copy, prepared ahead", "cp -a", pairs, emptyTarget, [&] { copyPreparedAhead(source, target); }, cp);

    const auto freshCopy = [&] {
        zdr::bench::runOnce("rm -rf '" + doomed + "'; cp -a '" + source + "' '" + doomed + "'");
    };
    const std::string rm = "rm -rf '" + doomed + "'";
    compare(
        "delete, one thread", "rm -rf", pairs, freshCopy, [&] { deleteThreads(doomed, 1); }, rm);
    compare(
        "delete, two threads", "rm -rf", pairs, freshCopy, [&] { deleteThreads(doomed, 2); }, rm);
    zdr::bench::runOnce("rm -rf '" + base + "'");
    return 0;
}
