#pragma once

#include <string>

namespace zdr::shellext {

// A message for the user of a desktop front end, which has no window of its
// own: a zenity dialog, else a notify-send notification, when a display is
// there; always a line on stderr.
void showDesktopMessage(const std::string& caption, const std::string& text);

} // namespace zdr::shellext
