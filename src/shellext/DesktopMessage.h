#pragma once

#include <string>

namespace zdr::shellext {

// The program beside the front end shows a message in a window of its own
// when started with this switch, the caption and the text.
inline constexpr const char* kMessageProgram = "Zendor DaroRazu";
inline constexpr const char* kMessageSwitch = "--meldung";

// A message for the user of a desktop front end, which has no window of its
// own: a notification of the desktop's notification service (D-Bus
// org.freedesktop.Notifications on the session bus), else a zenity dialog,
// else notify-send, else the program's own message window, when the session
// has a display; always a line on stderr.
void showDesktopMessage(const std::string& caption, const std::string& text);

// The notification alone; false when the session has no bus or no
// notification service answered.
bool notifyDesktop(const std::string& caption, const std::string& text);

} // namespace zdr::shellext
