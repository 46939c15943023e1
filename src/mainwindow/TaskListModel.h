#pragma once

#include "project/Task.h"

#include <QAbstractTableModel>

#include <vector>

namespace zdr::mainwindow {

// The project's ordered tasks as a flat table for the main window's list:
// one row per task, column 0 its label, columns 1.. its fields in the order
// of taskColumns(). The tasks live here as plain records; every edit goes
// through setField, setLabel, insert, remove or move, which emit `edited`
// once something really changed, so the window marks the project changed in
// one place.
class TaskListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The row's task key (for the project file and its selection).
    static constexpr int kKeyRole = Qt::UserRole + 1;

    explicit TaskListModel(QObject* parent = nullptr);

    const std::vector<project::Task>& tasks() const { return tasks_; }
    // Replaces every task (loading a project): no edit.
    void setTasks(std::vector<project::Task> tasks);

    // false when the row does not exist or the value is the same.
    bool setField(int row, int subItem, const std::string& value);
    bool setLabel(int row, const std::string& label);
    // Appends a task; returns its row.
    int append(project::Task task);
    bool remove(int row);
    // Exchanges a row with its neighbour above (-1) or below (+1).
    bool move(int row, int direction);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void edited();

private:
    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(tasks_.size()); }

    std::vector<project::Task> tasks_;
};

} // namespace zdr::mainwindow
