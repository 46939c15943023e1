#pragma once

#include <optional>
#include <string_view>

namespace zdr::engine {

// What a protocol record or a reviewed row names. The words ("FILE",
// "FOLDER") are those of the protocol's rows; inside the engine compare the
// enum.
enum class EntryType { File, Folder };

constexpr std::string_view entryTypeWord(EntryType type) { return type == EntryType::File ? "FILE" : "FOLDER"; }

// The entry type a row's word names; none for any other row (a heading).
constexpr std::optional<EntryType> entryTypeOf(std::string_view word)
{
    if (word == "FILE")
        return EntryType::File;
    if (word == "FOLDER")
        return EntryType::Folder;
    return std::nullopt;
}

} // namespace zdr::engine
