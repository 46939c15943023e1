#pragma once

#include <string>

namespace zdr::shellext {

// Writes the service menus of the file managers that take desktop entries:
// Dolphin (kio/servicemenus), Nemo (nemo/actions) and Thunar (its "Send To"
// entries), below shareFolder, each calling the front end at frontEnd. The
// texts come from the extension's own menu. False with a reason on failure.
bool writeServiceMenus(const std::string& shareFolder, const std::string& frontEnd, std::string& error);

} // namespace zdr::shellext
