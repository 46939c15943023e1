#pragma once

#include "platform/ErrorCode.h"

#include <string>

// The Windows error numbers the network connect and cancel calls answer with,
// and the texts the program shows for them.
namespace zdr::net {

namespace error {
using platform::ErrorCode;
using platform::error::kAccessDenied;
using platform::error::kBadNetName;
using platform::error::kBadNetPath;
using platform::error::kInvalidPassword;
using platform::error::kNoNetwork;
inline constexpr ErrorCode kBadDevType = 66;
inline constexpr ErrorCode kAlreadyAssigned = 85;
inline constexpr ErrorCode kBusy = 170;
inline constexpr ErrorCode kBadDevice = 1200;
inline constexpr ErrorCode kDeviceAlreadyRemembered = 1202;
inline constexpr ErrorCode kNoNetOrBadPath = 1203;
inline constexpr ErrorCode kBadProvider = 1204;
inline constexpr ErrorCode kCannotOpenProfile = 1205;
inline constexpr ErrorCode kBadProfile = 1206;
inline constexpr ErrorCode kNotConnected = 2250;
} // namespace error

// The text for a connect or cancel result; "Fehler unbekannt!" for numbers
// outside the table.
std::string fc_NetErrorText(platform::ErrorCode code);

} // namespace zdr::net
