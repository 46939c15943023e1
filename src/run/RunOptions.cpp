#include "run/RunOptions.h"

#include "engine/StatusBits.h"

#include <array>

namespace zdr::run {

namespace status = engine::status;
namespace statusEx = engine::statusEx;

std::span<const RunOptionBit> runOptionBits()
{
    static constexpr std::array<RunOptionBit, 19> bits{{
        {"chkCopyWithInfo", status::kWithInfo, false},
        {"chkCopyOnlyNewer", status::kOnlyNewer, false},
        {"chkCopyContinueAfterError", status::kContinueAfterError, false},
        {"chkCopyOverwriteExisting", status::kOverwriteExisting, false},
        {"chkCopyOverwriteProtected", status::kOverwriteProtected, false},
        {"chkCopyFolderOnly", status::kFolderOnly, false},
        {"chkCopyCreateProtocol", status::kCreateProtocol, false},
        {"chkCopyInfoAskBeforeAction", status::kAskBeforeAction, false},
        {"chkCopyOnlyDiffrentFiles", status::kOnlyDifferent, false},
        {"chkInfoAboutFolderEntries", status::kFolderEntriesInfo, false},
        {"chkCopyNoFileInfo", status::kNoFileInfo, false},
        {"chkCopyInfoOnlyCount", status::kInfoOnlyCount, false},
        {"chkCopyProtocolShowAuto", status::kProtocolShowAuto, false},
        {"chkCopyBlockBytes", status::kBlockBytes, false},
        {"chkCopyAskByTargetNewer", status::kAskByTargetNewer, false},
        {"chkCopySaveFiles", statusEx::kSaveFiles, true},
        {"chkCopySaveFilesInZip", statusEx::kSaveFilesInZip, true},
        // Not bits: chkActionAutoStart chooses the start argument, chkFormMinAfterStart
        // minimises the main window.
        {"chkActionAutoStart", 0, false},
        {"chkFormMinAfterStart", 0, false},
    }};
    return bits;
}

RunWords fc_RunWords(int actionIndex, const std::function<int(std::string_view control)>& checkValue, bool autoStart,
                     bool closeAfterRun)
{
    RunWords words;
    for (const RunOptionBit& option : runOptionBits())
        if (checkValue(option.control) == 1)
            (option.extended ? words.statusEx : words.status) |= option.bit;
    switch (actionIndex) {
    case 0: words.status &= ~(status::kOnlyNewer | status::kOnlyDifferent); break;
    case 1: words.status |= status::kCopy; break;
    case 2: words.status |= status::kCopy | status::kSynchronise; break;
    case 3: words.status |= status::kDelete; break;
    case 4: words.status |= status::kAttrib; break;
    case 5: words.status |= status::kMkDir | status::kFolderToClipboard; break;
    default: break;
    }
    words.status |= status::kYield;
    if (autoStart)
        words.status |= status::kAutoStart;
    if (closeAfterRun)
        words.statusEx |= statusEx::kCloseAfterRun;
    return words;
}

} // namespace zdr::run
