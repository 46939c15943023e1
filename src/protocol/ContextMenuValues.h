#pragma once

#include "protocol/ProtocolList.h"

#include <optional>
#include <string>
#include <string_view>

// What the protocol list's context menu excludes: its items by index and the
// values they hand to the task's exclusions.
namespace zdr::protocol {

// Indexes of the items of `mnuDataWork`.
enum class MenuItem : int {
    FolderHeading = 1,
    FolderName = 2,
    FolderPath = 3,
    FileHeading = 11,
    FileName = 12,
    FilePath = 13,
};

// Only rows not yet handled and not failed can be excluded: "FOLDER" enables
// the folder items, "FILE" the file items.
bool menuItemEnabled(MenuItem item, RowIcon clickedRow);

struct ExceptValue {
    EntryKind kind;
    std::string value;
};

// The exclusion an item asks for, from the clicked row; none for headings and
// for items the row does not enable.
std::optional<ExceptValue> fc_ExceptValue(const ProtocolList& list, RowId row, MenuItem item);

// The values from a row text (folder rows show "(folder)" or the folder).
std::string folderExcludeName(std::string_view rowText);
std::string folderExcludePath(std::string_view rowText);
std::string fileExcludeName(std::string_view rowText);
std::string fileExcludePath(std::string_view folder, std::string_view rowText);

} // namespace zdr::protocol
