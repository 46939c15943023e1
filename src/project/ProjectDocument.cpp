#include "project/ProjectDocument.h"

#include "base/Text.h"

namespace zdr::project {

ControlKind controlKindOf(std::string_view controlName)
{
    const std::string prefix = base::toUpper(controlName.substr(0, 3));
    if (prefix == "TXT")
        return ControlKind::Text;
    if (prefix == "CHK")
        return ControlKind::Check;
    if (prefix == "CBO")
        return ControlKind::Combo;
    if (prefix == "LST")
        return ControlKind::List;
    if (prefix == "LVW")
        return ControlKind::ListView;
    return ControlKind::NotStored;
}

const ProjectElement* ProjectDocument::find(std::string_view name) const
{
    for (const ProjectElement& element : elements)
        if (element.name == name)
            return &element;
    return nullptr;
}

namespace {

std::string escapePipes(std::string_view value) { return base::replaceAll(value, "|", kPipeEscape); }
std::string unescapePipes(std::string_view value) { return base::replaceAll(value, kPipeEscape, "|"); }

} // namespace

std::string encodeRowLine(const ListViewRow& row, std::string_view selectedKey, int subItemCount)
{
    // Keys are read back with their escapes removed, so a key holding "|" is
    // escaped too; the program's own keys ("(JOB" + number) never hold one.
    std::string line = escapePipes(row.key);
    line += '|';
    line += escapePipes(row.text);
    line += '|';
    line += escapePipes(selectedKey);
    for (int i = 0; i < subItemCount; ++i) {
        line += '|';
        if (static_cast<std::size_t>(i) < row.subItems.size())
            line += escapePipes(row.subItems[static_cast<std::size_t>(i)]);
    }
    return line;
}

DecodedRowLine decodeRowLine(std::string_view line)
{
    const std::vector<std::string> fields = base::split(line, "|");
    DecodedRowLine decoded;
    decoded.row.key = unescapePipes(fields[0]);
    if (fields.size() > 1)
        decoded.row.text = unescapePipes(fields[1]);
    // The selected key names a row key, so it is read like one.
    if (fields.size() > 2)
        decoded.selectedKey = unescapePipes(fields[2]);
    for (std::size_t k = 3; k < fields.size(); ++k)
        decoded.row.subItems.push_back(unescapePipes(fields[k]));
    return decoded;
}

std::string describe(const ProjectElement& element)
{
    std::string out = element.name + " = '" + element.value + "'";
    for (const std::string& entry : element.listEntries)
        out += "\n  LST '" + entry + "'";
    for (const ListViewRow& row : element.listView.rows)
        out += "\n  LVW " + encodeRowLine(row, element.listView.selectedKey, static_cast<int>(row.subItems.size()));
    return out;
}

} // namespace zdr::project
