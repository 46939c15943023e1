#pragma once

#include "project/ProjectDocument.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zdr::project {

// Sub-item numbers of a task row; every reader and writer uses these.
enum SubItem : int {
    kSourceFolder = 1,
    kTargetFolder = 2,
    kInfo = 3,
    kSelection = 4,
    kExclusions = 5,
    kNameFilters = 6,
    kFilesSizeMax = 7,
    kAttributeSet = 8,
    kAttributeDel = 9,
    kExtensions = 10,
    kRenameText = 11,
    kRenameKey = 12,
    kNetSourceText = 13,
    kNetSourceKey = 14,
    kNetTargetText = 15,
    kNetTargetKey = 16,
    kDateFrom = 17,
    kDateTo = 18,
    kBackupDir = 19,
};
inline constexpr int kSubItemCount = 19;
inline constexpr int kColumnCount = kSubItemCount + 1;

// One task of a project: what the project file stores, the main window edits
// and the run coordinators and engines take. The fields a run uses come first,
// in the order the coordinators take them; for the registry actions the
// first fields change their meaning (named beside them). Texts as typed stay
// texts: the file keeps them byte for byte.
struct Task {
    std::string sourceFolder;           // registry: the computers
    std::vector<std::string> selection; // entries of the source folder; empty: all. Registry: the path
    std::string targetFolder;           // registry: the value's name
    // Attribute masks; empty while no attribute box was touched (the file
    // then keeps an empty field, not "0").
    std::optional<std::uint32_t> attributeSet;
    std::optional<std::uint32_t> attributeClear;
    std::string exclusions;  // ";"-separated, folders with a leading ""; registry: the value
    std::string nameFilters; // ";"-separated patterns; registry: the service
    std::string extensions;  // "*.txt;*.dat" as typed
    std::string sizeMaxK;    // largest file size in KB, as typed; maxSizeK() is its number
    std::string renameCode;  // rename parameter code; empty: no renaming
    std::string netSourceCode;
    std::string netTargetCode;
    std::string dateFrom; // as typed; the engine reads it
    std::string dateTo;
    std::string backupFolder;

    // The task's identity and what only the list shows.
    std::string key;
    std::string label;
    std::string info;
    std::string renameText; // readable form of renameCode
    std::string netSourceText;
    std::string netTargetText;

    std::uint32_t attributesToSet() const { return attributeSet.value_or(0); }
    std::uint32_t attributesToClear() const { return attributeClear.value_or(0); }
    // The size limit as a number (0: none); text that is no number is 0.
    std::uint32_t maxSizeK() const;
    bool operator==(const Task&) const = default;
};

// The fields by sub-item number, in their stored text form: the project
// file and the task list read and write a task only through these.
std::string fieldText(const Task& task, int subItem);
// false for a sub-item number that names no field.
bool setFieldText(Task& task, int subItem, std::string_view text);
// A task as a row of the stored task list and back; sub-items a row lacks
// stay empty.
ListViewRow taskRow(const Task& task);
Task taskFromRow(const ListViewRow& row);

struct Column {
    const char* key;
    const char* header;
    int widthTwips;
};
// The twenty columns of the task list in their fixed order.
const std::array<Column, kColumnCount>& taskColumns();

// Task numbering: the decimal value of a key from its fifth character on.
int taskNumber(std::string_view key);
int nextTaskNumber(const std::vector<Task>& tasks);
Task newTask(int number);

// Shown in the rename box while no rename parameter is stored.
inline constexpr const char* kRenameNone = "(keine - zum Bearbeiten bitte anklicken)";

// Attribute masks: four three-state boxes.
enum class CheckState : int { Cleared = 0, Checked = 1, Grey = 2 };
struct AttributeBox {
    const char* controlName;
    const char* caption;
    std::uint32_t bit;
};
const std::array<AttributeBox, 4>& attributeBoxes();
// (AttributeSet, AttributeDel) from the four boxes, in the order above.
std::pair<std::uint32_t, std::uint32_t> masksFromBoxes(const std::array<CheckState, 4>& boxes);
CheckState boxStateFromMasks(std::uint32_t bit, std::uint32_t setMask, std::uint32_t delMask);
inline constexpr const char* kAttributeLegend = "(Aktiviert => setzen; Zwischenstand => egal; Inaktiv => wegsetzen)";

// The action catalogue: list index to action code.
struct Action {
    int index;
    const char* listText; // the registry actions' texts show only while one is chosen
    const char* code;
};
const std::array<Action, 8>& actionCatalogue();
// The list offers the first six from the start; the registry actions are
// added to it when the user chooses one (and leave when a folder action is
// chosen again).
inline constexpr int kActionListCount = 6;
inline constexpr int kActionInitialIndex = 1;
inline constexpr int kActionSynchronise = 2;
inline constexpr int kActionRegistryInfo = 6;
inline constexpr int kActionRegistryChange = 7;
// Action code of a list index; empty for an unknown index.
std::string actionCode(int index);
bool isRegistryAction(int index);

} // namespace zdr::project
