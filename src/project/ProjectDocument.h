#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zdr::project {

// Control kinds by the first three letters of a control name.
enum class ControlKind { Text, Check, Combo, List, ListView, NotStored };
ControlKind controlKindOf(std::string_view controlName);

struct ListViewRow {
    std::string key;
    std::string text;
    std::vector<std::string> subItems; // sub-item 1 .. column count - 1
    bool operator==(const ListViewRow&) const = default;
};

struct ListViewData {
    std::vector<ListViewRow> rows;
    std::string selectedKey; // empty: no row selected
    bool operator==(const ListViewData&) const = default;
};

// One stored control: its name, kind and value in the form that kind keeps.
struct ProjectElement {
    std::string name;
    ControlKind kind = ControlKind::Text;
    std::string value;                    // txt text, chk / cbo number text
    std::vector<std::string> listEntries; // lst
    ListViewData listView;                // lvw
    bool operator==(const ProjectElement&) const = default;
};

// A project as the file holds it: the stored controls in file order. The
// window turns its controls into this and back; the file knows no window.
struct ProjectDocument {
    std::vector<ProjectElement> elements;

    const ProjectElement* find(std::string_view name) const;
    bool operator==(const ProjectDocument&) const = default;
};

// Row line of a list view row: key|text|selected key|sub-item 1|... with every
// "|" of a value written as "~°~" and read back as "|".
inline constexpr std::string_view kPipeEscape = "~°~";
std::string encodeRowLine(const ListViewRow& row, std::string_view selectedKey, int subItemCount);
struct DecodedRowLine {
    ListViewRow row;
    std::string selectedKey;
};
// Splits a row line and removes the escapes. Sub-items beyond the line's
// fields are absent (the caller leaves them empty).
DecodedRowLine decodeRowLine(std::string_view line);

// Readable form for test failures and developer output.
std::string describe(const ProjectElement& element);

} // namespace zdr::project
