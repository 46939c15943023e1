#include "protocol/ContextMenuValues.h"

#include <algorithm>

namespace zdr::protocol {

namespace {

constexpr std::string_view kInfoSuffix = "  ----";

bool isFolderItem(MenuItem item) { return static_cast<int>(item) < static_cast<int>(MenuItem::FileHeading); }

} // namespace

bool menuItemEnabled(MenuItem item, RowIcon clickedRow)
{
    return clickedRow == (isFolderItem(item) ? RowIcon::Folder : RowIcon::File);
}

// A folder heading row reads "(folder)"; a folder row the bare folder. Both
// give the folder, where cutting a first and last character off the bare
// folder would give a broken path.
std::string folderExcludePath(std::string_view rowText)
{
    if (rowText.size() >= 2 && rowText.front() == '(' && rowText.back() == ')')
        rowText = rowText.substr(1, rowText.size() - 2);
    return std::string(rowText);
}

std::string folderExcludeName(std::string_view rowText)
{
    const std::string path = folderExcludePath(rowText);
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string fileExcludeName(std::string_view rowText)
{
    rowText.remove_prefix(std::min(rowText.find_first_not_of(' '), rowText.size()));
    return std::string(rowText.substr(0, rowText.find(kInfoSuffix)));
}

std::string fileExcludePath(std::string_view folder, std::string_view rowText)
{
    return std::string(folder).append("/").append(fileExcludeName(rowText));
}

std::optional<ExceptValue> fc_ExceptValue(const ProtocolList& list, RowId row, MenuItem item)
{
    if (!menuItemEnabled(item, list.icon(row)))
        return std::nullopt;
    const std::string_view text = list.text(row);
    switch (item) {
    case MenuItem::FolderName: return ExceptValue{EntryKind::Folder, folderExcludeName(text)};
    case MenuItem::FolderPath: return ExceptValue{EntryKind::Folder, folderExcludePath(text)};
    case MenuItem::FileName: return ExceptValue{EntryKind::File, fileExcludeName(text)};
    case MenuItem::FilePath:
        // The file's own folder: an exclusion names the source, not the target.
        return ExceptValue{EntryKind::File, fileExcludePath(list.folder(row), text)};
    default: return std::nullopt;
    }
}

} // namespace zdr::protocol
