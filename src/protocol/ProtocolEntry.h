#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zdr::protocol {

// One protocol entry as the engine sends it: eight values in fixed order.
struct ProtocolEntry {
    std::string par_Type;                 // "FILE", "FOLDER", "INFO" or another word (handled like a folder)
    std::string par_Name;                 // file name; for "FILE" rows the key is par_Folder + par_Name
    std::string par_Info;                 // display text of the row
    std::string par_Folder;               // source folder; the key of every row that is not "FILE"
    std::string par_Target;               // target folder; for an error entry the error message
    bool par_SynchActionInTarget = false; // sort by par_Target instead of par_Folder
    std::int16_t par_Level = 0;
    std::int16_t par_SystemActionTypeIndex = 0; // the copy engine's task number

    bool operator==(const ProtocolEntry&) const = default;
};

// What an entry names: a file, or a folder (as every type that is not "FILE").
enum class EntryKind : std::uint8_t { File, Folder };

// The words of the protocol's rows; inside the program compare the enum.
constexpr std::string_view entryKindWord(EntryKind kind) { return kind == EntryKind::File ? "FILE" : "FOLDER"; }

// The kind a row's word names; none for any other row (a heading).
constexpr std::optional<EntryKind> entryKindOfWord(std::string_view word)
{
    if (word == "FILE")
        return EntryKind::File;
    if (word == "FOLDER")
        return EntryKind::Folder;
    return std::nullopt;
}

inline EntryKind entryKindOf(const ProtocolEntry& entry)
{
    return entryKindOfWord(entry.par_Type).value_or(EntryKind::Folder);
}

// What the review before an action chose for one entry: ticked, unticked,
// or not in its list at all (nothing the user saw, so nothing to act on).
enum class EntryChoice : std::uint8_t { Chosen, Unticked, NotListed };

// What a review leaves chosen: the files, and the folders that go as a whole
// (none of their entries unticked).
struct ChosenCounts {
    std::int64_t files = 0;
    std::int64_t folders = 0;
};

// One step through the protocol as a work list (the engine asks, the
// protocol answers): the nine values of the request, in and out.
struct WorkListStep {
    std::string direction;      // in: "NEXT" or "PREVIOUS"
    std::string action;         // in: "COPY", "RENAME", ...
    std::int32_t index = 0;     // in: current row from 1, or -1; out: the row found, -1 or 0 when none
    std::string type;           // out: column "Typ"
    std::string sourcePath;     // out: column 2
    std::string source;         // out: the entry name
    std::string targetPath;     // out: column 3
    std::int16_t level = 0;     // out
    std::int16_t taskIndex = 0; // out: left unchanged when no row is found
    // out: the unticked rows passed over on the way (left by the review).
    std::int32_t uncheckedFiles = 0;
    std::int32_t uncheckedFolders = 0;
};

} // namespace zdr::protocol
