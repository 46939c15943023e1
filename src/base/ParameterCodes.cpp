#include "base/ParameterCodes.h"

#include "base/Text.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace zdr::base {

namespace {

constexpr std::string_view kBreak = "\r\n";

// Decimal digits only, within 32 bits; anything else is no number, so a
// damaged code is noticed instead of read as 0.
bool readFlags(std::string_view text, std::uint32_t& flags)
{
    if (text.empty())
        return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), flags);
    return ec == std::errc() && end == text.data() + text.size();
}

std::uint32_t lenientFlags(std::string_view text)
{
    std::uint32_t flags = 0;
    return readFlags(text, flags) ? flags : 0;
}

// Fields 1 .. count-1 as split, the last one holding the rest of the text.
std::vector<std::string> splitFields(std::string_view text, std::size_t count)
{
    std::vector<std::string> fields = base::split(text, "|");
    if (fields.size() > count) {
        std::vector<std::string> rest(fields.begin() + static_cast<std::ptrdiff_t>(count - 1), fields.end());
        fields.resize(count - 1);
        fields.push_back(base::join(rest, "|"));
    }
    return fields;
}

std::string fieldCountError(const char* parameter, std::size_t found, std::size_t wanted)
{
    return std::string("Der ") + parameter + " hat " + std::to_string(found) + " statt " + std::to_string(wanted)
        + " Felder.";
}

bool hasFolderSeparator(std::string_view text)
{
    return text.find('/') != std::string_view::npos || text.find('\\') != std::string_view::npos;
}

// The "|" of a pattern that are not inside a running number "[000|x]"
// (which the pattern, the code's last field, may hold).
std::size_t barsOutsideNumbering(std::string_view pattern)
{
    std::size_t bars = 0;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] == '[') {
            const std::size_t zeros = pattern.find_first_not_of('0', at + 1);
            const std::size_t digits =
                zeros == std::string_view::npos ? zeros : pattern.find_first_not_of("0123456789", zeros + 1);
            if (zeros > at + 1 && digits != std::string_view::npos && pattern[zeros] == '|' && digits > zeros + 1
                && pattern[digits] == ']')
                at = digits;
        } else if (pattern[at] == '|') {
            ++bars;
        }
    }
    return bars;
}

constexpr std::array<std::string_view, 10> kPlaceholders = {"[NAME]", "[EXT]", "[NAMETOTAL]", "[yy]", "[yyyy]",
                                                            "[mm]",   "[dd]",  "[hh]",        "[nn]", "[ss]"};

// Bracketed words of a pattern that name a placeholder in the wrong case,
// and whether a "[" is left without its "]".
void checkBrackets(std::string_view pattern, std::vector<std::string>& problems)
{
    bool unterminated = false;
    for (std::size_t open = pattern.find('['); open != std::string_view::npos; open = pattern.find('[', open + 1)) {
        const std::size_t close = pattern.find(']', open);
        const std::size_t nextOpen = pattern.find('[', open + 1);
        if (close == std::string_view::npos || nextOpen < close) {
            unterminated = true;
            continue;
        }
        const std::string_view word = pattern.substr(open, close - open + 1);
        for (std::string_view placeholder : kPlaceholders) {
            if (word != placeholder && base::iequals(word, placeholder)) {
                std::string line =
                    " - Platzhalter '" + std::string(word) + "' bitte als '" + std::string(placeholder) + "' schreiben";
                if (std::find(problems.begin(), problems.end(), line) == problems.end())
                    problems.push_back(std::move(line));
                break;
            }
        }
    }
    if (unterminated)
        problems.emplace_back(" - im Umbenennungscode fehlt eine schließende Klammer ']'");
}

std::string problemMessage(const std::vector<std::string>& problems, std::string_view closing)
{
    return "Fehlerhafte Einstellung," + std::string(kBreak) + std::string(kBreak) + base::join(problems, kBreak)
        + std::string(kBreak) + std::string(kBreak) + std::string(closing);
}

constexpr std::string_view kFillAllFields = " - bitte füllen Sie alle Felder aus'";

} // namespace

