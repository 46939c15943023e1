#pragma once

#include <string>

namespace zdr::shellext {

// A message for the user of a desktop front end, which has no window of its
// own: a notification of the desktop's notification service (D-Bus
// org.freedesktop.Notifications on the session bus), else a zenity dialog,
// else notify-send, when the session has any; always a line on stderr.
void showDesktopMessage(const std::string& caption, const std::string& text);

// The notification alone; false when the session has no bus or no
// notification service answered.
bool notifyDesktop(const std::string& caption, const std::string& text);

} // namespace zdr::shellext
