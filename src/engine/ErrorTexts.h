#pragma once

#include "platform/ErrorCode.h"

#include <string>

namespace zdr::engine {

// A folder of the walk that cannot be opened: counted, and the walk goes on.
inline constexpr const char* kNoAccess = "Kein Zugriff!";

// text, then " - " and the system's text of code when there is a code.
std::string fc_TextWithCode(std::string text, platform::ErrorCode code);

// "Fehler bei Datei: name" or "Fehler bei Verzeichnis: name", with the code.
std::string fc_EntryErrorText(bool isFile, const std::string& name, platform::ErrorCode code);

} // namespace zdr::engine
