#pragma once

#include <cstdint>
#include <string_view>

namespace zdr::app {

// What a hand-off's action word runs: the coordinator's action and the fixed
// option word (information pass, automatic start for information, copy and
// attribute runs; folder-contents information for INFODIR).
struct HandOffAction {
    std::string_view word;
    std::string_view action;
    std::uint32_t status;
};

// nullptr for a word that is none of the six.
const HandOffAction* handOffAction(std::string_view word);

inline constexpr std::uint32_t kHandOffStatusEx = 0;
inline constexpr std::uint8_t kHandOffFolderInfoLevel = 2;
inline constexpr std::uint32_t kHandOffBlockBytes = 65536;

} // namespace zdr::app