ParsedCode<RenameCode> parseRenameCode(std::string_view text)
{
    ParsedCode<RenameCode> result;
    if (text.empty()) {
        result.empty = true;
        return result;
    }
    const std::vector<std::string> fields = splitFields(text, 3);
    const std::size_t found = fields.size() < 3 ? fields.size() : 3 + barsOutsideNumbering(fields[2]);
    // Without any "|" nothing says which field the text is; a new code starts.
    if (fields.size() >= 2) {
        result.code.head = fields[0];
        result.code.flags = lenientFlags(fields[1]);
    }
    if (fields.size() >= 3)
        result.code.pattern = fields[2];

    std::uint32_t flags = 0;
    if (found != 3)
        result.error = fieldCountError("Umbenennungsparameter", found, 3);
    else if (!readFlags(fields[1], flags))
        result.error = "Die Schalter des Umbenennungsparameters sind keine Zahl: '" + fields[1] + "'.";
    else if (flags != 0 && fields[2].empty())
        result.error = "Der Umbenennungsparameter enthält keinen Umbenennungscode.";
    else if (hasFolderSeparator(fields[2]))
        result.error = "Der Umbenennungscode '" + fields[2] + "' enthält ein Verzeichnistrennzeichen.";
    return result;
}

std::string buildRenameCode(const RenameCode& code)
{
    return code.head + "|" + std::to_string(code.flags) + "|" + code.pattern;
}

std::string renameText(const RenameCode& code)
{
    using namespace renameFlag;
    std::string parts;
    if ((code.flags & kSource) && (code.flags & kTarget))
        parts += "Quelle und Ziel, ";
    else if (code.flags & kSource)
        parts += "Quelle, ";
    else if (code.flags & kTarget)
        parts += "Ziel, ";
    if (code.flags & kFolders)
        parts += "Verz., ";
    if (code.flags & kFiles)
        parts += "Dateien, ";
    if (code.flags & kFirstLevel)
        parts += "NUR 1. Ebene, ";
    if (parts.size() >= 2)
        parts.resize(parts.size() - 2);
    return parts + " umbenennen in: " + code.pattern;
}

std::vector<std::string> renameProblems(std::uint32_t flags, std::string_view pattern)
{
    using namespace renameFlag;
    std::vector<std::string> problems;
    if (!(flags & (kSource | kTarget)))
        problems.emplace_back(" - bitte wählen Sie 'Quell-' oder 'Zieldaten'");
    if (!(flags & (kFolders | kFiles)))
        problems.emplace_back(" - bitte wählen Sie 'Order' oder 'Dateien' aus");
    if (pattern.empty()) {
        problems.emplace_back(" - bitte geben Sie einen Umbenennungscode an'");
        return problems;
    }
    if (pattern == kNameTotal) {
        problems.emplace_back(" - aus dem Code [NAMETOTAL] wird keine Umbenennung ausgeführt, da er übereinstimmt'");
        return problems;
    }
    // A "|" outside a running number would end the pattern when the code is read back; a separator
    // would move the entry into another folder.
    if (barsOutsideNumbering(pattern) != 0)
        problems.emplace_back(" - der Umbenennungscode darf kein '|' enthalten");
    if (hasFolderSeparator(pattern))
        problems.emplace_back(" - der Umbenennungscode darf kein '\\' oder '/' enthalten");
    checkBrackets(pattern, problems);
    return problems;
}

std::string renameProblemMessage(const std::vector<std::string>& problems)
{
    return problemMessage(problems, " für die Umbenennung!");
}

ParsedCode<NetConnectCode> parseNetConnectCode(std::string_view text)
{
    ParsedCode<NetConnectCode> result;
    if (text.empty()) {
        result.empty = true;
        return result;
    }
    std::vector<std::string> fields = splitFields(text, 5);
    const std::size_t found = fields.size();
    fields.resize(5);
    NetConnectCode& code = result.code;
    code.flags = lenientFlags(fields[0]);
    code.localName = fields[1];
    code.remoteName = fields[2];
    code.user = fields[3];
    code.password = fields[4];

    // The texts name the faulty field but never quote user or password.
    std::uint32_t flags = 0;
    if (found < 5)
        result.error = fieldCountError("Netzlaufwerksparameter", found, 5);
    else if (!readFlags(fields[0], flags))
        result.error = "Die Schalter des Netzlaufwerksparameters sind keine Zahl.";
    else if (!code.localName.empty() && !isDriveName(code.localName))
        result.error = "Das lokale Laufwerk '" + code.localName + "' ist kein Laufwerksbuchstabe mit Doppelpunkt.";
    else if (!code.remoteName.empty() && !isShareName(code.remoteName))
        result.error = "Die Netzwerkfreigabe '" + code.remoteName + "' hat nicht die Form \\\\Server\\Freigabe.";
    return result;
}

