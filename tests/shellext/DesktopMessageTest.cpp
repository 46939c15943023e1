// A hand-off's message reaches the user through the desktop's notification
// service: a private session bus (dbus-daemon) with a notification service of
// the test's own, and the library's message function as a file manager calls it.
#include "shellext/ZendorShellExtensions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zdr::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kInterface = R"(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
  </interface>
</node>)";

// What the notification service was asked to show.
struct Shown {
    std::string appName;
    std::string summary;
    std::string body;
    std::uint8_t urgency = 0;
};

// The notification service: owns org.freedesktop.Notifications on the bus
// and records every Notify, on a thread with a main loop of its own.
class NotificationService {
public:
    explicit NotificationService(const std::string& address)
    {
        thread_ = std::thread([this, address] { serve(address); });
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, 10s, [this] { return ready_.has_value(); });
    }
    ~NotificationService()
    {
        if (loop_)
            g_main_loop_quit(loop_);
        thread_.join();
    }
    bool ready() const { return ready_.value_or(false); }
    std::vector<Shown> shown()
    {
        std::lock_guard lock(mutex_);
        return shown_;
    }

private:
    void serve(const std::string& address)
    {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        GError* error = nullptr;
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                              | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
        static const GDBusInterfaceVTable vtable = {&NotificationService::call, nullptr, nullptr, {}};
        bool ok = bus && node
            && g_dbus_connection_register_object(bus, "/org/freedesktop/Notifications", node->interfaces[0], &vtable,
                                                 this, nullptr, nullptr)
                > 0;
        if (ok) {
            GVariant* owned = g_dbus_connection_call_sync(
                bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                g_variant_new("(su)", "org.freedesktop.Notifications", 4U), G_VARIANT_TYPE("(u)"),
                G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
            ok = owned != nullptr;
            if (owned)
                g_variant_unref(owned);
        }
        loop_ = g_main_loop_new(context, FALSE);
        {
            std::lock_guard lock(mutex_);
            ready_ = ok;
        }
        changed_.notify_all();
        if (ok)
            g_main_loop_run(loop_);
        g_main_loop_unref(loop_);
        if (node)
            g_dbus_node_info_unref(node);
        if (bus)
            g_object_unref(bus);
        g_clear_error(&error);
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    static void call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                     GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self)
    {
        auto* service = static_cast<NotificationService*>(self);
        if (g_strcmp0(method, "Notify") == 0) {
            const gchar* app = nullptr;
            const gchar* summary = nullptr;
            const gchar* body = nullptr;
            GVariant* hints = nullptr;
            g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", &app, nullptr, nullptr, &summary, &body, nullptr, &hints,
                          nullptr);
            Shown shown{app, summary, body};
            g_variant_lookup(hints, "urgency", "y", &shown.urgency);
            g_variant_unref(hints);
            {
                std::lock_guard lock(service->mutex_);
                service->shown_.push_back(shown);
            }
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", 1U));
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<bool> ready_;
    GMainLoop* loop_ = nullptr;
    std::vector<Shown> shown_;
};

// Ends the private bus however the test ends.
struct BusDaemon {
    pid_t pid = -1;
    ~BusDaemon()
    {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

TEST(DesktopMessage, HandOffMessagesGoToTheNotificationService)
{
    TempDir dir;
    const std::string socket = dir.file("bus");
    const std::string address = "unix:path=" + socket;
    const std::string listen = "--address=" + address;
    std::vector<std::string> args = {"dbus-daemon", "--session", "--nofork", listen};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    BusDaemon daemon;
    if (posix_spawnp(&daemon.pid, "dbus-daemon", nullptr, nullptr, argv.data(), environ) != 0)
        GTEST_SKIP() << "dbus-daemon cannot be started";
    for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i)
        std::this_thread::sleep_for(10ms);
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    // No display: nothing but the notification may show the message.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    {
        NotificationService service(address);
        ASSERT_TRUE(service.ready());
        void* library = dlopen((std::string(ZDR_BIN_DIR) + "/libZendorShellExtensions.so").c_str(), RTLD_NOW);
        ASSERT_NE(library, nullptr) << dlerror();
        auto show = reinterpret_cast<decltype(&zse_ShowDesktopMessage)>(dlsym(library, "zse_ShowDesktopMessage"));
        ASSERT_NE(show, nullptr);
        // A name from the disk need not be UTF-8; markup stays text.
        show(nullptr, "ZendorShellExtension", "Aktion abgebrochen: <Bilder> & 'alt\xff'");
        const std::vector<Shown> shown = service.shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].appName, "ZendorShellExtension");
        EXPECT_EQ(shown[0].summary, "ZendorShellExtension");
        EXPECT_EQ(shown[0].body, "Aktion abgebrochen: &lt;Bilder&gt; &amp; 'alt\xEF\xBF\xBD'");
        EXPECT_EQ(shown[0].urgency, 2) << "stays until dismissed";
    }
}

} // namespace
} // namespace zdr::test
