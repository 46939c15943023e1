#include "shellext/ServiceMenus.h"

#include "shellext/ZendorShellExtensions.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace zdr::shellext {

namespace {

namespace fs = std::filesystem;

struct Action {
    std::string word;
    std::string label;
    std::string help;
    std::string icon;
};

std::string withoutMnemonic(std::string text)
{
    std::erase(text, '&');
    return text;
}

void collect(const zse_Menu* menu, std::vector<Action>& actions)
{
    for (int i = 0; i < zse_GetMenuItemCount(menu); ++i) {
        zse_MenuItem item{};
        zse_GetMenuItem(menu, i, &item);
        if (item.kind == ZSE_MF_POPUP) {
            collect(item.submenu, actions);
        } else if (item.kind == ZSE_MF_STRING) {
            const int offset = static_cast<int>(item.id);
            zse_Handler* handler = zse_CreateHandler();
            char help[256] = {};
            zse_GetCommandString(handler, static_cast<uintptr_t>(offset), ZSE_GCS_HELPTEXTA, nullptr, help,
                                 sizeof(help));
            zse_ReleaseHandler(handler);
            const char* icon = zse_BitmapIconName(item.bitmap);
            actions.push_back({zse_CommandActionWord(offset), withoutMnemonic(item.text), help, icon ? icon : ""});
        }
    }
}

// The commands in the order of the full menu.
std::vector<Action> menuActions()
{
    zse_Handler* handler = zse_CreateHandler();
    zse_Menu* menu = zse_CreateMenu();
    zse_QueryContextMenu(handler, menu, 0, 0, 0xFFFF, ZSE_CMF_EXPLORE);
    std::vector<Action> actions;
    collect(menu, actions);
    zse_DestroyMenu(menu);
    zse_ReleaseHandler(handler);
    return actions;
}

std::string lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

// Nemo and Thunar list the entries among everybody else's, without a submenu
// of the program's: each entry names the program.
std::string namingTheProgram(const std::string& label)
{
    return label.find("Zendor") != std::string::npos ? label : label + " (Zendor DaroRazu)";
}

// Desktop entries quote an Exec argument that holds blanks.
std::string execQuoted(const std::string& path) { return '"' + path + '"'; }

bool writeFile(const fs::path& file, const std::string& text, bool executable, std::string& error)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        error = "Kann nicht schreiben: " + file.string();
        return false;
    }
    // Dolphin runs service menus outside the system folders only when executable.
    chmod(file.c_str(), executable ? 0755 : 0644);
    return true;
}

} // namespace

bool writeServiceMenus(const std::string& shareFolder, const std::string& frontEnd, std::string& error)
{
    const std::vector<Action> actions = menuActions();
    const fs::path share(shareFolder);
    const std::string exec = execQuoted(frontEnd);

    std::string dolphin = "[Desktop Entry]\nType=Service\nMimeType=inode/directory;\n"
                          "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\nX-KDE-Submenu=Zendor DaroRazu\nActions=";
    for (const Action& a : actions)
        dolphin += lower(a.word) + ";";
    dolphin += "\n";
    for (const Action& a : actions)
        dolphin += "\n[Desktop Action " + lower(a.word) + "]\nName=" + a.label + "\nIcon=" + a.icon + "\nExec=" + exec
            + " " + a.word + " %F\n";
    if (!writeFile(share / "kio/servicemenus/zendor-darorazu.desktop", dolphin, true, error))
        return false;

    for (const Action& a : actions) {
        const std::string name = "zendor-darorazu-" + lower(a.word);
        const std::string nemo = "[Nemo Action]\nName=" + namingTheProgram(a.label) + "\nComment=" + a.help
            + "\nExec=" + exec + " " + a.word + " %F\nIcon-Name=" + a.icon + "\nSelection=notnone\nExtensions=dir;\n";
        const std::string thunar = "[Desktop Entry]\nType=Application\nVersion=1.0\nName=" + namingTheProgram(a.label)
            + "\nComment=" + a.help + "\nIcon=" + a.icon + "\nExec=" + exec + " " + a.word
            + " %F\nMimeType=inode/directory;\n";
        if (!writeFile(share / "nemo/actions" / (name + ".nemo_action"), nemo, false, error)
            || !writeFile(share / "Thunar/sendto" / (name + ".desktop"), thunar, false, error))
            return false;
    }
    return true;
}

} // namespace zdr::shellext
