#pragma once

#include "platform/FileEntry.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace zdr::test {

// size bytes that differ from file to file (by seed).
inline std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

// What one entry of a tree holds as far as a copy must keep it.
struct EntryState {
    char kind = '?'; // 'f' file, 'd' folder, 'l' link, 'o' other
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0;   // ns
    std::uint32_t attributes = 0; // the program's bits (read-only, hidden, system, archive, ...)
    unsigned mode = 0;
    std::string content; // a file's bytes or a link's text

    bool operator==(const EntryState&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const EntryState& e)
{
    return out << e.kind << " size " << e.size << " time " << e.lastWrite << " attr 0x" << std::hex << e.attributes
               << " mode 0" << std::oct << e.mode << std::dec << " content " << e.content.size() << " bytes";
}

inline EntryState entryState(const std::string& path, bool folderTimes = true)
{
    EntryState s;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return s;
    platform::FileEntry entry;
    platform::ErrorCode code = 0;
    static_cast<void>(platform::statEntry(path, entry, code));
    s.attributes = entry.attributes;
    s.lastWrite = entry.lastWrite;
    s.mode = st.st_mode & 07777;
    if (S_ISDIR(st.st_mode)) {
        s.kind = 'd';
        if (!folderTimes)
            s.lastWrite = 0;
    } else if (S_ISLNK(st.st_mode)) {
        s.kind = 'l';
        s.content = std::filesystem::read_symlink(path).string();
        s.mode = 0;
    } else if (S_ISREG(st.st_mode)) {
        s.kind = 'f';
        s.size = static_cast<std::uint64_t>(st.st_size);
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        s.content = bytes.str();
    } else {
        s.kind = 'o';
    }
    return s;
}

// Every entry below root by its path relative to root (root itself as "").
inline std::map<std::string, EntryState> treeState(const std::string& root, bool folderTimes = true)
{
    std::map<std::string, EntryState> out;
    out[""] = entryState(root, folderTimes);
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string path = it->path().string();
        out[path.substr(root.size() + 1)] = entryState(path, folderTimes);
    }
    return out;
}

// The paths whose states differ (or are in one tree only), each with both
// states: empty when the trees are copies.
inline std::vector<std::string> differences(const std::map<std::string, EntryState>& a,
                                            const std::map<std::string, EntryState>& b)
{
    std::vector<std::string> out;
    auto describe = [](const std::map<std::string, EntryState>& m, const std::string& path) {
        const auto it = m.find(path);
        if (it == m.end())
            return std::string("missing");
        std::ostringstream s;
        s << it->second;
        return s.str();
    };
    std::map<std::string, bool> paths;
    for (const auto& [p, e] : a)
        paths[p] = true;
    for (const auto& [p, e] : b)
        paths[p] = true;
    for (const auto& [p, unused] : paths) {
        const auto x = a.find(p);
        const auto y = b.find(p);
        if (x == a.end() || y == b.end() || !(x->second == y->second))
            out.push_back("'" + p + "': " + describe(a, p) + " / " + describe(b, p));
    }
    return out;
}

// Inode numbers by relative path: a replaced file gets a new one.
inline std::map<std::string, ino_t> inodes(const std::string& root)
{
    std::map<std::string, ino_t> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        struct stat st {};
        lstat(e.path().c_str(), &st);
        out[e.path().string().substr(root.size() + 1)] = st.st_ino;
    }
    return out;
}

// The names in a folder (a left-over temporary file shows here).
inline std::size_t entryCount(const std::string& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

} // namespace zdr::test
