#pragma once

#include "base/CommandLine.h"

#include <functional>
#include <string>

namespace zdr::app {

// Where the program's windows go. A run that needs nobody at the screen (a
// project with /a, a hand-off) goes on without a display, drawn offscreen
// (cron, ssh, a systemd timer); a window someone should use cannot.
enum class StartScreen { Display, Offscreen, Missing };

// `environment` reads a variable ("" when unset). A display (DISPLAY,
// WAYLAND_DISPLAY) or a platform the caller chose (QT_QPA_PLATFORM) is used
// as it is.
StartScreen startScreen(const base::StartPlan& plan, const std::function<std::string(const char*)>& environment);

// What the program says, and then ends, when it has no display for a window.
std::string noDisplayText();

} // namespace zdr::app
