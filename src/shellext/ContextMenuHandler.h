#pragma once

#include "shellext/ZendorShellExtensions.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace zdr::shellext {

// One handler per context menu: the file manager initialises it with the
// selection, asks for the menu and help texts, and invokes a command, which
// starts the program and hands the selection over.
class ContextMenuHandler {
public:
    ContextMenuHandler();

    void setMessageCallback(zse_MessageFn fn, void* context);
    void setReceiverWait(int retries, int intervalMs);
    // The time the hand-off key is made of; zero: the clock's.
    void pinTime(const timespec& utc);

    ZSE_HRESULT Initialize(const char* folder, const char* const* names, int count);
    ZSE_HRESULT QueryContextMenu(zse_Menu& menu, unsigned indexMenu, unsigned idCmdFirst, unsigned idCmdLast,
                                 unsigned flags) const;
    ZSE_HRESULT GetCommandString(std::uintptr_t idCmd, unsigned type, char* name, unsigned cchMax) const;
    ZSE_HRESULT InvokeCommand(const char* verb) const;

private:
    void message(const std::string& text) const;

    std::vector<std::string> selected_;
    std::string shellFolder_;
    std::string moduleFolder_;
    zse_MessageFn messageFn_ = nullptr;
    void* messageContext_ = nullptr;
    int waitRetries_ = 50;
    int waitIntervalMs_ = 200;
    timespec pinnedTime_{};
};

} // namespace zdr::shellext
