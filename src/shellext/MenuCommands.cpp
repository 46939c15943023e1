#include "shellext/MenuCommands.h"

namespace zdr::shellext {

const std::array<MenuCommand, 5>& menuCommands()
{
    static const std::array<MenuCommand, 5> commands{{
        {kCopy, "&Kopieren (Zendor Daten kopieren)", 101,
         "Zendor Copy Copy - Sicheres Kopieren von Dateien und Ordnern", "COPY"},
        {kDelete, "&Löschen (Zendor Daten löschen)", 102, "Zendor Copy Delete - Löschen von Dateien und Ordnern",
         "DELETE"},
        {kMkDir, "&Verzeichnis anlegen", 104, "Verzeichnis anlegen", "MKDIR"},
        {kInfo, "&Informationen", 103, "Zendor Copy Informationen über Dateien und Ordner", "INFO"},
        {kInfoDir, "&Informationen Ordner Platzbedarf", 103, "Zendor Copy Informationen über Platzbelegung Ordner",
         "INFODIR"},
    }};
    return commands;
}

const MenuCommand* menuCommand(int offset)
{
    if (offset < 1 || offset > static_cast<int>(menuCommands().size()))
        return nullptr;
    return &menuCommands()[static_cast<std::size_t>(offset - 1)];
}

const char* bitmapIconName(int bitmap)
{
    switch (bitmap) {
    case 101: return "edit-copy";
    case 102: return "edit-delete";
    case 103: return "dialog-information";
    case 104: return "folder-new";
    default: return nullptr;
    }
}

} // namespace zdr::shellext
