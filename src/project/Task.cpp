#include "project/Task.h"

#include "base/Text.h"

#include <algorithm>
#include <climits>

namespace zdr::project {

const std::array<Column, kColumnCount>& taskColumns()
{
    static const std::array<Column, kColumnCount> columns{{
        {"COL1", "Bezeichnung", 2000},
        {"COL2", "Quelle", 2500},
        {"COL3", "Ziel", 2500},
        {"COL4", "Info", 1000},
        {"COL5", "FolderAndFiles", 0},
        {"COL6", "FolderAndFilesExclude", 0},
        {"COL7", "FolderAndFilesFilter", 0},
        {"COL8", "FilesSizeMax", 0},
        {"COL9", "AttributeSet", 0},
        {"COL10", "AttributeDel", 0},
        {"COL11", "FilesExtensions", 0},
        {"COL12", "RenameActionText", 0},
        {"COL13", "RenameActionKEY", 0},
        {"COL14", "NetConnectSourceText", 0},
        {"COL15", "NetConnectSourceKEY", 0},
        {"COL16", "NetConnectTargetText", 0},
        {"COL17", "NetConnectTargetKEY", 0},
        {"COL18", "DateTimeFrom", 0},
        {"COL19", "DateTimeTo", 0},
        {"COL20", "FileBackupDir", 0},
    }};
    return columns;
}

std::uint32_t Task::maxSizeK() const
{
    return static_cast<std::uint32_t>(std::clamp<long long>(base::numberValue(sizeMaxK), 0, UINT32_MAX));
}

namespace {

std::string maskText(const std::optional<std::uint32_t>& mask) { return mask ? std::to_string(*mask) : std::string(); }

std::optional<std::uint32_t> maskOf(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return static_cast<std::uint32_t>(std::clamp<long long>(base::numberValue(text), 0, UINT32_MAX));
}

// The text fields by sub-item; the two masks and the selection are typed.
std::string Task::*textField(int subItem)
{
    switch (subItem) {
    case kSourceFolder: return &Task::sourceFolder;
    case kTargetFolder: return &Task::targetFolder;
    case kInfo: return &Task::info;
    case kExclusions: return &Task::exclusions;
    case kNameFilters: return &Task::nameFilters;
    case kFilesSizeMax: return &Task::sizeMaxK;
    case kExtensions: return &Task::extensions;
    case kRenameText: return &Task::renameText;
    case kRenameKey: return &Task::renameCode;
    case kNetSourceText: return &Task::netSourceText;
    case kNetSourceKey: return &Task::netSourceCode;
    case kNetTargetText: return &Task::netTargetText;
    case kNetTargetKey: return &Task::netTargetCode;
    case kDateFrom: return &Task::dateFrom;
    case kDateTo: return &Task::dateTo;
    case kBackupDir: return &Task::backupFolder;
    default: return nullptr;
    }
}

} // namespace

std::string fieldText(const Task& task, int subItem)
{
    switch (subItem) {
    case kSelection: return base::join(task.selection, ";");
    case kAttributeSet: return maskText(task.attributeSet);
    case kAttributeDel: return maskText(task.attributeClear);
    default: break;
    }
    std::string Task::*field = textField(subItem);
    return field ? task.*field : std::string();
}

bool setFieldText(Task& task, int subItem, std::string_view text)
{
    switch (subItem) {
    case kSelection: task.selection = text.empty() ? std::vector<std::string>() : base::split(text, ";"); return true;
    case kAttributeSet: task.attributeSet = maskOf(text); return true;
    case kAttributeDel: task.attributeClear = maskOf(text); return true;
    default: break;
    }
    std::string Task::*field = textField(subItem);
    if (field == nullptr)
        return false;
    task.*field = std::string(text);
    return true;
}

ListViewRow taskRow(const Task& task)
{
    ListViewRow row{task.key, task.label, {}};
    for (int subItem = 1; subItem <= kSubItemCount; ++subItem)
        row.subItems.push_back(fieldText(task, subItem));
    return row;
}

Task taskFromRow(const ListViewRow& row)
{
    Task task;
    task.key = row.key;
    task.label = row.text;
    for (std::size_t i = 0; i < row.subItems.size(); ++i)
        setFieldText(task, static_cast<int>(i) + 1, row.subItems[i]);
    return task;
}

int taskNumber(std::string_view key)
{
    if (key.size() <= 4)
        return 0;
    const long long n = base::numberValue(key.substr(4));
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

int nextTaskNumber(const std::vector<Task>& tasks)
{
    int highest = 0;
    for (const Task& task : tasks)
        highest = std::max(highest, taskNumber(task.key));
    return highest == INT_MAX ? INT_MAX : highest + 1;
}

Task newTask(int number)
{
    Task task;
    task.key = "(JOB" + std::to_string(number);
    task.label = "(neuer Eintrag " + std::to_string(number) + ")";
    return task;
}

const std::array<AttributeBox, 4>& attributeBoxes()
{
    static const std::array<AttributeBox, 4> boxes{{
        {"chkAttribute_Protected", "geschützt", 0x1},
        {"chkAttribute_Hidden", "versteckt", 0x2},
        {"chkAttribute_Archive", "Archiv", 0x20},
        {"chkAttribute_Compressed", "komprimiert", 0x800},
    }};
    return boxes;
}

std::pair<std::uint32_t, std::uint32_t> masksFromBoxes(const std::array<CheckState, 4>& boxes)
{
    std::uint32_t set = 0;
    std::uint32_t del = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i] == CheckState::Checked)
            set |= attributeBoxes()[i].bit;
        else if (boxes[i] == CheckState::Cleared)
            del |= attributeBoxes()[i].bit;
    }
    return {set, del};
}

CheckState boxStateFromMasks(std::uint32_t bit, std::uint32_t setMask, std::uint32_t delMask)
{
    if ((setMask & bit) != 0)
        return CheckState::Checked;
    if ((delMask & bit) != 0)
        return CheckState::Cleared;
    return CheckState::Grey;
}

const std::array<Action, 8>& actionCatalogue()
{
    static const std::array<Action, 8> actions{{
        {0, "Informationen über Daten", "INFO"},
        {1, "Daten kopieren", "COPY"},
        {2, "Daten synchronisieren (noch inaktiv)", "COPY"},
        {3, "Daten löschen", "DELETE"},
        {4, "Attribute verändern", "ATTRIB"},
        {5, "Verzeichnis erstellen", "MKDIR"},
        {6, "Registry Informationen über Computer", "INFO"},
        {7, "Computer Registry ändern", "CHANGE"},
    }};
    return actions;
}

std::string actionCode(int index)
{
    if (index < 0 || index >= static_cast<int>(actionCatalogue().size()))
        return {};
    return actionCatalogue()[static_cast<std::size_t>(index)].code;
}

bool isRegistryAction(int index) { return index == kActionRegistryInfo || index == kActionRegistryChange; }

} // namespace zdr::project
