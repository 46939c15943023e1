#pragma once

#include "mainwindow/TaskListModel.h"
#include "mainwindow/frmMain.h"
#include "project/Task.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

// Driving the main window as a user does, for the window tests.
namespace zdr::mainwindow::driver {

inline QCheckBox* box(frmMain& w, const char* name) { return w.findChild<QCheckBox*>(name); }
inline QLineEdit* text(frmMain& w, const char* name) { return w.findChild<QLineEdit*>(name); }
inline QTreeView* list(frmMain& w) { return w.findChild<QTreeView*>("lvwMain"); }

// The task list's rows, read through the window's task model.
inline int rows(frmMain& w) { return w.tasks().rowCount(); }
inline QString field(frmMain& w, int row, int subItem)
{
    return QString::fromStdString(fieldText(w.tasks().tasks().at(static_cast<std::size_t>(row)), subItem));
}
inline QString label(frmMain& w, int row)
{
    return QString::fromStdString(w.tasks().tasks().at(static_cast<std::size_t>(row)).label);
}
inline QString key(frmMain& w, int row)
{
    return QString::fromStdString(w.tasks().tasks().at(static_cast<std::size_t>(row)).key);
}
inline bool selected(frmMain& w, int row) { return list(w)->selectionModel()->isRowSelected(row, {}); }
inline QPoint rowCenter(frmMain& w, int row) { return list(w)->visualRect(w.tasks().index(row, 0)).center(); }
inline bool enabled(frmMain& w, const char* name) { return w.findChild<QWidget*>(name)->isEnabled(); }

// Types into a box and leaves it, as a user does.
inline void type(frmMain& w, const char* name, const QString& value)
{
    QLineEdit* field = text(w, name);
    field->setFocus();
    field->selectAll();
    if (value.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, value);
    list(w)->setFocus();
}

} // namespace zdr::mainwindow::driver
