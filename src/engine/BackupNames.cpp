#include "engine/BackupNames.h"

#include "base/Text.h"
#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>

namespace zdr::engine {

namespace {

// Room for a folder entry's 255 bytes, less what numbering adds.
constexpr std::size_t kLongestName = 240;
constexpr const char* kStep = " ~ ";

std::string withoutRoot(const std::string& folder)
{
    std::string relative = folder;
    while (!relative.empty() && relative.front() == platform::kSeparator)
        relative.erase(relative.begin());
    return relative;
}

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value % 100);
    return text;
}

// 64-bit FNV-1a, as a mark of a long name.
std::string mark(const std::string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

} // namespace

std::string fc_BackupName(const base::LocalDateTime& at)
{
    return "DaroRazu Backup " + twoDigits(at.year) + twoDigits(at.month) + twoDigits(at.day) + " " + twoDigits(at.hour)
        + twoDigits(at.minute) + twoDigits(at.second);
}

std::string fc_BackupFileName(const std::string& targetFolder, const std::string& entryName)
{
    const std::string relative = withoutRoot(targetFolder);
    std::string name = base::replaceAll(relative.empty() ? entryName : relative + "/" + entryName, "/", kStep);
    if (name.size() <= kLongestName)
        return name;
    const std::string head = mark(name) + kStep;
    std::size_t cut = name.size() - (kLongestName - head.size());
    while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        ++cut; // never inside a character
    return head + name.substr(cut);
}

std::string fc_BackupArchiveName(const std::string& targetFolder, const std::string& entryName)
{
    return platform::joinPath(withoutRoot(targetFolder), entryName);
}

std::string fc_NumberedName(const std::string& name, int n)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t split = dot == std::string::npos || dot == 0 ? name.size() : dot;
    return name.substr(0, split) + " (" + std::to_string(n) + ")" + name.substr(split);
}

} // namespace zdr::engine
