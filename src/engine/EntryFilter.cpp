#include "engine/EntryFilter.h"

#include "base/Text.h"
#include "engine/Wildcard.h"

namespace zdr::engine {

namespace {

bool readDate(const std::string& text, std::optional<base::LocalDateTime>& out, std::string& errorText)
{
    out.reset();
    if (text.empty())
        return true;
    out = base::parseDateTime(text);
    if (!out)
        errorText = "Datum '" + text + "' ist ungültig!";
    return out.has_value();
}

bool matchesAny(const std::vector<std::string>& patterns, std::string_view name)
{
    for (const std::string& pattern : patterns) {
        if (wildcardMatch(pattern, name))
            return true;
    }
    return false;
}

} // namespace

bool fc_ExtensionListed(std::string_view extensionList, std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string framed = ";";
    framed += name.substr(dot);
    framed += ";";
    return base::icontains(extensionList, framed);
}

base::LocalDateTime fc_FileDate(const platform::FileEntry& entry)
{
    return base::LocalDateTime::fromUnixNanos(entry.lastWrite);
}

bool EntryFilter::load(const EngineTask& task, bool folderOnly, std::string& errorText)
{
    folderOnly_ = folderOnly;
    extensions_ = base::toLower(task.Extensions);
    maxBytes_ = static_cast<std::uint64_t>(task.MaxSizeK) * 1000;
    includeNames_ = base::toLower(task.IncludeNames);
    excludeNames_ = base::toLower(task.ExcludeNames);
    nameFilter_ = !task.IncludeNames.empty() || !task.IncludePatterns.empty();
    includePatterns_.clear();
    for (const std::string& pattern : task.IncludePatterns) {
        if (!base::startsWith(pattern, "\\"))
            includePatterns_.push_back(pattern);
    }
    excludeFolderPatterns_.clear();
    excludeFilePatterns_.clear();
    for (const std::string& pattern : task.ExcludePatterns)
        (base::startsWith(pattern, "\\") ? excludeFolderPatterns_ : excludeFilePatterns_).push_back(pattern);
    return readDate(task.task.dateFrom, dateFrom_, errorText) && readDate(task.task.dateTo, dateTo_, errorText);
}

bool EntryFilter::listed(const std::string& foldedList, std::string_view prefix, std::string_view name)
{
    std::string framed = ";";
    framed += prefix;
    framed += base::toLower(name);
    framed += ";";
    return foldedList.find(framed) != std::string::npos;
}

bool EntryFilter::folderPasses(std::string_view name) const
{
    if (!excludeNames_.empty() && listed(excludeNames_, "\\", name))
        return false;
    if (!excludeFolderPatterns_.empty()) {
        std::string marked = "\\";
        marked += name;
        if (matchesAny(excludeFolderPatterns_, marked))
            return false;
    }
    // Patterns without the folder mark apply to folders as well.
    return !matchesAny(excludeFilePatterns_, name);
}

bool EntryFilter::filePasses(const platform::FileEntry& entry) const
{
    if (folderOnly_)
        return false;
    const std::string& name = entry.name;
    if (!extensions_.empty() && !fc_ExtensionListed(extensions_, name))
        return false;
    // The whole 64-bit size: a file of 4 GiB and more must not slip under the limit.
    if (maxBytes_ > 0 && entry.size > maxBytes_)
        return false;
    // A name passes the file-name filter when it is listed or matches one of
    // the patterns; a filter of both kinds admits either.
    if (nameFilter_) {
        if (!(!includeNames_.empty() && listed(includeNames_, "", name)) && !matchesAny(includePatterns_, name))
            return false;
    }
    if (dateFrom_ || dateTo_) {
        const base::LocalDateTime date = fc_FileDate(entry);
        if (dateFrom_ && *dateFrom_ > date)
            return false;
        if (dateTo_ && *dateTo_ < date)
            return false;
    }
    if (!excludeNames_.empty() && listed(excludeNames_, "", name))
        return false;
    return !matchesAny(excludeFilePatterns_, name);
}

} // namespace zdr::engine