std::string buildNetConnectCode(const NetConnectCode& code)
{
    return std::to_string(code.flags) + "|" + code.localName + "|" + code.remoteName + "|" + code.user + "|"
        + code.password;
}

std::string netConnectProposal(std::string_view folder)
{
    if (folder.size() >= 2 && folder[1] == ':')
        return "2|" + std::string(folder.substr(0, 2)) + "|||";
    return "2||||";
}

std::vector<std::string> netConnectProblems(const NetConnectCode& code)
{
    std::vector<std::string> problems;
    if (code.localName.empty() || code.remoteName.empty() || code.user.empty() || code.password.empty())
        problems.emplace_back(kFillAllFields);
    if (!code.localName.empty() && !isDriveName(code.localName))
        problems.emplace_back(" - bitte geben Sie das lokale Laufwerk als Buchstaben mit Doppelpunkt an (z.B.: Z:)");
    if (!code.remoteName.empty() && !isShareName(code.remoteName))
        problems.emplace_back(" - bitte geben Sie die Netzwerkfreigabe in der Form \\\\Server\\Freigabe an");
    // The password is the last field and may hold "|"; the user may not.
    if (code.user.find('|') != std::string::npos)
        problems.emplace_back(" - der Benutzername darf kein '|' enthalten");
    return problems;
}

std::string netConnectProblemMessage(const std::vector<std::string>& problems)
{
    const bool unfilled = std::find(problems.begin(), problems.end(), kFillAllFields) != problems.end();
    return problemMessage(problems,
                          unfilled ? " für die Herstellung des Netzlaufwerks bitte alle Eingabefelder ausfüllen!"
                                   : " für die Herstellung des Netzlaufwerks!");
}

std::string describe(const NetConnectCode& code)
{
    std::string text = "Netzlaufwerk " + (code.localName.empty() ? std::string("(kein Laufwerk)") : code.localName)
        + " = " + (code.remoteName.empty() ? std::string("(keine Freigabe)") : code.remoteName);
    if (!code.user.empty())
        text += ", Benutzer " + code.user;
    text += code.password.empty() ? ", ohne Kennwort" : ", Kennwort ***";
    if (code.disconnectAfterAction())
        text += ", nach der Aktion trennen";
    return text;
}

std::string maskedNetConnectCode(std::string_view text)
{
    std::size_t at = 0;
    for (int field = 1; field < 5; ++field) {
        at = text.find('|', at);
        if (at == std::string_view::npos)
            return std::string(text);
        ++at;
    }
    return at == text.size() ? std::string(text) : std::string(text.substr(0, at)) + "***";
}

bool isDriveName(std::string_view text)
{
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return (text.size() == 1 && isLetter(text[0])) || (text.size() == 2 && isLetter(text[0]) && text[1] == ':');
}

std::string driveName(std::string_view localName)
{
    std::string name(localName);
    if (!name.empty() && !base::endsWith(name, ":"))
        name += ':';
    return name;
}

bool isShareName(std::string_view text)
{
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (text.size() < 5 || !isSeparator(text[0]) || !isSeparator(text[1]) || text.find('|') != std::string_view::npos)
        return false;
    const std::string_view rest = text.substr(2);
    const std::size_t serverEnd = rest.find_first_of("\\/");
    if (serverEnd == 0 || serverEnd == std::string_view::npos)
        return false;
    const std::string_view share = rest.substr(serverEnd + 1);
    return !share.empty() && !isSeparator(share[0]);
}

} // namespace zdr::base
