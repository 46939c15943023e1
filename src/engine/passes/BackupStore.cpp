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
#include "engine/passes/BackupStore.h"

#include "engine/BackupNames.h"
#include "engine/ErrorTexts.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "engine/clsZip.h"
#include "platform/Folders.h"
#include "platform/Paths.h"
#include "platform/SavedCopy.h"

#include <filesystem>

namespace zdr::engine {

namespace {

// Enough numbered names for the same file saved again and again in one run.
constexpr int kMostNumbers = 1000;

constexpr const char* kLeftoverRemoved = "entfernt (Rest eines abgebrochenen Vorgangs)";

std::string failedText(const std::string& what, platform::ErrorCode code)
{
    return fc_TextWithCode("Fehler bei Sicherung: '" + what + "'", code);
}

// Makes the folder, or a numbered one beside it when the name is taken (a
// run in the same second); with a suffix, also when the folder's name with
// it is taken (the archive of an earlier run in that second).
bool makeFreshFolder(const std::string& path, std::string& made, platform::ErrorCode& code,
                     const std::string& alsoFree = {})
{
    for (int n = 1; n <= kMostNumbers; ++n) {
        made = n == 1 ? path : path + " (" + std::to_string(n) + ")";
        code = platform::error::kFileExists;
        if ((alsoFree.empty() || !platform::pathExists(made + alsoFree)) && platform::makeDirectory(made, code))
            return true;
        if (code != platform::error::kFileExists)
            return false;
    }
    return false;
}

// Saves file (at path) under the name that nameFor(n) gives, taking the
// next number while a name is taken; saved: the path used.
template <class NameFor>
bool saveUnderFreeName(const platform::EntryPlace& file, const std::string& path, const NameFor& nameFor,
                       std::string& saved, platform::ErrorCode& code)
{
    for (int n = 1; n <= kMostNumbers; ++n) {
        saved = nameFor(n);
        if (platform::saveCopy(file, path, saved, code))
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

// "DaroRazu Backup yymmdd hhnnss", perhaps numbered " (n)", with head "":
// a run's dated backup folder; with head "_": where a run gathers the files
// of its archive.
bool isBackupFolderName(const std::string& name, const std::string& head)
{
    const auto digits = [&](std::size_t at, std::size_t n) {
        return name.size() >= at + n && name.find_first_not_of("0123456789", at) >= at + n;
    };
    if (name.rfind(head + "DaroRazu Backup ", 0) != 0 || !digits(head.size() + 16, 6) || name.size() < head.size() + 29
        || name[head.size() + 22] != ' ' || !digits(head.size() + 23, 6))
        return false;
    const std::string rest = name.substr(head.size() + 29);
    return rest.empty()
        || (rest.size() > 3 && rest.rfind(" (", 0) == 0 && rest.back() == ')'
            && rest.find_first_not_of("0123456789", 2) == rest.size() - 1);
}

} // namespace

BackupStore::BackupStore(RunContext& run) : run_(run) {}

BackupStore::~BackupStore() = default;

void BackupStore::sb_RunStart()
{
    backupName_.clear();
    backupFolders_.clear();
    marks_.clear();
}

StepError BackupStore::fc_BackupZip(const EntryAt& at)
{
    if (run_.current().BackupFolder.empty())
        return StepError("Fehler bei Sicherung: kein Sicherungsverzeichnis angegeben für '"
                         + platform::joinPath(at.targetPath, at.entry.name) + "'");
    if (backupName_.empty())
        backupName_ = fc_BackupName(base::LocalDateTime::now());
    return run_.hasEx(statusEx::kSaveFilesInZip) ? fc_BackupForZip(at) : fc_BackupInFolder(at);
}

StepError BackupStore::fc_BackupInFolder(const EntryAt& at)
{
    platform::ErrorCode code = 0;
    // The run's folder, in each backup folder its tasks name.
    std::string& folder = backupFolders_[run_.current().BackupFolder];
    if (folder.empty()) {
        if (!makeFreshFolder(run_.current().BackupFolder + backupName_, folder, code)) {
            folder.clear();
            return StepError(failedText(run_.current().BackupFolder + backupName_, code));
        }
        // Where a copy is saved under a temporary name first (a volume
        // without unnamed files), a killed run leaves it in there: the mark
        // beside the folder sends a later run's tidying in.
        if (std::string mark = platform::markBeside(folder); !mark.empty())
            marks_.push_back(std::move(mark));
    }
    const std::string target = platform::joinPath(at.targetPath, at.entry.name);
    std::string saved;
    const auto nameFor = [&](int n) {
        return platform::joinPath(
            folder, fc_BackupFileName(at.targetPath, n == 1 ? at.entry.name : fc_NumberedName(at.entry.name, n)));
    };
    // Read in its folder as the task's target reaches it, never through a
    // link swapped in on the way.
    platform::EntryPlace place;
    if (run_.targets.place(at.targetPath, at.entry.name, place, code)
        && saveUnderFreeName(place, target, nameFor, saved, code))
        return {};
    return StepError(failedText(saved.empty() ? target : target + "' nach '" + saved, code));
}

StepError BackupStore::fc_BackupForZip(const EntryAt& at)
{
    platform::ErrorCode code = 0;
    if (!zip_) {
        std::string gathered;
        if (!makeFreshFolder(run_.current().BackupFolder + "_" + backupName_, gathered, code, ".zip"))
            return StepError(failedText(run_.current().BackupFolder + "_" + backupName_, code));
        // A later run's tidying leaves the folder alone while this run lives.
        backupLock_.shared(run_.current().BackupFolder);
        zip_ = std::make_unique<clsZip>();
        zip_->ZipFile(gathered + ".zip");
        zip_->BasePath(gathered);
    }
    const std::string target = platform::joinPath(at.targetPath, at.entry.name);
    const std::string archiveName = fc_BackupArchiveName(at.targetPath, at.entry.name);
    std::string saved;
    const auto nameFor = [&](int n) {
        return platform::joinPath(zip_->BasePath(),
                                  n == 1 ? archiveName
                                         : fc_BackupArchiveName(at.targetPath, fc_NumberedName(at.entry.name, n)));
    };
    platform::EntryPlace place;
    if (makeFolders(zip_->BasePath(), archiveName, code)
        && run_.targets.place(at.targetPath, at.entry.name, place, code)
        && saveUnderFreeName(place, target, nameFor, saved, code)) {
        zip_->AddFileSpec(saved.substr(zip_->BasePath().size() + 1));
        return {};
    }
    return StepError(failedText(saved.empty() ? target : target + "' nach '" + saved, code));
}

StepError BackupStore::fc_BackupZipClose()
{
    // Nothing more is saved in this run's dated folders.
    for (const std::string& mark : marks_) {
        platform::ErrorCode ignored = 0;
        static_cast<void>(platform::removeEntry(-1, mark, false, ignored));
    }
    marks_.clear();
    if (!zip_)
        return {};
    struct Unlock {
        platform::FolderLock& lock;
        ~Unlock() { lock.release(); }
    } unlock{backupLock_};
    const std::unique_ptr<clsZip> zip = std::move(zip_);
    if (zip->FileSpecCount() == 0) { // nothing was replaced after all
        platform::ErrorCode ignored = 0;
        static_cast<void>(platform::removeDirectory(zip->BasePath(), ignored));
        return {};
    }
    run_.observer.ActionInfo("Sicherungsdatei wird zusammengepackt ...");
    if (run_.has(status::kYield) && run_.doEvents)
        zip->Progress(run_.doEvents);
    if (std::string errorText; !zip->Zip(errorText))
        return StepError(errorText + " - die gesicherten Dateien liegen in '" + zip->BasePath() + "'");
    run_.observer.ActionInfo("Sicherungsdatei erstellt.");
    // Killed from here on, the next run finds the folder beside its archive.
    std::error_code ignored;
    std::filesystem::remove_all(zip->BasePath(), ignored);
    return {};
}

void BackupStore::sb_LeftoverLine(const std::string& folder, const std::string& name, const std::string& text)
{
    tidiedSomething_ = true;
    if (run_.has(status::kCreateProtocol))
        run_.sb_ProtocolAdd(
            {.action = run_.pass, .type = protocol::EntryKind::File, .name = name, .text = text, .folder = folder});
}

void BackupStore::sb_TidyBackupFolder(const std::string& folder)
{
    platform::FolderLock lock;
    if (!lock.exclusiveNow(folder))
        return; // a live run gathers its files here (or the folder is not there)
    for (const std::string& name : platform::removeStaleTemporaries(folder)) {
        sb_LeftoverLine(folder, name, kLeftoverRemoved);
        // The mark of a dated folder a killed run was saving into.
        const std::string dated = platform::joinPath(folder, platform::markedFolder(name));
        std::error_code kind;
        if (isBackupFolderName(platform::markedFolder(name), "")
            && std::filesystem::symlink_status(dated, kind).type() == std::filesystem::file_type::directory)
            for (const std::string& stale : platform::removeStaleTemporaries(dated))
                sb_LeftoverLine(dated, stale, kLeftoverRemoved);
    }
    std::error_code error;
    std::vector<std::string> gathered;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code kind;
        if (!entry.is_directory(kind) || entry.is_symlink(kind))
            continue;
        if (isBackupFolderName(name, "_"))
            gathered.push_back(entry.path().string());
    }
    for (const std::string& path : gathered)
        sb_PackLeftover(path);
}

// A killed run's saved files, gathered for its archive: packed under the
// archive's name now; or, when the run got as far as its archive, removed
// once the archive is found to hold them all; or named where they stay.
void BackupStore::sb_PackLeftover(const std::string& gathered)
{
    clsZip zip;
    zip.BasePath(gathered);
    zip.ZipFile(gathered + ".zip");
    std::error_code error;
    std::size_t others = 0; // neither saved nor half saved: never removed unasked
    std::filesystem::recursive_directory_iterator it(gathered, error);
    for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::error_code kind;
        long process = 0;
        if (it->is_directory(kind) && !it->is_symlink(kind))
            continue;
        // A file the killed run was still saving is no saved file.
        if (platform::temporaryOwner(it->path().filename().string(), process))
            continue;
        if (it->is_symlink(kind) || it->is_regular_file(kind))
            zip.AddFileSpec(it->path().string().substr(gathered.size() + 1));
        else
            ++others;
    }
    const std::string folder = platform::parentPath(gathered);
    const std::string archiveName = platform::fileName(zip.ZipFile());
    std::error_code probe;
    const bool archived = !error && std::filesystem::exists(zip.ZipFile(), probe);
    if (archived && others == 0 && zip.HoldsFileSpecs()) {
        std::filesystem::remove_all(gathered, error);
        if (!error) {
            sb_LeftoverLine(folder, platform::fileName(gathered) + platform::kSeparator,
                            "entfernt (Rest eines abgebrochenen Vorgangs, die Sicherungsdatei '" + archiveName
                                + "' ist vollständig)");
            return;
        }
    }
    if (run_.has(status::kYield) && run_.doEvents)
        zip.Progress(run_.doEvents);
    std::string why;
    if (!error && !archived && others == 0 && zip.FileSpecCount() > 0 && zip.Zip(why)) {
        std::filesystem::remove_all(gathered, error);
        sb_LeftoverLine(folder, archiveName, "erstellt aus den gesicherten Dateien eines abgebrochenen Vorgangs");
        run_.observer.ActionInfo("Sicherungsdatei eines abgebrochenen Vorgangs erstellt: '" + zip.ZipFile() + "'");
        return;
    }
    if (zip.FileSpecCount() == 0 && others == 0 && !error && !archived) {
        std::filesystem::remove_all(gathered, error); // nothing was saved in it yet
        if (!error) {
            sb_LeftoverLine(folder, platform::fileName(gathered) + platform::kSeparator, kLeftoverRemoved);
            return;
        }
    }
    sb_LeftoverLine(folder, platform::fileName(gathered) + platform::kSeparator,
                    "bleibt: gesicherte Dateien eines abgebrochenen Vorgangs" + (why.empty() ? "" : " (" + why + ")"));
    run_.observer.ActionInfo("Gesicherte Dateien eines abgebrochenen Vorgangs liegen in '" + gathered + "'");
}

} // namespace zdr::engine
