#pragma once

#include <string_view>

namespace zdr::engine {

// The engine's passes. Their words ("INFO", "COPY", ...) are what the engine's
// Action() and its events carry and what callers hand to fc_Init... entry
// points; inside the program compare the enum, not the words.
enum class PassAction { None, Info, Copy, Delete, Attrib, MkDir };

// The pass a word names; None for any other word (also the registry's).
constexpr PassAction passActionOf(std::string_view word)
{
    if (word == "INFO")
        return PassAction::Info;
    if (word == "COPY")
        return PassAction::Copy;
    if (word == "DELETE")
        return PassAction::Delete;
    if (word == "ATTRIB")
        return PassAction::Attrib;
    if (word == "MKDIR")
        return PassAction::MkDir;
    return PassAction::None;
}

// The word of a pass, as Action() and the events carry it; empty for None.
constexpr const char* passActionWord(PassAction pass)
{
    switch (pass) {
    case PassAction::Info: return "INFO";
    case PassAction::Copy: return "COPY";
    case PassAction::Delete: return "DELETE";
    case PassAction::Attrib: return "ATTRIB";
    case PassAction::MkDir: return "MKDIR";
    case PassAction::None: break;
    }
    return "";
}

// A pass that acts on the entries it finds (and may close its window after the run).
constexpr bool actsOnEntries(PassAction pass)
{
    return pass == PassAction::Copy || pass == PassAction::Delete || pass == PassAction::Attrib;
}

} // namespace zdr::engine
