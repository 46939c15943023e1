#include "mainwindow/TaskListModel.h"

#include <utility>

namespace zdr::mainwindow {

TaskListModel::TaskListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TaskListModel::setTasks(std::vector<project::Task> tasks)
{
    beginResetModel();
    tasks_ = std::move(tasks);
    endResetModel();
}

bool TaskListModel::setField(int row, int subItem, const std::string& value)
{
    if (!validRow(row) || subItem < 1 || subItem > project::kSubItemCount)
        return false;
    project::Task& task = tasks_[static_cast<std::size_t>(row)];
    if (fieldText(task, subItem) == value)
        return false;
    setFieldText(task, subItem, value);
    const QModelIndex at = index(row, subItem);
    emit dataChanged(at, at);
    emit edited();
    return true;
}

bool TaskListModel::setLabel(int row, const std::string& label)
{
    if (!validRow(row) || tasks_[static_cast<std::size_t>(row)].label == label)
        return false;
    tasks_[static_cast<std::size_t>(row)].label = label;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at);
    emit edited();
    return true;
}

int TaskListModel::append(project::Task task)
{
    const int row = static_cast<int>(tasks_.size());
    beginInsertRows({}, row, row);
    tasks_.push_back(std::move(task));
    endInsertRows();
    emit edited();
    return row;
}

bool TaskListModel::remove(int row)
{
    if (!validRow(row))
        return false;
    beginRemoveRows({}, row, row);
    tasks_.erase(tasks_.begin() + row);
    endRemoveRows();
    emit edited();
    return true;
}

bool TaskListModel::move(int row, int direction)
{
    const int other = row + direction;
    if ((direction != -1 && direction != 1) || !validRow(row) || !validRow(other))
        return false;
    // Qt's destination is the row the moved one lands before.
    const int upper = std::min(row, other);
    beginMoveRows({}, upper + 1, upper + 1, {}, upper);
    std::swap(tasks_[static_cast<std::size_t>(upper)], tasks_[static_cast<std::size_t>(upper + 1)]);
    endMoveRows();
    emit edited();
    return true;
}

int TaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(tasks_.size());
}

int TaskListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : project::kColumnCount; }

QVariant TaskListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const project::Task& task = tasks_[static_cast<std::size_t>(index.row())];
    if (role == kKeyRole)
        return QString::fromStdString(task.key);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return QString::fromStdString(index.column() == 0 ? task.label : fieldText(task, index.column()));
}

bool TaskListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const std::string text = value.toString().toStdString();
    if (index.column() == 0)
        setLabel(index.row(), text);
    else
        setField(index.row(), index.column(), text);
    return true;
}

Qt::ItemFlags TaskListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    // Only the label is edited in the list ("Umbenennen"); fields below it.
    if (index.isValid() && index.column() == 0)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TaskListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= project::kColumnCount)
        return {};
    return QString::fromUtf8(project::taskColumns()[static_cast<std::size_t>(section)].header);
}

} // namespace zdr::mainwindow
