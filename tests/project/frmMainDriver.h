#pragma once

#include "mainwindow/frmMain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

// Driving the main window as a user does, for the window tests.
namespace zdr::project::driver {

inline QCheckBox* box(frmMain& w, const char* name) { return w.findChild<QCheckBox*>(name); }
inline QLineEdit* text(frmMain& w, const char* name) { return w.findChild<QLineEdit*>(name); }
inline QTreeWidget* list(frmMain& w) { return w.findChild<QTreeWidget*>("lvwMain"); }
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

} // namespace zdr::project::driver
