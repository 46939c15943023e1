#pragma once

#include "engine/PassAction.h"
#include "protocol/ProtocolEntry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::engine {

class FolderCopyObserver;

// The rows of the folder report (information pass, option 0x20000): where
// a folder's subfolders start, and where its report ends.
enum class FolderReport { None, Start, End };

// One protocol record as the walk and the entry routines write it.
struct ProtocolRecord {
    PassAction action = PassAction::None; // the pass that writes it
    std::int32_t level = 0;
    protocol::EntryKind type = protocol::EntryKind::File;
    std::string_view name;
    std::string_view text;
    std::string_view folder;
    std::string_view target;
    FolderReport report = FolderReport::None;
    bool targetSide = false;
    bool error = false;
};

// Turns records into protocol lines: list entries for the observer (the
// information pass of a "differing files" run, the folder report, errors)
// or lines of the text protocol. Remembers the folder of the last record so
// a folder heading is written once per folder.
class ProtocolLines {
public:
    // A new pass: the text protocol and the last folder start empty.
    void clear();
    void add(const ProtocolRecord& record, bool onlyDifferent, std::int16_t taskNumber, FolderCopyObserver& observer);
    const std::string& text() const { return text_; }
    // The next record writes its folder as if it were new.
    void forgetLastFolder() { lastFolder_.clear(); }
    // Takes back the text written from offset at on, provided it is still
    // line there (a folder made and removed again); false otherwise.
    bool withdraw(std::size_t at, std::string_view line);

private:
    void append(const std::string& line, FolderCopyObserver& observer);

    std::string text_;
    std::string lastFolder_;
};

} // namespace zdr::engine
