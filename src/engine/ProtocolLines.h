#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zdr::engine {

class FolderCopyObserver;

// One protocol record as the walk and the entry routines write it.
struct ProtocolRecord {
    std::string_view action; // "INFO", "INFO FOLDER", "COPY", "DELETE", "ATTRIB"
    std::int32_t level = 0;
    std::string_view type; // "FILE" or "FOLDER"
    std::string_view name;
    std::string_view text;
    std::string_view folder;
    std::string_view target; // for "INFO FOLDER": "DIRSTART" or "DIREND"
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
