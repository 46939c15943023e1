#pragma once

#include "base/ProgramInfo.h"

#include <QDialog>

#include <string>

class QLabel;

namespace zdr::util::ui {

// The version as the about box writes it: "00.00.0000" (1.2.34 gives 01.02.0034).
std::string versionNumberText(const base::Version& version);

// The desktop's system information program found on PATH, or empty.
std::string findSystemInfoTool();

// The about box: the program's name, version and description, a legal
// notice, the maker's web page and the system information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Fills the box for the window it was called from.
    void sb_Form_Init(QWidget* caller);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void StartSysInfo();

    QLabel* picIcon_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    std::string sysInfoTool_;
};

// Shows the about box modally over the owner (the help menus call this).
void showAbout(QWidget* owner);

} // namespace zdr::util::ui
