#pragma once

#include "platform/ErrorCode.h"

#include <string>

namespace zdr::engine {

// text, then " - " and the system's text of code when there is a code.
std::string fc_TextWithCode(std::string text, platform::ErrorCode code);

// "Fehler bei Datei: name" or "Fehler bei Verzeichnis: name", with the code.
std::string fc_EntryErrorText(bool isFile, const std::string& name, platform::ErrorCode code);

} // namespace zdr::engine
