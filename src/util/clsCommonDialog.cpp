#include "util/clsCommonDialog.h"

#include "base/Text.h"

#include <QFileDialog>

namespace zdr::util::ui {

namespace {

clsCommonDialog::Chooser& chooser()
{
    static clsCommonDialog::Chooser instance;
    return instance;
}

} // namespace

void clsCommonDialog::setChooser(Chooser chooser_) { chooser() = std::move(chooser_); }

std::string clsCommonDialog::qtFilter(const std::string& filter)
{
    const std::vector<std::string> parts = base::split(filter, "|");
    std::vector<std::string> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads the patterns from the description's parentheses, so they
        // are rebuilt there; "*.*" means every file, also one without a dot.
        std::vector<std::string> patterns = base::split(parts[i + 1], ";");
        for (std::string& pattern : patterns)
            if (pattern == "*.*")
                pattern = "*";
        std::string description = parts[i];
        const std::size_t open = description.rfind('(');
        if (open != std::string::npos && description.back() == ')')
            description = base::trim(description.substr(0, open));
        entries.push_back(description + " (" + base::join(patterns, " ") + ")");
    }
    return base::join(entries, ";;");
}

std::string clsCommonDialog::fc_ChooseFile(const std::string& par_Filter, const std::string& par_InitDir, bool par_Save,
                                           const std::string& par_FileName, const std::string& par_FileExtDefault,
                                           QWidget* par_Owner)
{
    const Request request{par_Filter, par_InitDir, par_Save, par_FileName, par_FileExtDefault};
    if (chooser())
        return chooser()(request);

    QFileDialog dialog(par_Owner);
    dialog.setAcceptMode(par_Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(par_Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromStdString(qtFilter(par_Filter)));
    dialog.setDirectory(QString::fromStdString(par_InitDir));
    dialog.setDefaultSuffix(QString::fromStdString(par_FileExtDefault));
    if (!par_FileName.empty())
        dialog.selectFile(QString::fromStdString(par_FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

} // namespace zdr::util::ui
