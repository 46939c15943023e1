#include "platform/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace zdr::platform {

std::string programFolder()
{
    std::vector<char> buffer(4096);
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return ".";
    return parentPath(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    if (!out.empty() && !endsWithSeparator(out))
        out += kSeparator;
    out.append(name);
    return out;
}

std::string parentPath(std::string_view path)
{
    const std::size_t pos = path.rfind(kSeparator);
    if (pos == std::string_view::npos)
        return {};
    if (pos == 0)
        return std::string(kSeparatorText);
    return std::string(path.substr(0, pos));
}

std::string fileName(std::string_view path)
{
    const std::size_t pos = path.rfind(kSeparator);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

bool isRoot(std::string_view path) { return path == kSeparatorText; }

bool isAbsolute(std::string_view path) { return !path.empty() && path.front() == kSeparator; }

bool isWithin(std::string_view path, std::string_view folder)
{
    const std::string root = withoutTrailingSeparator(folder);
    if (root.empty() || path.substr(0, root.size()) != root)
        return false;
    std::string_view rest = path.substr(root.size());
    if (rest.empty())
        return true;
    if (!isRoot(root)) {
        if (rest.front() != kSeparator)
            return false; // "/data2" is not below "/data"
        rest.remove_prefix(1);
    }
    for (;;) {
        const std::size_t end = rest.find(kSeparator);
        const std::string_view step = rest.substr(0, end);
        if (step.empty() || step == "." || step == "..")
            return false;
        if (end == std::string_view::npos)
            return true;
        rest.remove_prefix(end + 1);
    }
}

bool endsWithSeparator(std::string_view path) { return !path.empty() && path.back() == kSeparator; }

std::string withoutTrailingSeparator(std::string_view path)
{
    std::string out(path);
    while (out.size() > 1 && endsWithSeparator(out))
        out.pop_back();
    return out;
}

std::string entryToRelativePath(std::string_view entry)
{
    std::string out;
    out.reserve(entry.size());
    for (char c : entry)
        out += c == '\\' ? kSeparator : c;
    while (!out.empty() && out.front() == kSeparator)
        out.erase(out.begin());
    return out;
}

std::string folderEntryFromRelativePath(std::string_view relative)
{
    std::string out = "\\";
    for (char c : relative)
        out += c == kSeparator ? '\\' : c;
    return out;
}

std::string labelFromLinkName(std::string_view name)
{
    const auto hex = [](char c) {
        return c >= '0' && c <= '9'
            ? c - '0'
            : (c >= 'a' && c <= 'f' ? c - 'a' + 10 : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1));
    };
    std::string label;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && hex(name[i + 2]) >= 0
            && hex(name[i + 3]) >= 0) {
            label += static_cast<char>(hex(name[i + 2]) * 16 + hex(name[i + 3]));
            i += 3;
        } else {
            label += name[i];
        }
    }
    return label;
}

namespace {

// The label the file system keeps itself (ext4, btrfs, xfs, ...).
std::string labelOfFileSystem(const std::string& root)
{
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char label[FSLABEL_MAX + 1] = {};
#ifdef FS_IOC_GETFSLABEL
    const bool got = ioctl(fd, FS_IOC_GETFSLABEL, label) == 0;
#else
    const bool got = false;
#endif
    ::close(fd);
    return got ? std::string(label, strnlen(label, FSLABEL_MAX)) : std::string();
}

// Others (vfat, ntfs, ...): the system's list of labelled block devices.
std::string labelOfDevice(const std::string& root)
{
    struct stat st {};
    if (stat(root.c_str(), &st) != 0)
        return {};
    const std::string folder = "/dev/disk/by-label/";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return {};
    std::string label;
    while (const dirent* d = readdir(dir)) {
        struct stat device {};
        if (d->d_name[0] != '.' && stat((folder + d->d_name).c_str(), &device) == 0 && S_ISBLK(device.st_mode)
            && device.st_rdev == st.st_dev) {
            label = labelFromLinkName(d->d_name);
            break;
        }
    }
    closedir(dir);
    return label;
}

} // namespace

DriveInfo driveInfo(std::string_view root)
{
    const std::string folder = withoutTrailingSeparator(root);
    const std::string name = fileName(folder);
    std::string label = labelOfFileSystem(folder.empty() ? "/" : folder);
    if (label.empty())
        label = labelOfDevice(folder.empty() ? "/" : folder);
    // It becomes part of a folder name.
    for (char& c : label)
        if (c == kSeparator || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    return {name.empty() ? std::string("root") : name, label};
}

bool pathExists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace zdr::platform
