// The command-line front end of the context-menu extension, called by the
// service menus of file managers that take desktop entries:
//   zendor-shellext ACTION [--folder FOLDER] PATH...
//   zendor-shellext --menu [--short]
//   zendor-shellext --write-service-menus SHARE-FOLDER FRONT-END
#include "shellext/ServiceMenus.h"
#include "shellext/ZendorShellExtensions.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "Aufruf: zendor-shellext COPY|DELETE|MKDIR|INFO|INFODIR [--folder ORDNER] PFAD...\n"
                 "       zendor-shellext --menu [--short]\n"
                 "       zendor-shellext --write-service-menus SHARE-ORDNER PROGRAMM\n");
    return 2;
}

void printMenu(const zse_Menu* menu, zse_Handler* handler, int depth)
{
    for (int i = 0; i < zse_GetMenuItemCount(menu); ++i) {
        zse_MenuItem item{};
        zse_GetMenuItem(menu, i, &item);
        std::printf("%*s", depth * 4, "");
        if (item.kind == ZSE_MF_SEPARATOR) {
            std::printf("----\n");
        } else if (item.kind == ZSE_MF_POPUP) {
            std::printf("%s >\n", item.text);
            printMenu(item.submenu, handler, depth + 1);
        } else {
            char help[256] = {};
            zse_GetCommandString(handler, item.id, ZSE_GCS_HELPTEXTA, nullptr, help, sizeof(help));
            std::printf("%s [%s] - %s\n", item.text, zse_CommandActionWord(static_cast<int>(item.id)), help);
        }
    }
}

int commandOffset(const char* word)
{
    for (int offset = 1; zse_CommandActionWord(offset); ++offset)
        if (std::strcmp(zse_CommandActionWord(offset), word) == 0)
            return offset;
    return 0;
}

// File managers hand full paths; a path typed in a terminal is taken from
// the current folder.
std::string fullPath(const char* path)
{
    if (path[0] == '/')
        return path;
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal().string();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string first = argv[1];
    if (first == "--menu") {
        const bool shortForm = argc > 2 && std::strcmp(argv[2], "--short") == 0;
        zse_Handler* handler = zse_CreateHandler();
        zse_Menu* menu = zse_CreateMenu();
        zse_QueryContextMenu(handler, menu, 0, 0, 0xFFFF, shortForm ? ZSE_CMF_NORMAL : ZSE_CMF_EXPLORE);
        printMenu(menu, handler, 0);
        zse_DestroyMenu(menu);
        zse_ReleaseHandler(handler);
        return 0;
    }
    if (first == "--write-service-menus") {
        if (argc != 4)
            return usage();
        std::string error;
        if (!zdr::shellext::writeServiceMenus(argv[2], argv[3], error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        return 0;
    }

    const int offset = commandOffset(argv[1]);
    if (offset == 0)
        return usage();
    std::string folder;
    std::vector<std::string> paths;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc)
            folder = fullPath(argv[++i]);
        else
            paths.push_back(fullPath(argv[i]));
    }
    if (paths.empty())
        return usage();
    std::vector<const char*> names;
    for (const std::string& p : paths)
        names.push_back(p.c_str());

    zse_Handler* handler = zse_CreateHandler();
    zse_SetMessageCallback(handler, zse_ShowDesktopMessage, nullptr);
    ZSE_HRESULT result = zse_Initialize(handler, folder.c_str(), names.data(), static_cast<int>(names.size()));
    if (result == ZSE_S_OK)
        result = zse_InvokeCommand(handler, ZSE_MAKEINTVERB(offset));
    else
        zse_ShowDesktopMessage(nullptr, "ZendorShellExtension", "Die Auswahl kann nicht gelesen werden.");
    zse_ReleaseHandler(handler);
    return result == ZSE_S_OK ? 0 : 1;
}
