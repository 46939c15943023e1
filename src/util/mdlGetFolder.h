#pragma once

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

// The folder picker behind the program's own interface, so no caller touches
// a dialog directly and tests can answer it without a person.
namespace zdr::util::ui {

// Root folder identifiers the callers pass.
inline constexpr std::int16_t kFolderRootDrives = 17; // every drive: the file system's root
// Browse flag: only folders of the file system.
inline constexpr std::uint32_t kBrowseFileSystemOnly = 1;

struct FolderRequest {
    std::int16_t root = kFolderRootDrives;
    std::string title;
    std::uint32_t flags = 0;
    std::string initialFolder;
};

// Lets the user pick a folder; returns its path, or an empty text when the
// user cancelled. The initial folder is selected when the picker opens.
std::string fc_BrowseForFolder(std::int16_t par_Root, const std::string& par_Title, QWidget* par_Owner,
                               std::uint32_t par_Flags, const std::string& par_InitialFolder);

// Replaces the real picker (tests); an empty function restores it.
using FolderChooser = std::function<std::string(const FolderRequest&)>;
void setFolderChooser(FolderChooser chooser);

} // namespace zdr::util::ui
