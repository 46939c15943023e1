#pragma once

#include "engine/PassAction.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::app {

// What a hand-off's action word runs: the coordinator's action and the fixed
// option word (information pass, automatic start for information, copy and
// attribute runs; folder-contents information for INFODIR).
struct HandOffAction {
    std::string_view word;
    engine::PassAction pass;
    std::string_view action; // the coordinator's word for the pass
    std::uint32_t status;
};

// nullptr for a word that is none of the six.
const HandOffAction* handOffAction(std::string_view word);

// The received entries ("/Bilder;/brief.txt", relative to the source folder)
// in the stored form of a task's selection: "\Bilder" for a folder (also one
// that is not there), "brief.txt" for a file. With the source folder
// "<Arbeitsplatz>" the entries are full paths and stay as they are.
std::string storedSelection(const std::string& dataList, const std::string& sourceFolder);

inline constexpr std::uint32_t kHandOffStatusEx = 0;
inline constexpr std::uint8_t kHandOffFolderInfoLevel = 2;
inline constexpr std::uint32_t kHandOffBlockBytes = 65536;

} // namespace zdr::app
