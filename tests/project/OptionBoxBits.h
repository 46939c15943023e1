#pragma once

#include <cstdint>

namespace zdr::test {

// Every check box of the main window that counts in the option words, with
// the bits it stands for on its own.
struct OptionBoxBits {
    const char* control;
    std::uint32_t status;
    std::uint32_t statusEx;
};

inline constexpr OptionBoxBits kOptionBoxBits[] = {
    {"chkCopyWithInfo", 0x2, 0},
    {"chkCopyOnlyNewer", 0x80, 0},
    {"chkCopyContinueAfterError", 0x100, 0},
    {"chkCopyOverwriteExisting", 0x200, 0},
    {"chkCopyOverwriteProtected", 0x400, 0},
    {"chkCopyFolderOnly", 0x800, 0},
    {"chkCopyCreateProtocol", 0x2000, 0},
    {"chkCopyInfoAskBeforeAction", 0x4000, 0},
    {"chkCopyOnlyDiffrentFiles", 0x10000, 0},
    {"chkInfoAboutFolderEntries", 0x20000, 0},
    {"chkCopyNoFileInfo", 0x40000, 0},
    {"chkCopyInfoOnlyCount", 0x80000, 0},
    {"chkCopyProtocolShowAuto", 0x1000000, 0},
    {"chkCopyBlockBytes", 0x20000000, 0},
    {"chkCopyAskByTargetNewer", 0x40000000, 0},
    {"chkCopySaveFiles", 0, 0x1},
    {"chkCopySaveFilesInZip", 0, 0x2},
    // Not bits of their own: the start argument, the main window minimised.
    {"chkActionAutoStart", 0, 0},
    {"chkFormMinAfterStart", 0, 0},
};

} // namespace zdr::test
