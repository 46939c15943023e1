#pragma once

#include "base/DateText.h"
#include "engine/EngineTask.h"
#include "platform/FileEntry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zdr::engine {

// The walk's rules for one task: which folders are entered and which files
// take part. Built once per task; each test is one lookup in a ";"-framed
// list (folded to lower case once here) or one wildcard match per pattern.
class EntryFilter {
public:
    // False with a German text when a date bound cannot be read.
    [[nodiscard]] bool load(const EngineTask& task, bool folderOnly, std::string& errorText);

    bool folderPasses(std::string_view name) const;
    bool filePasses(const platform::FileEntry& entry) const;

private:
    static bool listed(const std::string& foldedList, std::string_view prefix, std::string_view name);

    bool folderOnly_ = false;
    std::string extensions_;
    std::uint64_t maxBytes_ = 0;
    bool nameFilter_ = false;
    std::string includeNames_;
    // Only the patterns without the folder mark; folders are not filtered by name.
    std::vector<std::string> includePatterns_;
    std::optional<base::LocalDateTime> dateFrom_;
    std::optional<base::LocalDateTime> dateTo_;
    std::string excludeNames_;
    std::vector<std::string> excludeFolderPatterns_; // with their leading "\"
    std::vector<std::string> excludeFilePatterns_;
};

// True when the extension of name (from its last "." on) is in the
// ";"-framed list, compared without regard to case. No "." gives false.
bool fc_ExtensionListed(std::string_view extensionList, std::string_view name);

// The entry's last-write time as a local date and time to the second.
base::LocalDateTime fc_FileDate(const platform::FileEntry& entry);

} // namespace zdr::engine
