#pragma once

#include <string_view>

namespace zdr::base {

// The program's title as message boxes and the error text show it.
inline constexpr std::string_view kProgramTitle = "Zendor DaroRazu";
// The user guide, below the program's folder.
inline constexpr std::string_view kHelpFileName = "hilfe/index.html";
// What the program is for, as its file description says it.
inline constexpr std::string_view kProgramDescription =
    "Verzeichnisse und Dateien stapelweise bearbeiten: Informationen sammeln, kopieren, löschen, Attribute setzen "
    "und Verzeichnisse anlegen, mit Protokoll und Sicherung ersetzter Dateien.";
// The name desktops know the program by: its desktop entry, icon and
// AppStream data (data/).
inline constexpr std::string_view kDesktopId = "example.zendor.DaroRazu";
// Product web page opened from the help menus.
inline constexpr std::string_view kProductWebPage = "https://www.zendor.example/darorazu";

struct Version {
    int major;
    int minor;
    int revision;
};
Version programVersion();

} // namespace zdr::base
