#pragma once

#include <functional>
#include <string>

namespace zdr::util::ui {

// A notice of the desktop's notification service (org.freedesktop.
// Notifications on the session bus, as the file manager's hand-off uses),
// for a long run that ended while nobody looked at its window. false when no
// service answered.
bool notifyDesktop(const std::string& summary, const std::string& body);

// Replaces the notification service (tests); an empty function restores it.
using DesktopNotifier = std::function<bool(const std::string& summary, const std::string& body)>;
void setDesktopNotifier(DesktopNotifier notifier);

} // namespace zdr::util::ui
