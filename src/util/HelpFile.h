#pragma once

#include <functional>
#include <string>

class QWidget;

namespace zdr::util::ui {

// The help file "Zendor DaroRazu.chm" in the program's folder.
std::string helpFilePath();

// F1 and the help menus: opens the help file at its table of contents in the
// system's viewer. A missing file or a failed start is told in a message box.
void openHelpFile(QWidget* owner);

// The help menus' web-page entry: opens the address in the system's browser.
void openWebPage(const std::string& address);

// Replaces the viewer and browser start (tests); an empty function restores
// it. The opener gets the file's path or the page's address and says whether
// it could open it.
using HelpOpener = std::function<bool(const std::string& path)>;
void setHelpOpener(HelpOpener opener);

} // namespace zdr::util::ui
