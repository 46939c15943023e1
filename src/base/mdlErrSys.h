#pragma once

#include "platform/ErrorCode.h"

#include <string>

namespace zdr::base {

inline constexpr const char* kCrLf = "\r\n";

// The system's text for an error code, optionally headed by the program's
// title and a blank line. Code 0 gives an empty text.
std::string fc_GetApiErrorText(platform::ErrorCode code, bool withTitle = false, bool withBlankLine = false);

} // namespace zdr::base
