#pragma once

#include "platform/ErrorCode.h"

#include <cstdint>
#include <string>

namespace zdr::engine {

// A folder of the walk that cannot be opened: counted, and the walk goes on.
inline constexpr const char* kNoAccess = "Kein Zugriff!";

// text, then " - " and the system's text of code when there is a code.
std::string fc_TextWithCode(std::string text, platform::ErrorCode code);

// "Fehler bei Datei: name" or "Fehler bei Verzeichnis: name", with the code.
std::string fc_EntryErrorText(bool isFile, const std::string& name, platform::ErrorCode code);

// The copy's text when its target entry could not be made: where the volume
// may refuse names that Windows refuses and this is one, the text says the
// name is not allowed there (the volumes answer "not found" or "invalid").
std::string fc_TargetErrorText(bool isFile, const std::string& name, platform::ErrorCode code, bool volumeRefusesNames);
// A file that would go over the one this run copied as twin, whose name
// differs only in letter case, on a volume that takes them for one.
std::string fc_CaseTwinText(const std::string& name, const std::string& twin);
// A file larger than the target volume holds (largest: its limit in bytes).
std::string fc_TooLargeText(const std::string& name, std::uint64_t largest);

} // namespace zdr::engine
