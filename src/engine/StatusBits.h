#pragma once

#include <cstdint>

// The option words of a run. Their meaning for the engine, the coordinator
// and the windows; which control sets which bit is the main window's business.
namespace zdr::engine {

namespace status {
inline constexpr std::uint32_t kCopy = 0x1;
inline constexpr std::uint32_t kWithInfo = 0x2;
inline constexpr std::uint32_t kSkipEmpty = 0x4;
inline constexpr std::uint32_t kDelete = 0x20;
inline constexpr std::uint32_t kAttrib = 0x40;
inline constexpr std::uint32_t kOnlyNewer = 0x80;
inline constexpr std::uint32_t kContinueAfterError = 0x100;
inline constexpr std::uint32_t kOverwriteExisting = 0x200;
inline constexpr std::uint32_t kOverwriteProtected = 0x400;
inline constexpr std::uint32_t kFolderOnly = 0x800;
inline constexpr std::uint32_t kCreateProtocol = 0x2000;
inline constexpr std::uint32_t kAskBeforeAction = 0x4000;
inline constexpr std::uint32_t kYield = 0x8000;
inline constexpr std::uint32_t kOnlyDifferent = 0x10000;
inline constexpr std::uint32_t kFolderEntriesInfo = 0x20000;
inline constexpr std::uint32_t kNoFileInfo = 0x40000;
inline constexpr std::uint32_t kInfoOnlyCount = 0x80000;
inline constexpr std::uint32_t kAutoStart = 0x100000;
inline constexpr std::uint32_t kMkDir = 0x200000;
inline constexpr std::uint32_t kFolderToClipboard = 0x400000;
inline constexpr std::uint32_t kSynchronise = 0x800000;
inline constexpr std::uint32_t kProtocolShowAuto = 0x1000000;
inline constexpr std::uint32_t kBlockBytes = 0x20000000;
inline constexpr std::uint32_t kAskByTargetNewer = 0x40000000;
} // namespace status

namespace statusEx {
inline constexpr std::uint32_t kSaveFiles = 0x1;
inline constexpr std::uint32_t kSaveFilesInZip = 0x2;
inline constexpr std::uint32_t kCloseAfterRun = 0x200000;
} // namespace statusEx

} // namespace zdr::engine
