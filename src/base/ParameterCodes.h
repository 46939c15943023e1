#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The optional task parameters, each kept as one "|"-separated code in the
// task record: the rename-after-action code (sub-item 12, readable form in 11)
// and the network-drive codes of source and target (sub-items 14 and 16).
//
// Reading is lenient and checking is strict: a parse always fills the code as
// far as its fields go (the parameter dialog shows a damaged code so the user
// can mend it), and sets an error when the code is malformed. Whoever acts on
// a code (rename, connect) does so only when the parse is ok().
namespace zdr::base {

namespace renameFlag {
inline constexpr std::uint32_t kSource = 0x2;
inline constexpr std::uint32_t kTarget = 0x4;
inline constexpr std::uint32_t kFolders = 0x8;
inline constexpr std::uint32_t kFiles = 0x10;
inline constexpr std::uint32_t kFirstLevel = 0x20;
} // namespace renameFlag

namespace netFlag {
inline constexpr std::uint32_t kDisconnectAfterAction = 0x2;
} // namespace netFlag

// A new rename parameter starts from this: source data, folders and files,
// renamed to "done " and the full name.
inline constexpr std::string_view kRenameCodeInitial = "1|26|done [NAMETOTAL]";
// The pattern that would rename every entry to its own name.
inline constexpr std::string_view kNameTotal = "[NAMETOTAL]";

// "1|26|done [NAMETOTAL]": head, switches, pattern.
struct RenameCode {
    std::string head = "1"; // field 1, kept as found; nobody reads it
    std::uint32_t flags = 0;
    std::string pattern;
    bool operator==(const RenameCode&) const = default;
};

// "2|Z:|\\server\share|user|password". The password is last, so a password
// that contains "|" still reads back whole.
struct NetConnectCode {
    std::uint32_t flags = 0;
    std::string localName; // as stored: "Z:" or "Z"
    std::string remoteName;
    std::string user;
    std::string password; // clear text, as the user typed it; see describe()
    bool disconnectAfterAction() const { return (flags & netFlag::kDisconnectAfterAction) != 0; }
    bool operator==(const NetConnectCode&) const = default;
};

template <class Code>
struct ParsedCode {
    Code code;
    bool empty = false; // no parameter at all
    std::string error;  // German reason when the code is malformed
    bool ok() const { return !empty && error.empty(); }
};

// Rename code. An empty text is no renaming. Errors: fewer or more than three
// fields, switches that are not a decimal number, switches without a
// pattern, a pattern with a folder separator (it would move the entry).
// Leniently the pattern is everything after the second "|"; a "|" inside a
// running number "[000|x]" belongs to it.
ParsedCode<RenameCode> parseRenameCode(std::string_view text);
std::string buildRenameCode(const RenameCode& code);
// Readable form, e.g. "Quelle, Verz., Dateien umbenennen in: done [NAMETOTAL]".
std::string renameText(const RenameCode& code);
// The problem lines that keep the dialog from storing; empty when it may.
std::vector<std::string> renameProblems(std::uint32_t flags, std::string_view pattern);
// The message that lists the problem lines.
std::string renameProblemMessage(const std::vector<std::string>& problems);

// Network-drive code. An empty text is no drive. Errors: fewer than five
// fields, switches that are not a decimal number, a local drive that is not
// a letter with an optional colon, a share not of the form \\server\share
// (or //server/share). An empty drive or share is allowed here: the
// connection then uses a drive that already answers. No error text ever
// carries the user or the password.
ParsedCode<NetConnectCode> parseNetConnectCode(std::string_view text);
std::string buildNetConnectCode(const NetConnectCode& code);
// What the dialog proposes for a new drive parameter of a task folder.
std::string netConnectProposal(std::string_view folder);
std::vector<std::string> netConnectProblems(const NetConnectCode& code);
std::string netConnectProblemMessage(const std::vector<std::string>& problems);
// One line for messages and logs, with the password masked.
std::string describe(const NetConnectCode& code);
// The code as stored with its password (everything after the fourth "|")
// shown as "***"; a text without a password comes back as it is, damaged
// or not.
std::string maskedNetConnectCode(std::string_view text);

// "Z:" or "Z" (any case).
bool isDriveName(std::string_view text);
// The drive as the connection uses it: a ":" appended when missing; empty
// stays empty (no drive to connect).
std::string driveName(std::string_view localName);
// \\server\share or //server/share, optionally with a folder below.
bool isShareName(std::string_view text);

} // namespace zdr::base
