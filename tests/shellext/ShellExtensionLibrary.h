#pragma once

#include "shellext/ZendorShellExtensions.h"

#include <string>
#include <vector>

namespace zdr::test {

// The extension library loaded with dlopen, as a file manager loads it, from
// a given file (a copy placed elsewhere looks for the program beside itself).
// Captures the messages it shows.
class ShellExtensionLibrary {
public:
    explicit ShellExtensionLibrary(const std::string& file);
    ~ShellExtensionLibrary();
    ShellExtensionLibrary(const ShellExtensionLibrary&) = delete;
    ShellExtensionLibrary& operator=(const ShellExtensionLibrary&) = delete;

    bool loaded() const { return module_ != nullptr; }

    decltype(&zse_CreateHandler) CreateHandler = nullptr;
    decltype(&zse_ReleaseHandler) ReleaseHandler = nullptr;
    decltype(&zse_SetMessageCallback) SetMessageCallback = nullptr;
    decltype(&zse_SetReceiverWait) SetReceiverWait = nullptr;
    decltype(&zse_PinHandOffTime) PinHandOffTime = nullptr;
    decltype(&zse_Initialize) Initialize = nullptr;
    decltype(&zse_QueryContextMenu) QueryContextMenu = nullptr;
    decltype(&zse_GetCommandString) GetCommandString = nullptr;
    decltype(&zse_InvokeCommand) InvokeCommand = nullptr;
    decltype(&zse_CreateMenu) CreateMenu = nullptr;
    decltype(&zse_DestroyMenu) DestroyMenu = nullptr;
    decltype(&zse_GetMenuItemCount) GetMenuItemCount = nullptr;
    decltype(&zse_GetMenuItem) GetMenuItem = nullptr;
    decltype(&zse_InsertMenuItem) InsertMenuItem = nullptr;
    decltype(&zse_BitmapIconName) BitmapIconName = nullptr;

    // A handler whose messages land in messages().
    zse_Handler* handler();
    // Initialises the handler with the selection and invokes one command.
    ZSE_HRESULT invoke(int offset, const std::vector<std::string>& selection, const std::string& folder = {});

    const std::vector<std::string>& messages() const { return messages_; }
    std::string lastMessage() const { return messages_.empty() ? std::string() : messages_.back(); }

private:
    static void record(void* context, const char* caption, const char* text);

    void* module_ = nullptr;
    zse_Handler* handler_ = nullptr;
    std::vector<std::string> messages_;
};

} // namespace zdr::test
