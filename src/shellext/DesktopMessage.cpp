#include "shellext/DesktopMessage.h"

#include "shellext/ProcessStart.h"

#include <cstdio>
#include <cstdlib>

namespace zdr::shellext {

namespace {

// notify-send bodies may be read as markup.
std::string escapeMarkup(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

bool hasDisplay()
{
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

} // namespace

void showDesktopMessage(const std::string& caption, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (!hasDisplay())
        return;
    int error = 0;
    if (const std::string zenity = findInPath("zenity"); !zenity.empty()
        && startDetached(zenity, {"--error", "--no-markup", "--title=" + caption, "--text=" + text}, "/", error))
        return;
    if (const std::string notify = findInPath("notify-send"); !notify.empty())
        startDetached(notify, {"--app-name=" + caption, caption, escapeMarkup(text)}, "/", error);
}

} // namespace zdr::shellext
