// The library's C interface. Nothing may leave it as an exception: the
// callers are file managers written in C.
#include "shellext/ZendorShellExtensions.h"

#include "shellext/ContextMenuHandler.h"
#include "shellext/DesktopMessage.h"
#include "shellext/Menu.h"
#include "shellext/MenuCommands.h"

#include <new>

using zdr::shellext::ContextMenuHandler;

struct zse_Handler {
    ContextMenuHandler handler;
};

namespace {

template <typename Call>
ZSE_HRESULT guarded(zse_Handler* h, Call call)
{
    if (!h)
        return ZSE_E_INVALIDARG;
    try {
        return call(h->handler);
    } catch (const std::bad_alloc&) {
        return ZSE_E_OUTOFMEMORY;
    } catch (...) {
        return ZSE_E_FAIL;
    }
}

} // namespace

extern "C" {

zse_Handler* zse_CreateHandler(void) { return new (std::nothrow) zse_Handler; }

void zse_ReleaseHandler(zse_Handler* handler) { delete handler; }

void zse_SetMessageCallback(zse_Handler* handler, zse_MessageFn fn, void* context)
{
    if (handler)
        handler->handler.setMessageCallback(fn, context);
}

void zse_SetReceiverWait(zse_Handler* handler, int retries, int intervalMs)
{
    if (handler)
        handler->handler.setReceiverWait(retries, intervalMs);
}

void zse_PinHandOffTime(zse_Handler* handler, int64_t seconds, int32_t nanoseconds)
{
    if (handler)
        handler->handler.pinTime(timespec{.tv_sec = static_cast<time_t>(seconds), .tv_nsec = nanoseconds});
}

ZSE_HRESULT zse_Initialize(zse_Handler* handler, const char* folder, const char* const* names, int count)
{
    return guarded(handler, [&](ContextMenuHandler& h) { return h.Initialize(folder, names, count); });
}

ZSE_HRESULT zse_QueryContextMenu(zse_Handler* handler, zse_Menu* menu, unsigned indexMenu, unsigned idCmdFirst,
                                 unsigned idCmdLast, unsigned flags)
{
    if (!menu)
        return ZSE_E_INVALIDARG;
    return guarded(handler, [&](ContextMenuHandler& h) {
        return h.QueryContextMenu(*menu, indexMenu, idCmdFirst, idCmdLast, flags);
    });
}

ZSE_HRESULT zse_GetCommandString(zse_Handler* handler, uintptr_t idCmd, unsigned type, unsigned* /*reserved*/,
                                 char* name, unsigned cchMax)
{
    return guarded(handler, [&](ContextMenuHandler& h) { return h.GetCommandString(idCmd, type, name, cchMax); });
}

ZSE_HRESULT zse_InvokeCommand(zse_Handler* handler, const char* verb)
{
    return guarded(handler, [&](ContextMenuHandler& h) { return h.InvokeCommand(verb); });
}

zse_Menu* zse_CreateMenu(void) { return new (std::nothrow) zse_Menu; }

void zse_DestroyMenu(zse_Menu* menu) { delete menu; }

int zse_GetMenuItemCount(const zse_Menu* menu) { return menu ? static_cast<int>(menu->items.size()) : 0; }

int zse_GetMenuItem(const zse_Menu* menu, int position, zse_MenuItem* item)
{
    if (!menu || !item || position < 0 || position >= static_cast<int>(menu->items.size()))
        return 0;
    const zse_Menu::Item& found = menu->items[static_cast<std::size_t>(position)];
    *item = {found.kind, found.id, found.bitmap, found.text.c_str(), found.submenu.get()};
    return 1;
}

int zse_InsertMenuItem(zse_Menu* menu, unsigned position, const zse_MenuItem* item)
{
    if (!menu || !item || (item->kind == ZSE_MF_POPUP) != (item->submenu != nullptr))
        return 0;
    try {
        zse_Menu::Item copy;
        copy.kind = item->kind;
        copy.id = item->id;
        copy.bitmap = item->bitmap;
        copy.text = item->text ? item->text : "";
        menu->insert(position, std::move(copy));
    } catch (...) {
        return 0;
    }
    // Taken only once the insert cannot fail any more.
    menu->items[std::min<std::size_t>(position, menu->items.size() - 1)].submenu.reset(item->submenu);
    return 1;
}

const char* zse_CommandActionWord(int offset)
{
    const zdr::shellext::MenuCommand* command = zdr::shellext::menuCommand(offset);
    return command ? command->actionWord.data() : nullptr;
}

const char* zse_BitmapIconName(int bitmap) { return zdr::shellext::bitmapIconName(bitmap); }

void zse_ShowDesktopMessage(void* /*context*/, const char* caption, const char* text)
{
    zdr::shellext::showDesktopMessage(caption ? caption : "", text ? text : "");
}

} // extern "C"
