// Fuzz target: the walk's rules on any pattern, name and filter text never
// crash or hang, and plain patterns match exactly their own text.
#include "engine/EngineTask.h"
#include "engine/EntryFilter.h"
#include "engine/Wildcard.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = raw.find('\n');
    const std::string pattern = raw.substr(0, cut);
    const std::string name = cut == std::string::npos ? std::string() : raw.substr(cut + 1);

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
