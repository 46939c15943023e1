#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

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

DriveInfo driveInfo(std::string_view root)
{
    const std::string name = fileName(withoutTrailingSeparator(root));
    return {name.empty() ? std::string("root") : name, {}};
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
