#include "app/X11Clipboard.h"

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace zdr::test {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t result = XCB_ATOM_NONE;
    if (reply)
        result = reply->atom;
    std::free(reply);
    return result;
}

struct Atoms {
    explicit Atoms(xcb_connection_t* c)
        : clipboard(atom(c, "CLIPBOARD")), manager(atom(c, "CLIPBOARD_MANAGER")), saveTargets(atom(c, "SAVE_TARGETS")),
          targets(atom(c, "TARGETS")), utf8(atom(c, "UTF8_STRING")), property(atom(c, "ZDR_CLIPBOARD"))
    {
    }
    xcb_atom_t clipboard, manager, saveTargets, targets, utf8, property;
};

int type(const xcb_generic_event_t* e) { return e->response_type & 0x7f; }

// The next event, waiting for it at most until the deadline.
xcb_generic_event_t* nextEvent(xcb_connection_t* c, Clock::time_point deadline)
{
    for (;;) {
        if (xcb_generic_event_t* e = xcb_poll_for_event(c))
            return e;
        if (xcb_connection_has_error(c))
            return nullptr;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return nullptr;
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        poll(&p, 1, static_cast<int>(left));
    }
}

xcb_window_t makeWindow(xcb_connection_t* c)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      screen->root_visual, XCB_CW_EVENT_MASK, &events);
    return window;
}

// Asks the selection's owner for its text as UTF-8; events meanwhile that
// are not the answer go to `other`.
template <typename Other>
std::optional<std::string> fetchText(xcb_connection_t* c, xcb_window_t window, const Atoms& a, xcb_atom_t selection,
                                     Clock::time_point deadline, Other other)
{
    xcb_convert_selection(c, window, selection, a.utf8, a.property, XCB_CURRENT_TIME);
    xcb_flush(c);
    while (xcb_generic_event_t* e = nextEvent(c, deadline)) {
        if (type(e) != XCB_SELECTION_NOTIFY
            || reinterpret_cast<xcb_selection_notify_event_t*>(e)->requestor != window) {
            other(e);
            std::free(e);
            continue;
        }
        const bool refused = reinterpret_cast<xcb_selection_notify_event_t*>(e)->property == XCB_ATOM_NONE;
        std::free(e);
        if (refused)
            return std::nullopt;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            c, xcb_get_property(c, 1, window, a.property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
        if (!reply)
            return std::nullopt;
        std::string text(static_cast<const char*>(xcb_get_property_value(reply)),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply)));
        std::free(reply);
        return text;
    }
    return std::nullopt;
}

void notify(xcb_connection_t* c, const xcb_selection_request_event_t& request, xcb_atom_t property)
{
    xcb_selection_notify_event_t answer{};
    answer.response_type = XCB_SELECTION_NOTIFY;
    answer.time = request.time;
    answer.requestor = request.requestor;
    answer.selection = request.selection;
    answer.target = request.target;
    answer.property = property;
    char event[32] = {};
    std::memcpy(event, &answer, sizeof answer);
    xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, event);
    xcb_flush(c);
}

} // namespace

X11ClipboardManager::X11ClipboardManager(const std::string& display)
{
    connection_ = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    const Atoms a(connection_);
    window_ = makeWindow(connection_);
    xcb_set_selection_owner(connection_, window_, a.manager, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, a.manager), nullptr);
    running_ = owner && owner->owner == window_;
    std::free(owner);
    if (running_)
        thread_ = std::thread([this] { serve(); });
}

X11ClipboardManager::~X11ClipboardManager()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    xcb_disconnect(connection_);
}

std::optional<std::string> X11ClipboardManager::saved() const
{
    const std::lock_guard lock(mutex_);
    return saved_;
}

void X11ClipboardManager::serve()
{
    xcb_connection_t* c = connection_;
    const Atoms a(c);
    std::optional<std::string> kept; // the clipboard's text while we own it
    const auto answer = [&](const xcb_generic_event_t* e) {
        if (type(e) == XCB_SELECTION_CLEAR) {
            if (reinterpret_cast<const xcb_selection_clear_event_t*>(e)->selection == a.clipboard)
                kept.reset();
            return;
        }
        if (type(e) != XCB_SELECTION_REQUEST)
            return;
        const auto& request = *reinterpret_cast<const xcb_selection_request_event_t*>(e);
        const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
        if (request.selection == a.clipboard && kept && request.target == a.targets) {
            const xcb_atom_t offered[] = {a.targets, a.utf8};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32, 2, offered);
            notify(c, request, property);
        } else if (request.selection == a.clipboard && kept && request.target == a.utf8) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, a.utf8, 8,
                                static_cast<std::uint32_t>(kept->size()), kept->data());
            notify(c, request, property);
        } else {
            notify(c, request, XCB_ATOM_NONE);
        }
    };
    while (!stop_) {
        xcb_generic_event_t* e = nextEvent(c, Clock::now() + 100ms);
        if (!e)
            continue;
        const auto* request = reinterpret_cast<const xcb_selection_request_event_t*>(e);
        if (type(e) == XCB_SELECTION_REQUEST && request->selection == a.manager && request->target == a.saveTargets) {
            // A program that ends hands its clipboard over: take its text,
            // become the clipboard's owner, then tell it that it may go.
            const xcb_selection_request_event_t save = *request;
            std::optional<std::string> text = fetchText(c, window_, a, a.clipboard, Clock::now() + 10s, answer);
            if (text) {
                kept = text;
                xcb_set_selection_owner(c, window_, a.clipboard, XCB_CURRENT_TIME);
                const std::lock_guard lock(mutex_);
                saved_ = text;
            }
            notify(c, save, save.property);
        } else {
            answer(e);
        }
        std::free(e);
    }
}

std::optional<std::string> readX11Clipboard(const std::string& display, std::chrono::milliseconds limit)
{
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    std::optional<std::string> text;
    if (!xcb_connection_has_error(c)) {
        const Atoms a(c);
        text = fetchText(c, makeWindow(c), a, a.clipboard, Clock::now() + limit, [](const xcb_generic_event_t*) {});
    }
    xcb_disconnect(c);
    return text;
}

} // namespace zdr::test
