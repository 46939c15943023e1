#pragma once

#include <array>
#include <cstdint>
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

// One row of the task list: the row is the record.
struct Task {
    std::string key;
    std::string label;
    std::array<std::string, kSubItemCount> subItems;

    const std::string& field(int subItem) const { return subItems.at(static_cast<std::size_t>(subItem - 1)); }
    std::string& field(int subItem) { return subItems.at(static_cast<std::size_t>(subItem - 1)); }
    bool operator==(const Task&) const = default;
};

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
