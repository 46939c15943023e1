// Fuzz target: the walk's rules on any pattern, name and filter text never
// crash or hang, and plain patterns match exactly their own text. Names on
// disk that the tidying takes for a killed run's temporaries are exactly
// the names this program gives them.
#include "engine/EngineTask.h"
#include "engine/EntryFilter.h"
#include "engine/Wildcard.h"
#include "platform/Leftovers.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool lettersOrDigits(std::string_view text)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return false;
    return true;
}

// "." + name + ".zdrtmp-" + process + "-" + number, perhaps with the zip
// library's "." + six letters or digits: taken, with its process; nothing else.
void checkLeftoverName(const std::string& name, const std::string& other)
{
    long process = 0;
    if (zdr::platform::temporaryOwner(name, process)) {
        const std::size_t mark = name.rfind(".zdrtmp-");
        std::string_view rest = std::string_view(name).substr(mark + 8);
        const std::size_t dot = rest.find('.');
        if (dot != std::string_view::npos) {
            if (rest.size() - dot != 7 || !lettersOrDigits(rest.substr(dot + 1)))
                __builtin_trap();
            rest = rest.substr(0, dot);
        }
        // The folder a mark stands for is the name it was made for.
        const std::string marked = zdr::platform::markedFolder(name);
        if (marked.empty() || "." + marked + name.substr(mark) != name)
            __builtin_trap();
        const std::string head = std::to_string(process) + "-";
        if (name.front() != '.' || mark < 2 || process <= 0 || rest.rfind(head, 0) != 0 || rest.size() == head.size()
            || rest.substr(head.size()).find_first_not_of("0123456789") != std::string::npos)
            __builtin_trap();
    }
    // What the program itself names so is always taken.
    if (other.empty() || other.find('/') != std::string::npos)
        return;
    const std::string made = "." + other + ".zdrtmp-" + std::to_string(other.size() + 1) + "-7";
    if (!zdr::platform::temporaryOwner(made, process) || process != static_cast<long>(other.size() + 1)
        || !zdr::platform::temporaryOwner(made + ".Ab12cD", process))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = raw.find('\n');
    const std::string pattern = raw.substr(0, cut);
    const std::string name = cut == std::string::npos ? std::string() : raw.substr(cut + 1);

    checkLeftoverName(name, pattern);
    checkLeftoverName(pattern, name);

    const bool matched = zdr::engine::wildcardMatch(pattern, name);
    if (pattern.find_first_of("*?#[") == std::string::npos && matched != (pattern == name))
        __builtin_trap();
    if (!zdr::engine::wildcardMatch("*", name) || !zdr::engine::wildcardMatch(name.empty() ? "" : "*" + name, name)) {
        if (name.find_first_of("*?#[") == std::string::npos)
            __builtin_trap();
    }

    zdr::project::Task input;
    input.exclusions = pattern;
    input.nameFilters = name;
    input.extensions = pattern;
    input.dateFrom = name.substr(0, 40);
    zdr::engine::EntryFilter filter;
    std::string error;
    if (filter.load(zdr::engine::EngineTask::fromTask(input, false), false, error)) {
        zdr::platform::FileEntry entry;
        entry.name = name;
        entry.size = size;
        filter.filePasses(entry);
        filter.folderPasses(name);
    }
    zdr::engine::fc_ExtensionListed(pattern, name);
    return 0;
}
