#pragma once

#include <cstdint>

// The system's error codes are the Windows numbers: the walk tests for 5
// (access denied), the network and registry tables are keyed by them, and
// messages are looked up by them. On Linux errno values are mapped into this
// space; an errno without a Windows twin keeps its value under kErrnoBase.
namespace zdr::platform {

using ErrorCode = std::uint32_t;

namespace error {
inline constexpr ErrorCode kSuccess = 0;
inline constexpr ErrorCode kInvalidFunction = 1;
inline constexpr ErrorCode kFileNotFound = 2;
inline constexpr ErrorCode kPathNotFound = 3;
inline constexpr ErrorCode kAccessDenied = 5;
inline constexpr ErrorCode kInvalidHandle = 6;
inline constexpr ErrorCode kNotEnoughMemory = 8;
inline constexpr ErrorCode kNotSameDevice = 17;
inline constexpr ErrorCode kWriteProtect = 19;
inline constexpr ErrorCode kSharingViolation = 32;
inline constexpr ErrorCode kHandleEof = 38;
inline constexpr ErrorCode kNotSupported = 50;
inline constexpr ErrorCode kBadNetPath = 53;
inline constexpr ErrorCode kBadNetName = 67;
inline constexpr ErrorCode kFileExists = 80;
inline constexpr ErrorCode kInvalidParameter = 87;
inline constexpr ErrorCode kInvalidPassword = 86;
inline constexpr ErrorCode kDiskFull = 112;
inline constexpr ErrorCode kInvalidName = 123;
inline constexpr ErrorCode kDirNotEmpty = 145;
inline constexpr ErrorCode kFilenameTooLong = 206;
inline constexpr ErrorCode kFileTooLarge = 223;
inline constexpr ErrorCode kDirectory = 267;
inline constexpr ErrorCode kIoDevice = 1117;
inline constexpr ErrorCode kRequestAborted = 1235;
inline constexpr ErrorCode kNoNetwork = 1222;
inline constexpr ErrorCode kNoSuchLogonSession = 1312;
inline constexpr ErrorCode kLogonFailure = 1326;
inline constexpr ErrorCode kTimeout = 1460;
inline constexpr ErrorCode kRpcUnavailable = 1722;
inline constexpr ErrorCode kCantResolveFilename = 1921;
// Application-defined range (bit 29), as Windows reserves it for programs.
inline constexpr ErrorCode kErrnoBase = 0x20000000;
} // namespace error

ErrorCode fromErrno(int errnoValue);

// The code of the last failed call of this thread (errno, mapped).
ErrorCode lastError();

// The system's message for a code, always German (an errno without a text
// of its own says "Unbekannter Systemfehler."), empty for 0.
const char* systemMessage(ErrorCode code);

} // namespace zdr::platform
