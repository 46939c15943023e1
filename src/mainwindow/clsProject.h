#pragma once

#include "project/ProjectDocument.h"

#include <QString>

class QCheckBox;
class QWidget;

namespace zdr::mainwindow {

// Stores a window's input controls in a project file by control name and
// restores them the same way; a list view ("lvw") is a view over a
// TaskListModel, whose tasks are stored row by row. The stored controls and their order come from
// the form's "zdrStoredControls" property (a list of names) when it has one,
// else from its named children in creation order.
class clsProject {
public:
    bool fc_ProjectSaveXML(const QString& fileName, const QString& rootName, QWidget* form, const QString& exclusions);
    bool fc_ProjectLoadXML(const QString& fileName, const QString& rootName, QWidget* form);

    // The document a save would write, and applying a read one; both public
    // for the tests that round-trip a window without files.
    static project::ProjectDocument documentFromForm(QWidget* form, const QString& exclusions);
    // Checks every element against the form first; applies nothing unless all
    // fit. On failure description says why.
    static bool applyDocument(const project::ProjectDocument& doc, QWidget* form, std::string& description);
    // A check box's value as the file keeps it: 0 cleared, 1 checked, 2 grey.
    static int checkValue(const QCheckBox* box);
};

} // namespace zdr::mainwindow
