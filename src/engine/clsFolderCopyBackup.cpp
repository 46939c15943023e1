// The backup of replaced files (extra option 0x1): each target the copy is
// about to replace is saved first, into the run's dated folder in the task's
// backup folder, or (extra option 0x2) gathered for the run's zip archive,
// which is packed when the copy ends. When the saving fails the target is
// not replaced.
//
// Zip mode gathers what the file held, not its name: the archive packed at
// the end would otherwise hold the new contents. The saved files wait in a
// folder beside the archive-to-be, named as inside it; it goes once the
// archive is complete, and stays (with its files) when packing fails.
#include "engine/BackupNames.h"
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"
#include "engine/clsZip.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/SavedCopy.h"

#include <filesystem>

namespace zdr::engine {

namespace {

// Enough numbered names for the same file saved again and again in one run.
constexpr int kMostNumbers = 1000;

std::string failedText(const std::string& what, platform::ErrorCode code)
{
    return fc_TextWithCode("Fehler bei Sicherung: '" + what + "'", code);
}

// Makes the folder, or a numbered one beside it when the name is taken (a
// run in the same second).
bool makeFreshFolder(const std::string& path, std::string& made, platform::ErrorCode& code)
{
    for (int n = 1; n <= kMostNumbers; ++n) {
        made = n == 1 ? path : path + " (" + std::to_string(n) + ")";
        if (platform::makeDirectory(made, code))
            return true;
        if (code != platform::error::kFileExists)
            return false;
    }
    return false;
}

// Saves file under the name that nameFor(n) gives, taking the next number
// while a name is taken; saved: the path used.
template <class NameFor>
bool saveUnderFreeName(const std::string& file, const NameFor& nameFor, std::string& saved, platform::ErrorCode& code)
{
    for (int n = 1; n <= kMostNumbers; ++n) {
        saved = nameFor(n);
        if (platform::saveCopy(file, saved, code))
            return true;
        if (code != platform::error::kFileExists)
            return false;
    }
    return false;
}

// The folders of relative below base, made where missing.
bool makeFolders(const std::string& base, const std::string& relative, platform::ErrorCode& code)
{
    for (std::size_t slash = relative.find('/'); slash != std::string::npos; slash = relative.find('/', slash + 1)) {
        const std::string path = platform::joinPath(base, relative.substr(0, slash));
        if (!platform::makeDirectory(path, code) && code != platform::error::kFileExists)
            return false;
    }
    return true;
}

} // namespace

bool clsFolderCopy::fc_BackupZip(const EntryAt& at, std::string& errorText)
{
    if (current_.BackupFolder.empty()) {
        errorText = "Fehler bei Sicherung: kein Sicherungsverzeichnis angegeben für '"
            + platform::joinPath(at.targetPath, at.entry.name) + "'";
        return false;
    }
    if (backupName_.empty())
        backupName_ = fc_BackupName(util::LocalDateTime::now());
    return (statusEx_ & statusEx::kSaveFilesInZip) != 0 ? fc_BackupForZip(at, errorText)
                                                        : fc_BackupInFolder(at, errorText);
}

bool clsFolderCopy::fc_BackupInFolder(const EntryAt& at, std::string& errorText)
{
    platform::ErrorCode code = 0;
    // The run's folder, in each backup folder its tasks name.
    std::string& folder = backupFolders_[current_.BackupFolder];
    if (folder.empty() && !makeFreshFolder(current_.BackupFolder + backupName_, folder, code)) {
        errorText = failedText(current_.BackupFolder + backupName_, code);
        folder.clear();
        return false;
    }
    const std::string target = platform::joinPath(at.targetPath, at.entry.name);
    std::string saved;
    const auto nameFor = [&](int n) {
        return platform::joinPath(
            folder, fc_BackupFileName(at.targetPath, n == 1 ? at.entry.name : fc_NumberedName(at.entry.name, n)));
    };
    if (saveUnderFreeName(target, nameFor, saved, code))
        return true;
    errorText = failedText(target + "' nach '" + saved, code);
    return false;
}

bool clsFolderCopy::fc_BackupForZip(const EntryAt& at, std::string& errorText)
{
    platform::ErrorCode code = 0;
    if (!zip_) {
        std::string gathered;
        if (!makeFreshFolder(current_.BackupFolder + "_" + backupName_, gathered, code)) {
            errorText = failedText(current_.BackupFolder + "_" + backupName_, code);
            return false;
        }
        zip_ = std::make_unique<clsZip>();
        zip_->ZipFile(gathered + ".zip");
        zip_->BasePath(gathered);
    }
    const std::string target = platform::joinPath(at.targetPath, at.entry.name);
    const std::string archiveName = fc_BackupArchiveName(at.targetPath, at.entry.name);
    std::string saved;
    const auto nameFor = [&](int n) {
        return platform::joinPath(zip_->BasePath(), n == 1 ? archiveName
                                                            : fc_BackupArchiveName(at.targetPath, fc_NumberedName(at.entry.name, n)));
    };
    if (makeFolders(zip_->BasePath(), archiveName, code) && saveUnderFreeName(target, nameFor, saved, code)) {
        zip_->AddFileSpec(saved.substr(zip_->BasePath().size() + 1));
        return true;
    }
    errorText = failedText(target + "' nach '" + saved, code);
    return false;
}

bool clsFolderCopy::fc_BackupZipClose(std::string& errorText)
{
    if (!zip_)
        return true;
    const std::unique_ptr<clsZip> zip = std::move(zip_);
    if (zip->FileSpecCount() == 0) { // nothing was replaced after all
        platform::ErrorCode ignored = 0;
        platform::removeDirectory(zip->BasePath(), ignored);
        return true;
    }
    observer_.ActionInfo("Sicherungsdatei wird zusammengepackt ...");
    if (has(status::kYield) && doEvents_)
        zip->Progress(doEvents_);
    if (!zip->Zip(errorText)) {
        errorText += " - die gesicherten Dateien liegen in '" + zip->BasePath() + "'";
        return false;
    }
    std::error_code ignored;
    std::filesystem::remove_all(zip->BasePath(), ignored);
    observer_.ActionInfo("Sicherungsdatei erstellt.");
    return true;
}

} // namespace zdr::engine
