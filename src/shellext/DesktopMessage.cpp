#include "shellext/DesktopMessage.h"

#include "shellext/ProcessStart.h"

#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace zdr::shellext {

namespace {

// Notification bodies may be read as markup.
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

// A session bus is announced (never started here: a file manager without
// one has no desktop to show a notification).
bool hasSessionBus()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    return runtime && *runtime && std::filesystem::exists(std::string(runtime) + "/bus", error);
}

// D-Bus strings must be UTF-8; names from the disk need not be.
std::string validUtf8(const std::string& text)
{
    gchar* valid = g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size()));
    std::string out(valid);
    g_free(valid);
    return out;
}

constexpr int kCallTimeoutMs = 3000;

} // namespace

bool notifyDesktop(const std::string& caption, const std::string& text)
{
    if (!hasSessionBus())
        return false;
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    const std::string summary = validUtf8(caption);
    const std::string body = escapeMarkup(validUtf8(text));
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    // Critical: the message stays until the user dismisses it.
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(2));
    g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string("example.zendor.DaroRazu"));
    GVariant* reply =
        g_dbus_connection_call_sync(bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                    "org.freedesktop.Notifications", "Notify",
                                    g_variant_new("(susssasa{sv}i)", summary.c_str(), 0U, "dialog-error",
                                                  summary.c_str(), body.c_str(), &actions, &hints, -1),
                                    G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

void showDesktopMessage(const std::string& caption, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (notifyDesktop(caption, text) || !hasDisplay())
        return;
    int error = 0;
    long started = 0;
    if (const std::string zenity = findInPath("zenity"); !zenity.empty()
        && startDetached(zenity, {"--error", "--no-markup", "--title=" + caption, "--text=" + text}, "/", started,
                         error))
        return;
    if (const std::string notify = findInPath("notify-send"); !notify.empty()
        && startDetached(notify, {"--app-name=" + caption, caption, escapeMarkup(text)}, "/", started, error))
        return;
    // A bare desktop: the program beside the front end shows the message in
    // a small window of its own.
    startDetached(moduleFolder() + "/" + kMessageProgram, {std::string(kMessageSwitch), caption, text}, "/", started,
                  error);
}

} // namespace zdr::shellext
