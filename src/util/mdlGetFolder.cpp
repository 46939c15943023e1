#include "util/mdlGetFolder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace zdr::util::ui {

namespace {

FolderChooser& chooser()
{
    static FolderChooser instance;
    return instance;
}

// Where the picker starts when no folder is preselected.
QString rootFolder(std::int16_t root) { return root == kFolderRootDrives ? QDir::rootPath() : QDir::homePath(); }

} // namespace

void setFolderChooser(FolderChooser chooser_) { chooser() = std::move(chooser_); }

std::string fc_BrowseForFolder(std::int16_t par_Root, const std::string& par_Title, QWidget* par_Owner,
                               std::uint32_t par_Flags, const std::string& par_InitialFolder)
{
    const FolderRequest request{par_Root, par_Title, par_Flags, par_InitialFolder};
    if (chooser())
        return chooser()(request);

    QFileDialog dialog(par_Owner, QString::fromStdString(par_Title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, (par_Flags & kBrowseFileSystemOnly) != 0);
    if (par_InitialFolder.empty()) {
        dialog.setDirectory(rootFolder(par_Root));
    } else {
        // Opened in the parent with the initial folder selected.
        const QFileInfo initial(QString::fromStdString(par_InitialFolder));
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

} // namespace zdr::util::ui
