#include "run/RunLog.h"

#include "base/Text.h"

#include <cstdio>

namespace zdr::run {

namespace {

// The program's texts end lines with CR LF; the file is read on Linux.
std::string lines(const std::string& text, const char* indent)
{
    std::string out;
    for (const std::string& line : base::split(base::replaceAll(text, "\r\n", "\n"), "\n"))
        if (!base::trim(line).empty())
            out += indent + line + "\n";
    return out;
}

} // namespace

void RunLog::passStarted(const std::string& action, const std::string& heading)
{
    rows_.clear();
    passOpen_ = true;
    append("=== " + action + ": " + heading + "\n");
}

void RunLog::entry(const protocol::ProtocolEntry& entry, bool error)
{
    // Rows keep their indentation; a text line's leading break goes.
    const std::string info = base::replaceAll(entry.par_Info, "\r\n", "");
    // Rows are keyed as the protocol list keys them, so a withdrawn row goes.
    // A folder's row holds the folder's own path; its name is already in it.
    const bool file = protocol::entryKindOf(entry) == protocol::EntryKind::File;
    const std::string key = file ? entry.par_Folder + entry.par_Name : entry.par_Folder;
    const std::string path = file ? entry.par_Folder + "/" + entry.par_Name : entry.par_Folder;
    rows_.emplace_back(key,
                       error ? "  FEHLER: " + (base::trim(info).empty() ? base::escapeControls(path) : base::trim(info))
                               + " - " + base::escapeControls(entry.par_Target) + "\n"
                             : "  " + info + "\n");
}

void RunLog::removeRow(const std::string& key)
{
    std::erase_if(rows_, [&](const auto& row) { return row.first == key; });
}

void RunLog::passEnded(const std::string& action, const std::string& state, const std::string& details,
                       const std::string& protocolText)
{
    std::string text = passOpen_ ? "" : "=== " + action + "\n";
    passOpen_ = false;
    if (!rows_.empty()) {
        text += "Liste:\n";
        for (const auto& row : rows_)
            text += row.second;
    }
    if (!base::trim(protocolText).empty())
        text += "Protokoll:\n" + lines(protocolText, "  ");
    text += "Ergebnis: " + state + "\n" + lines(details, "  ") + "\n";
    rows_.clear();
    append(text);
}

void RunLog::note(const std::string& line) { append(line + "\n"); }

void RunLog::append(const std::string& text)
{
    if (std::FILE* f = std::fopen(file_.c_str(), "a")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}

} // namespace zdr::run
