#pragma once

#include <functional>
#include <string>

class QWidget;

namespace zdr::util::ui {

// The open and save file dialogs behind the program's own interface, so no
// caller touches a dialog directly and tests can answer one without a person.
class clsCommonDialog {
public:
    struct Request {
        std::string filter; // "description|pattern|description|pattern"
        std::string initDir;
        bool save = false;
        std::string fileName;
        std::string fileExtDefault;
    };
    // Returns the chosen full path, or an empty text when cancelled.
    using Chooser = std::function<std::string(const Request&)>;

    std::string fc_ChooseFile(const std::string& par_Filter, const std::string& par_InitDir, bool par_Save,
                              const std::string& par_FileName, const std::string& par_FileExtDefault,
                              QWidget* par_Owner);

    // Replaces the real dialogs (tests); an empty function restores them.
    static void setChooser(Chooser chooser);

    // The dialog's filter list: each "description|pattern" pair becomes one
    // entry "description (pattern)" with the pattern's ";" as blanks.
    static std::string qtFilter(const std::string& filter);
};

} // namespace zdr::util::ui
