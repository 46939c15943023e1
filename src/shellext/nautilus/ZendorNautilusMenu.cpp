// The extension's menu in GNOME Files: a menu provider that offers the
// handler's commands on selected local folders and hands the selection over
// when one is picked.
#include "shellext/ZendorShellExtensions.h"

#include <gio/gio.h>
#include <glib-object.h>
// The header declares the module's entry points without C linkage.
extern "C" {
#include <nautilus-extension.h>
}

#include <string>
#include <thread>
#include <vector>

namespace {

struct ZendorMenuProvider {
    GObject parent;
};

struct ZendorMenuProviderClass {
    GObjectClass parent;
};

GType providerType = 0;

// What one menu item hands over when it is activated.
struct Pick {
    std::vector<std::string> paths;
    int offset;
};

void freePick(gpointer data, GClosure*) { delete static_cast<Pick*>(data); }

// The hand-off waits for the program (up to about 10 s); the file manager's
// window must not freeze meanwhile.
void onActivate(NautilusMenuItem*, gpointer data)
{
    const Pick pick = *static_cast<Pick*>(data);
    std::thread([pick] {
        std::vector<const char*> names;
        for (const std::string& p : pick.paths)
            names.push_back(p.c_str());
        zse_Handler* handler = zse_CreateHandler();
        zse_SetMessageCallback(handler, zse_ShowDesktopMessage, nullptr);
        if (zse_Initialize(handler, nullptr, names.data(), static_cast<int>(names.size())) == ZSE_S_OK)
            zse_InvokeCommand(handler, ZSE_MAKEINTVERB(pick.offset));
        zse_ReleaseHandler(handler);
    }).detach();
}

std::string withoutMnemonic(std::string text)
{
    std::erase(text, '&');
    return text;
}

GList* menuItems(const zse_Menu* menu, zse_Handler* handler, const std::vector<std::string>& paths)
{
    GList* items = nullptr;
    for (int i = 0; i < zse_GetMenuItemCount(menu); ++i) {
        zse_MenuItem entry{};
        zse_GetMenuItem(menu, i, &entry);
        if (entry.kind == ZSE_MF_SEPARATOR)
            continue; // the file manager draws its own sections
        const std::string label = withoutMnemonic(entry.text);
        if (entry.kind == ZSE_MF_POPUP) {
            NautilusMenuItem* item = nautilus_menu_item_new(("ZendorDaroRazu::" + label).c_str(), label.c_str(),
                                                            nullptr, zse_BitmapIconName(entry.bitmap));
            NautilusMenu* submenu = nautilus_menu_new();
            GList* children = menuItems(entry.submenu, handler, paths);
            for (GList* c = children; c; c = c->next)
                nautilus_menu_append_item(submenu, NAUTILUS_MENU_ITEM(c->data));
            nautilus_menu_item_list_free(children);
            nautilus_menu_item_set_submenu(item, submenu);
            items = g_list_append(items, item);
            continue;
        }
        char help[256] = {};
        zse_GetCommandString(handler, entry.id, ZSE_GCS_HELPTEXTA, nullptr, help, sizeof(help));
        const int offset = static_cast<int>(entry.id);
        NautilusMenuItem* item =
            nautilus_menu_item_new((std::string("ZendorDaroRazu::") + zse_CommandActionWord(offset)).c_str(),
                                   label.c_str(), help, zse_BitmapIconName(entry.bitmap));
        g_signal_connect_data(item, "activate", G_CALLBACK(onActivate), new Pick{paths, offset}, freePick,
                              GConnectFlags(0));
        items = g_list_append(items, item);
    }
    return items;
}

// Offered on local folders only, as the handler is registered for folders.
GList* getFileItems(NautilusMenuProvider*, GList* files)
{
    std::vector<std::string> paths;
    for (GList* f = files; f; f = f->next) {
        auto* info = NAUTILUS_FILE_INFO(f->data);
        if (!nautilus_file_info_is_directory(info))
            return nullptr;
        GFile* location = nautilus_file_info_get_location(info);
        char* path = location ? g_file_get_path(location) : nullptr;
        if (location)
            g_object_unref(location);
        if (!path)
            return nullptr;
        paths.emplace_back(path);
        g_free(path);
    }
    std::vector<const char*> names;
    for (const std::string& p : paths)
        names.push_back(p.c_str());
    zse_Handler* handler = zse_CreateHandler();
    GList* items = nullptr;
    if (zse_Initialize(handler, nullptr, names.data(), static_cast<int>(names.size())) == ZSE_S_OK) {
        zse_Menu* menu = zse_CreateMenu();
        zse_QueryContextMenu(handler, menu, 0, 0, 0xFFFF, ZSE_CMF_EXPLORE);
        items = menuItems(menu, handler, paths);
        zse_DestroyMenu(menu);
    }
    zse_ReleaseHandler(handler);
    return items;
}

void initInterface(gpointer iface, gpointer)
{
    static_cast<NautilusMenuProviderInterface*>(iface)->get_file_items = getFileItems;
}

} // namespace

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module)
{
    static const GTypeInfo info = {sizeof(ZendorMenuProviderClass), nullptr, nullptr, nullptr, nullptr, nullptr,
                                   sizeof(ZendorMenuProvider),      0,       nullptr, nullptr};
    providerType = g_type_module_register_type(module, G_TYPE_OBJECT, "ZendorMenuProvider", &info, GTypeFlags(0));
    static const GInterfaceInfo menuProvider = {initInterface, nullptr, nullptr};
    g_type_module_add_interface(module, providerType, NAUTILUS_TYPE_MENU_PROVIDER, &menuProvider);
}

G_MODULE_EXPORT void nautilus_module_shutdown(void) {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* count)
{
    static GType list[1];
    list[0] = providerType;
    *types = list;
    *count = 1;
}

} // extern "C"
