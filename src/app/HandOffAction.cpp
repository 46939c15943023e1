#include "app/HandOffAction.h"

#include "platform/Paths.h"
#include "base/Text.h"

#include <array>

namespace zdr::app {

const HandOffAction* handOffAction(std::string_view word)
{
    static constexpr std::array<HandOffAction, 6> actions {{
        {"INFO", "INFO", 0x10800A},
        {"INFODIR", "INFO", 0x12800A},
        {"COPY", "COPY", 0x10870B},
        {"DELETE", "DELETE", 0x852A},
        {"ATTRIB", "ATTRIB", 0x10874A},
        {"MKDIR", "MKDIR", 0x600000},
    }};
    for (const HandOffAction& a : actions)
        if (a.word == word)
            return &a;
    return nullptr;
}

std::string storedSelection(const std::string& dataList, const std::string& sourceFolder)
{
    if (dataList.empty() || sourceFolder == "<Arbeitsplatz>")
        return dataList;
    std::vector<std::string> entries = base::split(dataList, ";");
    for (std::string& entry : entries) {
        const std::string relative = platform::entryToRelativePath(entry);
        const std::string full = platform::joinPath(sourceFolder, relative);
        if (platform::pathExists(full) && !platform::isDirectory(full))
            entry = base::replaceAll(relative, platform::kSeparatorText, "\\");
        else
            entry = platform::folderEntryFromRelativePath(relative);
    }
    return base::join(entries, ";");
}

} // namespace zdr::app
