#pragma once

#include "protocol/ProtocolEntry.h"

#include <string>
#include <utility>
#include <vector>

namespace zdr::run {

// The protocol file of a run without a person at the screen: each pass
// appends its list rows, its text protocol and how it ended, in plain lines,
// so a script can show what the run did.
class RunLog {
public:
    explicit RunLog(std::string fileName) : file_(std::move(fileName)) {}

    void passStarted(const std::string& action, const std::string& heading);
    void entry(const protocol::ProtocolEntry& entry, bool error);
    // The engine withdrew a folder's row (a filtered folder with nothing to do).
    void removeRow(const std::string& key);
    // state: the window's final state line; details: its summary and message
    // lines; protocolText: the pass's text protocol. A pass that ends without
    // having started (nothing to copy) is headed by its action.
    void passEnded(const std::string& action, const std::string& state, const std::string& details,
                   const std::string& protocolText);
    // A line of its own (a run that did not start, ...).
    void note(const std::string& line);

private:
    void append(const std::string& text);

    std::string file_;
    std::vector<std::pair<std::string, std::string>> rows_; // row key, line
    bool passOpen_ = false;
};

} // namespace zdr::run
