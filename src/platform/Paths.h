#pragma once

#include <string>
#include <string_view>

// Paths as the rest of the program sees them. The stored formats keep the
// Windows conventions (a leading "\" marks a folder entry of a selection);
// this seam turns them into native paths and owns separators and roots.
namespace zdr::platform {

inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparatorText = "/";

// Folder of the running executable, without a trailing separator.
std::string programFolder();

// folder + separator + name; a root folder is not doubled.
std::string joinPath(std::string_view folder, std::string_view name);

// Text before the last separator ("" when there is none; "/" for "/x").
std::string parentPath(std::string_view path);
// Text after the last separator.
std::string fileName(std::string_view path);

bool isRoot(std::string_view path);
bool isAbsolute(std::string_view path);

// path is folder itself or lies below it, named without "." or ".." steps
// (so it cannot lead out of it) and without empty steps.
bool isWithin(std::string_view path, std::string_view folder);

// A folder typed with a final separator is stored without it; a root stays.
std::string withoutTrailingSeparator(std::string_view path);
bool endsWithSeparator(std::string_view path);

// A selection or exclusion entry as stored ("\Daten", "Text.txt", "\A\B")
// as a native relative path ("Daten", "Text.txt", "A/B").
std::string entryToRelativePath(std::string_view entry);
// A native relative path of a folder in the stored form with its leading "\".
std::string folderEntryFromRelativePath(std::string_view relative);

// A drive root as the computer source ("<Arbeitsplatz>") selects it. On
// Linux a drive is a mount point: its letter is its last name ("root" for
// "/"); its label is the file system's, where it has one (empty otherwise),
// made fit to stand in a folder name ("/" and control characters as "_").
struct DriveInfo {
    std::string letter;
    std::string label;
};
DriveInfo driveInfo(std::string_view root);
// A name of /dev/disk/by-label as the label it stands for ("\x20" a blank).
std::string labelFromLinkName(std::string_view name);

bool pathExists(const std::string& path);
bool isDirectory(const std::string& path);

} // namespace zdr::platform
