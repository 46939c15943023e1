#include "project/Task.h"

#include <gtest/gtest.h>

namespace zdr::project {
namespace {

TEST(Task, NewTasksAreNumberedAfterTheHighestKey)
{
    EXPECT_EQ(nextTaskNumber({}), 1);
    std::vector<Task> tasks{newTask(1), newTask(5), newTask(3)};
    tasks[1].label = "renamed"; // labels do not count
    const Task next = newTask(nextTaskNumber(tasks));
    EXPECT_EQ(next.key, "(JOB6");
    EXPECT_EQ(next.label, "(neuer Eintrag 6)");
    for (int subItem = 1; subItem <= kSubItemCount; ++subItem)
        EXPECT_EQ(fieldText(next, subItem), "") << subItem;
    EXPECT_EQ(taskNumber("(JOB12"), 12);
    EXPECT_EQ(taskNumber("(JOBx"), 0);
    EXPECT_EQ(taskNumber("(JO"), 0);
    EXPECT_EQ(nextTaskNumber({Task{.key = "(JOB99999999999999"}}), INT_MAX);
}

TEST(Task, FieldsAreTypedAndKeepTheirStoredText)
{
    Task task;
    for (int subItem = 1; subItem <= kSubItemCount; ++subItem) {
        const bool mask = subItem == kAttributeSet || subItem == kAttributeDel;
        for (const char* text : {"", "0", "32", "\\a;b.txt", "a;;b;"}) {
            if (mask && std::string_view(text).find(';') != std::string_view::npos)
                continue;
            ASSERT_TRUE(setFieldText(task, subItem, text));
            EXPECT_EQ(fieldText(task, subItem), text) << subItem;
        }
    }
    EXPECT_FALSE(setFieldText(task, kSubItemCount + 1, "x"));
    // An untouched mask is empty in the file, a touched one a number.
    setFieldText(task, kAttributeSet, "");
    EXPECT_EQ(task.attributeSet, std::nullopt);
    setFieldText(task, kAttributeSet, "0");
    EXPECT_EQ(task.attributeSet, 0u);
    setFieldText(task, kSelection, "\\a;b.txt");
    EXPECT_EQ(task.selection, (std::vector<std::string>{"\\a", "b.txt"}));
    setFieldText(task, kSelection, "");
    EXPECT_TRUE(task.selection.empty());
}

TEST(Task, AttributeBoxesBuildDisjointMasks)
{
    using S = CheckState;
    EXPECT_EQ(masksFromBoxes({S::Grey, S::Checked, S::Cleared, S::Grey}), std::make_pair(2u, 32u));
    EXPECT_EQ(masksFromBoxes({S::Grey, S::Grey, S::Grey, S::Grey}), std::make_pair(0u, 0u));
    EXPECT_EQ(masksFromBoxes({S::Checked, S::Checked, S::Checked, S::Checked}), std::make_pair(0x823u, 0u));
    EXPECT_EQ(boxStateFromMasks(2, 2, 32), S::Checked);
    EXPECT_EQ(boxStateFromMasks(32, 2, 32), S::Cleared);
    EXPECT_EQ(boxStateFromMasks(1, 2, 32), S::Grey);
}

TEST(Task, ActionCatalogue)
{
    const char* codes[] = {"INFO", "COPY", "COPY", "DELETE", "ATTRIB", "MKDIR", "INFO", "CHANGE"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(actionCode(i), codes[i]);
    EXPECT_EQ(actionCode(8), "");
    EXPECT_EQ(actionCode(-1), "");
    EXPECT_STREQ(actionCatalogue()[2].listText, "Daten synchronisieren (noch inaktiv)");
    EXPECT_STREQ(actionCatalogue()[7].listText, "Computer Registry ändern");
    EXPECT_EQ(std::string(taskColumns()[19].header), "FileBackupDir");
}

} // namespace
} // namespace zdr::project
