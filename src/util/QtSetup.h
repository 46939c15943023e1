#pragma once

#include <string>

// What the program sets up in Qt before its first window.
namespace zdr::util::ui {

// Qt's own texts (standard buttons, file and folder dialogs) in German,
// whatever the user's locale says, as the rest of the program. False when
// Qt's German texts are not installed (Debian: qt6-translations-l10n).
bool useGermanQtTexts();

// Qt's file dialogs keep a history of folders and their view; they keep it in
// the program's own configuration folder, "$XDG_CONFIG_HOME/zendor-darorazu"
// (~/.config/zendor-darorazu), instead of the "QtProject.conf" shared by
// every Qt program. Returns that folder.
std::string keepDialogHistoryOwn();

} // namespace zdr::util::ui
