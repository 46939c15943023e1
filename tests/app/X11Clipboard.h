#pragma once

#include "support/PrivateXServer.h"

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct xcb_connection_t;

namespace zdr::test {

// The part of a desktop's clipboard manager that keeps the clipboard of a
// program that ends: it owns CLIPBOARD_MANAGER, answers SAVE_TARGETS by
// taking the clipboard's text and then serves that text as the clipboard's
// new owner. Runs on a thread of its own with a connection of its own.
class X11ClipboardManager {
public:
    explicit X11ClipboardManager(const std::string& display);
    ~X11ClipboardManager();
    X11ClipboardManager(const X11ClipboardManager&) = delete;
    X11ClipboardManager& operator=(const X11ClipboardManager&) = delete;

    // False when it could not become the display's clipboard manager.
    bool running() const { return running_; }
    // The text saved at a SAVE_TARGETS request, once one came.
    std::optional<std::string> saved() const;

private:
    void serve();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t window_ = 0;
    bool running_ = false;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::optional<std::string> saved_;
    std::thread thread_;
};

// The clipboard's text as any program on the display reads it (as xclip
// -o does); nothing when nobody owns the clipboard or it has no text.
std::optional<std::string> readX11Clipboard(const std::string& display, std::chrono::milliseconds limit);

} // namespace zdr::test
