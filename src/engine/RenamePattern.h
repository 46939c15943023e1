#pragma once

#include "base/DateText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::engine {

// What the placeholders of a rename pattern stand for, for one entry.
struct RenameValues {
    std::string name;           // the entry's current name
    bool isFile = true;         // folders have no extension
    base::LocalDateTime now;    // the present
    std::uint64_t numbered = 0; // entries of the task that took a number before this one
};

// The new name: the pattern with its placeholders replaced, read once from
// left to right (so brackets in the entry's own name are never taken for
// placeholders):
//   [NAMETOTAL] the whole name, [NAME] the name without its extension,
//   [EXT] the extension with its dot (empty for folders and names without
//   one), [yyyy] [yy] [mm] [dd] [hh] [nn] [ss] the present, and [000|x] a
//   running number from x, with at least as many digits as zeros.
// Any other text stays as it is. numberUsed: the pattern took a number.
std::string fc_RenameName(std::string_view pattern, const RenameValues& values, bool& numberUsed);

// The pattern gives running numbers ([000|x]).
bool fc_RenameNumbers(std::string_view pattern);

// A name an entry can be given in its own folder: not empty, not "." or
// "..", no folder separator, no NUL.
bool fc_RenameNameValid(std::string_view name);

} // namespace zdr::engine
