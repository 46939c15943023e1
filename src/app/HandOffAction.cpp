#include "app/HandOffAction.h"

#include "base/Text.h"
#include "engine/StatusBits.h"
#include "platform/Paths.h"

#include <array>

namespace zdr::app {

namespace {

namespace status = engine::status;

// Every hand-off's word has bit 0x8 as well; no part of a run reads it.
constexpr std::uint32_t kHandOffMark = 0x8;
// Information first, the window's event loop turned while the run goes.
constexpr std::uint32_t kEvery = status::kWithInfo | kHandOffMark | status::kYield;
// What acts on entries goes on after an error and does not stop at read-only ones.
constexpr std::uint32_t kActing = status::kContinueAfterError | status::kOverwriteProtected;

constexpr std::uint32_t kInfo = kEvery | status::kAutoStart;
constexpr std::uint32_t kInfoDir = kInfo | status::kFolderEntriesInfo;
constexpr std::uint32_t kCopy = kEvery | status::kAutoStart | status::kCopy | kActing | status::kOverwriteExisting;
constexpr std::uint32_t kDelete = kEvery | status::kDelete | kActing; // waits for its start button
constexpr std::uint32_t kAttrib = kEvery | status::kAutoStart | status::kAttrib | kActing | status::kOverwriteExisting;
constexpr std::uint32_t kMkDir = status::kMkDir | status::kFolderToClipboard; // waits for its start button

// The words the file manager's hand-off has always sent.
static_assert(kInfo == 0x10800A && kInfoDir == 0x12800A && kCopy == 0x10870B && kDelete == 0x852A && kAttrib == 0x10874A
              && kMkDir == 0x600000);

} // namespace

const HandOffAction* handOffAction(std::string_view word)
{
    static constexpr std::array<HandOffAction, 6> actions{{
        {"INFO", engine::PassAction::Info, "INFO", kInfo},
        {"INFODIR", engine::PassAction::Info, "INFO", kInfoDir},
        {"COPY", engine::PassAction::Copy, "COPY", kCopy},
        {"DELETE", engine::PassAction::Delete, "DELETE", kDelete},
        {"ATTRIB", engine::PassAction::Attrib, "ATTRIB", kAttrib},
        {"MKDIR", engine::PassAction::MkDir, "MKDIR", kMkDir},
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
