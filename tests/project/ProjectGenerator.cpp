#include "ProjectGenerator.h"

#include "project/Task.h"

namespace zdr::test {

using namespace project;

std::string ProjectGenerator::text(std::size_t maxPieces)
{
    static const char* pieces[] = {"a",  "Z", " ",  "|", "~", "°", "ä", "Ö",  "ß",   "<", ">",    "&",
                                   "\"", "'", "\\", "/", ";", "*", "?", "..", "]]>", "€", "日本", "\t"};
    static const char* controls[] = {"\r\n", "\n", "\x01", "\x1f"};
    for (;;) {
        std::string out;
        for (std::size_t n = random_() % (maxPieces + 1); n > 0; --n) {
            if (control_ && random_() % 10 == 0)
                out += controls[random_() % std::size(controls)];
            else
                out += pieces[random_() % std::size(pieces)];
        }
        // "~°~" is the file's escape of "|": a value holding it, or holding
        // "~°" or "°~" beside a "|", reads back differently by the format's design.
        if (out.find("~°") == std::string::npos && out.find("°~") == std::string::npos)
            return out;
    }
}

ProjectDocument ProjectGenerator::next()
{
    static const char* textBoxes[] = {"txtFolderInfoLevel",
                                      "txtBackupDir",
                                      "txtSystemFilesDateTimeFrom",
                                      "txtSystemFilesDateTimeTo",
                                      "txtRenameAfterActionText",
                                      "txtSystemFilesExtensions",
                                      "txtSystemFilesSizeMax",
                                      "txtSystemDirAndFilesFilter",
                                      "txtSystemDir",
                                      "txtSystemTargetDir",
                                      "txtSystemDirAndFilesExclude",
                                      "txtSystemDirAndFiles",
                                      "txtFileBlockSize",
                                      "txtProjectName"};
    static const char* checkBoxes[] = {"chkCopyFolderOnly",   "chkCopySaveFilesInZip", "chkAttribute_Compressed",
                                       "chkAttribute_Hidden", "chkCopyWithInfo",       "chkCopyOnlyDiffrentFiles"};
    ProjectDocument doc;
    for (const char* name : textBoxes)
        doc.elements.push_back({name, ControlKind::Text, text(12), {}, {}});
    for (const char* name : checkBoxes)
        doc.elements.push_back({name, ControlKind::Check, std::to_string(random_() % 3), {}, {}});
    const int actions[] = {0, 1, 3, 4, 5};
    doc.elements.push_back({"cboAction", ControlKind::Combo, std::to_string(actions[random_() % 5]), {}, {}});

    ProjectElement list{"lvwMain", ControlKind::ListView, {}, {}, {}};
    const int rows = static_cast<int>(random_() % 5);
    for (int r = 0; r < rows; ++r) {
        ListViewRow row;
        row.key = "(JOB" + std::to_string(r * 3 + 1);
        row.text = text(6);
        for (int s = 1; s <= kSubItemCount; ++s) {
            // The attribute masks are numbers (or empty while untouched).
            const bool mask = s == kAttributeSet || s == kAttributeDel;
            row.subItems.push_back(!mask ? text(4) : random_() % 3 == 0 ? "" : std::to_string(random_() % 0x900));
        }
        list.listView.rows.push_back(row);
    }
    if (rows > 0 && random_() % 2 == 0)
        list.listView.selectedKey = list.listView.rows[random_() % static_cast<unsigned>(rows)].key;
    doc.elements.push_back(list);
    return doc;
}

} // namespace zdr::test
