#include "mainwindow/TaskListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace zdr::mainwindow {
namespace {

std::vector<std::string> labels(const TaskListModel& model)
{
    std::vector<std::string> out;
    for (const project::Task& task : model.tasks())
        out.push_back(task.label);
    return out;
}

// The list's edits keep the model consistent for a view (the tester checks
// every signal) and report an edit exactly when a task changed.
TEST(TaskListModel, EditsKeepTheModelConsistentAndReportChanges)
{
    TaskListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy edited(&model, &TaskListModel::edited);

    model.setTasks({project::newTask(1), project::newTask(2)});
    EXPECT_EQ(edited.count(), 0); // loading is no edit
    EXPECT_EQ(model.append(project::newTask(3)), 2);
    EXPECT_EQ(labels(model), (std::vector<std::string>{"(neuer Eintrag 1)", "(neuer Eintrag 2)", "(neuer Eintrag 3)"}));

    EXPECT_TRUE(model.setField(1, project::kSourceFolder, "/daten"));
    EXPECT_FALSE(model.setField(1, project::kSourceFolder, "/daten"));
    EXPECT_FALSE(model.setField(7, project::kSourceFolder, "/x"));
    EXPECT_EQ(model.data(model.index(1, project::kSourceFolder)).toString(), QStringLiteral("/daten"));
    EXPECT_TRUE(model.setData(model.index(0, 0), QStringLiteral("Erste")));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("Erste"));
    EXPECT_FALSE(model.flags(model.index(0, project::kSourceFolder)).testFlag(Qt::ItemIsEditable));

    EXPECT_TRUE(model.move(1, -1)); // Ctrl+Up
    EXPECT_FALSE(model.move(0, -1));
    EXPECT_TRUE(model.move(1, 1)); // Ctrl+Down
    EXPECT_FALSE(model.move(2, 1));
    EXPECT_EQ(labels(model), (std::vector<std::string>{"(neuer Eintrag 2)", "(neuer Eintrag 3)", "Erste"}));
    EXPECT_EQ(model.tasks()[0].sourceFolder, "/daten");
    EXPECT_EQ(model.data(model.index(0, 0), TaskListModel::kKeyRole).toString(),
              QString::fromStdString(project::newTask(2).key));

    EXPECT_TRUE(model.remove(1));
    EXPECT_FALSE(model.remove(5));
    EXPECT_EQ(labels(model), (std::vector<std::string>{"(neuer Eintrag 2)", "Erste"}));
    EXPECT_EQ(edited.count(), 6);
}

} // namespace
} // namespace zdr::mainwindow
