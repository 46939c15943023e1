// The task driver: the passes of a run in their fixed order, the checks of
// each task's source and target (with network drives), and the end of each
// pass.
#include "engine/FolderCopyObserver.h"
#include "engine/SizeText.h"
#include "engine/StatusBits.h"
#include "engine/clsFolderCopy.h"

#include "base/ClipboardWriter.h"
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "net/DriveFolder.h"
#include "platform/DirectoryReader.h"
#include "platform/FileEntry.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace zdr::engine {

namespace {

constexpr const char* kNothingToCopy = "Nichts zu kopieren, alle Dateien sind vom gleichen Zeitstempel!";
constexpr const char* kCancelledByUser = "Aktion durch Benutzer abgebrochen!";
// The text of error 1222 as the network drives word it.
constexpr const char* kNoNetworkSupport = "Fehler: Netzlaufwerk konnte nicht verbunden oder zugegriffen werden: Es ist "
                                          "keine Netzwerkunterstützung installiert";

// A folder that is not a full path (a drive that is not connected) is
// never looked for relative to the current folder.
bool folderExists(const std::string& path)
{
    return path == kSourceComputer || (platform::isAbsolute(path) && platform::isDirectory(path));
}

// The target check of a task: a target is required; an empty one asks for it.
bool targetMissing(const EngineTask& task, std::string& errorText)
{
    if (task.Target.empty()) {
        errorText = "bitte geben Sie ein Zielverzeichnis an ...";
        return true;
    }
    if (folderExists(task.Target) && task.Target != kSourceComputer)
        return false;
    errorText = "Zielverzeichnis: '" + task.Target + "' ist nicht vorhanden oder keinen Zugriff!";
    return true;
}

} // namespace

// The rest is set anew by each pass start.
void clsFolderCopy::sb_RunStart()
{
    sourceDrives_.clear();
    targetDrives_.clear();
    sourceDrives_.resize(tasks_.size());
    targetDrives_.resize(tasks_.size());
    isRunning_ = true;
    // Each run resolves its folders anew (the window may have changed a target).
    homes_.reset();
    for (EngineTask& task : tasks_)
        task.SourceResolved = task.TargetResolved = false;
    cancel_ = false;
    copyCancel_ = false;
    askedFlags_ = 0;
    questionMillis_ = 0;
    counters_ = EngineCounters{};
    taskNumber_ = 0;
    protocol_.clear();
    renameNumbers_.clear();
    backupName_.clear();
    backupFolders_.clear();
}

void clsFolderCopy::sb_PassStart(Pass pass, const char* action)
{
    pass_ = pass;
    action_ = action;
    passStart_ = now();
    secondsOff_ = 0;
    secondsMax_ = 0;
    lastEstimateSecond_ = -1;
    fileNameCurrent_.clear();
    // A failure of the pass before must not make this one look failed.
    errorText_.clear();
    entryError_.clear();
    protocol_.clear();
    tidied_.clear();
    tidiedSomething_ = false;
    resumedFolders_.clear();
    rowFolders_.clear();
    observer_.ActionStart(action_);
}

bool clsFolderCopy::fc_ActionRun()
{
    sb_RunStart();
    if (!fc_CheckTasks()) {
        // Reported as the end of the pass that would have come first.
        const std::string refused = errorText_;
        const struct {
            std::uint32_t bit;
            Pass pass;
            const char* action;
        } order[] = {{status::kWithInfo, Pass::Info, "INFO"},
                     {status::kCopy, Pass::Copy, "COPY"},
                     {status::kDelete, Pass::Delete, "DELETE"},
                     {status::kAttrib, Pass::Attrib, "ATTRIB"},
                     {status::kMkDir, Pass::MkDir, "MKDIR"}};
        for (const auto& first : order) {
            if (has(first.bit)) {
                sb_PassStart(first.pass, first.action);
                break;
            }
        }
        errorText_ = refused;
        sb_ErrorEnd();
        return false;
    }
    if (has(status::kWithInfo) && !fc_InfoPass())
        return false;
    const struct {
        std::uint32_t bit;
        Pass pass;
        const char* action;
    } actionPasses[] = {
        {status::kCopy, Pass::Copy, "COPY"},
        {status::kDelete, Pass::Delete, "DELETE"},
        {status::kAttrib, Pass::Attrib, "ATTRIB"},
    };
    for (const auto& p : actionPasses) {
        if (has(p.bit) && !cancel_ && !fc_ActionPass(p.pass, p.action))
            return !isRunning_ ? false : fc_NormalEnd();
    }
    if (has(status::kMkDir) && !cancel_ && !fc_MkDirPass())
        return false;
    return fc_NormalEnd();
}

bool clsFolderCopy::fc_NormalEnd()
{
    cancel_ = false;
    copyCancel_ = false;
    isRunning_ = false;
    return true;
}

void clsFolderCopy::sb_ErrorEnd()
{
    observer_.ActionReady(false, errorText_, !protocol_.text().empty());
    isRunning_ = false;
}

bool clsFolderCopy::fc_LoadTask(std::size_t index)
{
    taskNumber_ = static_cast<std::int16_t>(index);
    current_ = tasks_[index];
    return filter_.load(current_, has(status::kFolderOnly), errorText_);
}

bool clsFolderCopy::fc_ConnectDrive(bool source)
{
    const std::string& code = source ? current_.NetSource : current_.NetTarget;
    if (code.empty())
        return true;
    const char* side = source ? "Quelle: '" : "Ziel: '";
    const std::string& folder = source ? current_.Source : current_.Target;
    std::unique_ptr<net::NetworkDrive>& drive = (source ? sourceDrives_ : targetDrives_)[taskNumber_];
    if (!drive && networkDrives_)
        drive = networkDrives_();
    if (!drive) {
        errorText_ = side + folder + "' konnte nicht verbunden werden: " + kNoNetworkSupport;
        return false;
    }
    if (drive->Connected())
        return true;
    drive->fc_Init(code);
    observer_.ActionInfo(side + drive->LocalName() + "' mit Netzlaufwerk '" + drive->RemoteName() + "' verbinden ...");
    std::string message;
    if (!drive->fc_Connect(message)) {
        errorText_ = side + folder + "' konnte nicht verbunden werden: " + message;
        return false;
    }
    observer_.ActionInfo(side + drive->LocalName() + "' mit Netzlaufwerk '" + drive->RemoteName() + "' verbunden");
    return true;
}

bool clsFolderCopy::fc_CheckTasks()
{
    const bool changes = has(status::kDelete) || has(status::kAttrib);
    const bool copies = has(status::kCopy);
    const bool targetUsed = copies || (has(status::kWithInfo) && has(status::kOnlyDifferent));
    const bool backups = copies && (statusEx_ & statusEx::kSaveFiles) != 0;
    for (std::size_t i = 1; i < tasks_.size(); ++i) {
        EngineTask& task = tasks_[i];
        std::string problem;
        if (task.Source != kSourceComputer)
            problem = fc_FolderTextProblem("Quelle", task.Source);
        if (problem.empty() && !task.Target.empty()) {
            if (targetUsed)
                problem = fc_FolderTextProblem("Zielverzeichnis", task.Target);
            else if (has(status::kMkDir))
                problem = fc_NewFolderNameProblem(task.Target);
        }
        if (problem.empty() && backups && !task.BackupFolder.empty())
            problem = fc_FolderTextProblem("Sicherungsverzeichnis", task.BackupFolder);
        if (!problem.empty()) {
            taskNumber_ = static_cast<std::int16_t>(i);
            errorText_ = problem;
            return false;
        }
        // A folder on a network drive is resolved once its drive is connected.
        if (task.NetSource.empty())
            sb_ResolveSide(task, true);
        if (targetUsed && task.NetTarget.empty() && !task.Target.empty())
            sb_ResolveSide(task, false);
        if (changes || copies) {
            if (fc_TaskRefused(task, errorText_)) {
                taskNumber_ = static_cast<std::int16_t>(i);
                return false;
            }
        }
    }
    return true;
}

// Every link on the folder's way is followed once, here: the walk below it
// never follows one, and the protocol names the folder it reached. A drive
// name ("X:", "X:/rest") reaches the file system through the drive's link.
void clsFolderCopy::sb_ResolveSide(EngineTask& task, bool source)
{
    bool& done = source ? task.SourceResolved : task.TargetResolved;
    std::string& folder = source ? task.Source : task.Target;
    if (done || folder == kSourceComputer)
        return;
    done = true;
    folder = net::resolveDrivePath(folder);
    if (platform::isAbsolute(folder))
        folder = fc_ResolvedFolder(folder);
}

// The folders no pass may take as a whole: a delete or an attribute change
// never the system's root, its top folders or a home folder (nor a folder
// that holds one); a copy never into its own source or a system folder.
bool clsFolderCopy::fc_TaskRefused(const EngineTask& task, std::string& errorText)
{
    if ((has(status::kDelete) || has(status::kAttrib)) && task.SourceResolved) {
        // What the pass takes as a whole: the source (itself or all of its
        // content), each named entry of it, or each root over the computer.
        std::vector<std::string> folders;
        const bool whole = task.Selection.front() == kSelectionAll || task.Selection.front() == kSelectionContent;
        if (task.Source == kSourceComputer) {
            for (const std::string& root : task.Selection)
                if (platform::isAbsolute(root))
                    folders.push_back(fc_ResolvedFolder(platform::withoutTrailingSeparator(root)));
        } else if (whole) {
            folders.push_back(task.Source);
        } else {
            for (const std::string& entry : task.Selection)
                folders.push_back(platform::joinPath(
                    task.Source, platform::withoutTrailingSeparator(platform::entryToRelativePath(entry))));
        }
        if (!homes_)
            homes_ = fc_HomeFolders();
        for (const std::string& folder : folders) {
            const std::string reason = fc_ProtectedFolderReason(folder, *homes_);
            if (!reason.empty()) {
                errorText = "Quelle: '" + folder + "' " + reason
                    + (has(status::kDelete) ? ": hier wird nichts gelöscht!"
                                            : ": hier werden keine Attribute geändert!");
                return true;
            }
        }
    }
    if (has(status::kCopy) && task.SourceResolved && task.TargetResolved && task.Source != kSourceComputer
        && platform::isAbsolute(task.Target)) {
        if (fc_IsSystemFolder(task.Target)) {
            errorText = "Zielverzeichnis: '" + task.Target + "' "
                + (platform::isRoot(task.Target) ? "ist das Stammverzeichnis des Systems" : "ist ein Systemverzeichnis")
                + ": dorthin wird nicht kopiert!";
            return true;
        }
        if (task.Target == task.Source) {
            errorText = "Zielverzeichnis: '" + task.Target
                + "' ist die Quelle selbst: eine Kopie in sich selbst ist nicht möglich!";
            return true;
        }
        if (task.Selection.front() == kSelectionAll && task.Target == platform::parentPath(task.Source)) {
            errorText = "Zielverzeichnis: '" + task.Target + "' enthält die Quelle '" + task.Source
                + "': die Kopie wäre die Quelle selbst!";
            return true;
        }
    }
    return false;
}

// Checks (and connects) one side of the current task. missingText: the end
// of the message for a missing folder; nullptr when only the connection is
// made here and the caller reports a missing folder itself.
bool clsFolderCopy::fc_CheckSide(bool source, const char* missingText)
{
    if (!fc_ConnectDrive(source))
        return false;
    EngineTask& task = tasks_[static_cast<std::size_t>(taskNumber_)];
    sb_ResolveSide(task, source);
    std::string& folder = source ? current_.Source : current_.Target;
    folder = source ? task.Source : task.Target;
    if (fc_TaskRefused(task, errorText_))
        return false;
    if (missingText == nullptr || folderExists(folder))
        return true;
    errorText_ = std::string(source ? "Quelle: '" : "Zielverzeichnis: '") + folder + missingText;
    return false;
}

bool clsFolderCopy::fc_WalkTask(const std::string& targetPath)
{
    platform::FileEntry self;
    if (current_.Source == kSourceComputer) {
        self.name = current_.Source;
        self.attributes = platform::attr::kDirectory;
    } else {
        platform::ErrorCode code = 0;
        if (!platform::statEntry(current_.Source, self, code)) {
            sb_SearchFailed(1, false, current_.Source, code, errorText_);
            return false;
        }
    }
    // A target inside the source (and a copy of the source folder there from
    // an earlier run) is not walked as source.
    madeFolders_.clear();
    madeFolderLines_.clear();
    ownTargets_.clear();
    renamedSources_.clear();
    sources_.close();
    targets_.close();
    // Below the task's folders no link is followed, on either side.
    sources_.setRoot(current_.Source == kSourceComputer ? std::string() : current_.Source);
    targets_.setRoot(targetPath);
    const std::string copyOfSource =
        current_.Selection.front() == kSelectionAll ? platform::joinPath(targetPath, self.name) : std::string();
    for (const std::string& folder : {targetPath, copyOfSource}) {
        platform::FileEntry entry;
        platform::ErrorCode ignored = 0;
        if (!targetPath.empty() && !folder.empty() && platform::statEntry(folder, entry, ignored)
            && entry.isDirectory())
            ownTargets_.insert({entry.device, entry.inode});
    }
    return fc_FolderWalk(0, self, current_.Source, targetPath, nullptr, errorText_);
}

bool clsFolderCopy::fc_InfoPass()
{
    sb_PassStart(Pass::Info, "INFO");
    const bool targetRequired = has(status::kCopy) || has(status::kOnlyDifferent);
    const std::size_t taskCount = tasks_.size() - 1;
    // A cancelled run walks no further task.
    for (std::size_t i = 1; i <= taskCount && !cancel_; ++i) {
        if (!fc_LoadTask(i) || !fc_CheckSide(true, "' ist nicht vorhanden oder kein Zugriff!")
            || (targetRequired && !fc_CheckSide(false, nullptr))) {
            sb_ErrorEnd();
            return false;
        }
        observer_.ActionStartAufgabe("INFO", static_cast<std::int32_t>(i), static_cast<std::int32_t>(taskCount), 0);
        if (targetRequired && current_.Source != kSourceComputer && targetMissing(current_, errorText_)) {
            sb_ErrorEnd();
            return false;
        }
        fc_WalkTask(current_.Target);
    }
    if (errorText_.empty() && !cancel_) {
        if (has(status::kFolderEntriesInfo)) {
            const std::string text = fc_SizeText(counters_.SizeTotal, "MB", "0,000.00") + " - ("
                + "Unterverz.: " + std::to_string(counters_.CountFolder - 1)
                + ", Dateien: " + std::to_string(counters_.CountFiles) + ")";
            sb_ProtocolAdd({.action = "INFO FOLDER",
                            .level = 0,
                            .type = "FOLDER",
                            .name = current_.Source,
                            .text = text,
                            .folder = {},
                            .target = "DIREND"});
        }
        observer_.ActionReady(true, {}, !protocol_.text().empty());
        if (has(status::kFolderEntriesInfo)) {
            bool shown = false;
            observer_.ActionProtocolShow(shown);
        }
    } else {
        observer_.ActionReady(false, errorText_, !protocol_.text().empty());
    }
    return true;
}

// One action pass (copy, delete, attributes). false ends the run: at once
// when an error end was raised (IsRunning is false then), else normally.
bool clsFolderCopy::fc_ActionPass(Pass pass, const char* action)
{
    action_ = action;
    if (has(status::kSkipEmpty) && counters_.CountFolder + counters_.CountFiles == 0)
        return false;
    const bool fromProtocol = pass == Pass::Copy && fc_FromProtocol();
    if (fromProtocol) {
        if (counters_.CountFiles_ToDo + counters_.CountFolder_ToDo == 0) {
            observer_.ActionReady(true, kNothingToCopy, false);
            return false;
        }
        counters_.CountFiles_ExistsTimeOk = 0;
        counters_.CountFolder_ExistsTimeOk = 0;
        counters_.CountFiles = counters_.CountFiles_ToDo;
        counters_.CountFolder = counters_.CountFolder_ToDo;
    }
    if (has(status::kAskBeforeAction)) {
        bool goOn = true;
        observer_.ActionProtocolShow(goOn);
        if (!goOn) {
            observer_.ActionReady(false, kCancelledByUser, false);
            return false;
        }
    }
    sb_PassStart(pass, action);
    if (pass == Pass::Copy && (statusEx_ & statusEx::kSaveFiles) != 0) {
        std::set<std::string> backupFolders;
        for (std::size_t i = 1; i < tasks_.size(); ++i)
            if (!tasks_[i].BackupFolder.empty())
                backupFolders.insert(net::resolveDrivePath(platform::withoutTrailingSeparator(tasks_[i].BackupFolder)));
        for (const std::string& folder : backupFolders)
            sb_TidyBackupFolder(folder);
    }
    const bool walked = fromProtocol ? fc_ProtocolCopy() : fc_WalkTasks(pass);
    // The archive holds the only copy of what was replaced: it is packed
    // however the copy ended. A failure to pack outweighs the others.
    std::string packError;
    if (!fc_BackupZipClose(packError))
        errorText_ = packError;
    // "Done" means on the disk: what this pass wrote reaches the storage
    // before its end is reported (a stick pulled then holds it all). A pass
    // that found everything as it was wrote nothing to flush.
    const EngineCounters& c = counters_;
    const bool wrote = c.CountFiles_Done + c.CountFolder_Done > c.CountFiles_Not + c.CountFolder_Not
        || !backupName_.empty() || tidiedSomething_;
    std::string flushError;
    if (pass == Pass::Copy && wrote && !fc_FlushTargets(flushError) && errorText_.empty())
        errorText_ = flushError;
    if (!walked) {
        sb_ErrorEnd();
        return false;
    }
    // An entry that failed earlier in the pass fails the pass, and so does a cancel.
    const std::string& message = errorText_.empty() ? entryError_ : errorText_;
    observer_.ActionReady(message.empty() && !cancel_, message, !protocol_.text().empty());
    return true;
}

// The target and backup folders of every task, each file system once: the
// pass's last phase.
bool clsFolderCopy::fc_FlushTargets(std::string& errorText)
{
    std::vector<std::string> folders;
    for (std::size_t i = 1; i < tasks_.size(); ++i) {
        folders.push_back(net::resolveDrivePath(tasks_[i].Target));
        if (!tasks_[i].BackupFolder.empty())
            folders.push_back(net::resolveDrivePath(tasks_[i].BackupFolder));
    }
    observer_.ActionInfo("Daten werden auf den Datenträger geschrieben ...");
    platform::ErrorCode code = 0;
    if (platform::flushFileSystems(folders, code)) {
        observer_.ActionInfo("Daten auf den Datenträger geschrieben.");
        return true;
    }
    errorText = "Fehler beim Schreiben auf den Datenträger - " + base::fc_GetApiErrorText(code);
    return false;
}

bool clsFolderCopy::fc_FromProtocol() const { return has(status::kOnlyDifferent) && has(status::kWithInfo); }

bool clsFolderCopy::fc_WalkTasks(Pass pass)
{
    const std::size_t taskCount = tasks_.size() - 1;
    for (std::size_t i = 1; i <= taskCount && !cancel_; ++i) {
        if (!fc_LoadTask(i) || !fc_CheckSide(true, "' ist nicht vorhanden oder keinen Zugriff!")
            || (pass == Pass::Copy && !fc_CheckSide(false, nullptr)))
            return false;
        observer_.ActionStartAufgabe(action_, static_cast<std::int32_t>(i), static_cast<std::int32_t>(taskCount), 0);
        if (pass == Pass::Copy && current_.Source != kSourceComputer && targetMissing(current_, errorText_))
            return false;
        // Delete and attributes work in the source only.
        fc_WalkTask(pass == Pass::Copy ? current_.Target : std::string());
    }
    return true;
}

// The copy of a "differing files" run after its information pass: the
// ticked protocol rows are pulled one by one instead of walking again. Then
// the backup archive is packed (extra options 0x1 and 0x2) and the copied
// rows are renamed (the rows again, backwards); a failure of either ends
// the run.
bool clsFolderCopy::fc_ProtocolCopy()
{
    observer_.ActionStartAufgabe("COPY", 1, 1, 2);
    copiedRows_.clear();
    protocol::WorkListStep step;
    step.index = 0;
    for (;;) {
        step.direction = "NEXT";
        step.action = "COPY";
        observer_.ActionEntryGetNext(step);
        if (step.index <= 0 || cancel_)
            break;
        sb_ProtocolEntryCopy(step, errorText_);
    }
    sb_RowFoldersDone();
    std::string packError;
    if (!fc_BackupZipClose(packError)) {
        errorText_ = packError;
        return false;
    }
    return fc_ProtocolRename();
}

bool clsFolderCopy::fc_MkDirPass()
{
    sb_PassStart(Pass::MkDir, "MKDIR");
    const std::size_t taskCount = tasks_.size() - 1;
    counters_.CountFolder_ToDo = static_cast<std::int64_t>(taskCount);
    for (std::size_t i = 1; i <= taskCount; ++i) {
        taskNumber_ = static_cast<std::int16_t>(i);
        current_ = tasks_[i];
        observer_.ActionStartAufgabe("MKDIR", static_cast<std::int32_t>(i), static_cast<std::int32_t>(taskCount), 0);
        if (current_.Target.empty()) {
            errorText_ = "Bitte geben Sie eine Verzeichnisbezeichnung an!";
            sb_ErrorEnd();
            return false;
        }
        // A folder on a network drive: the drive is connected and reached through its link.
        if (!fc_CheckSide(true, nullptr)) {
            sb_ErrorEnd();
            return false;
        }
        if (!platform::isAbsolute(current_.Source)) { // a drive that is not connected
            errorText_ = "Quelle: '" + current_.Source + "' ist nicht vorhanden oder keinen Zugriff!";
            sb_ErrorEnd();
            return false;
        }
        const std::string path = platform::joinPath(current_.Source, current_.Target);
        const bool exists = platform::pathExists(path);
        if (!exists) {
            observer_.ActionFolderStart(path);
            platform::ErrorCode code = 0;
            if (!platform::makeDirectory(path, code)) {
                errorText_ = "Fehler bei Verzeichnis: " + path + " - " + base::fc_GetApiErrorText(code);
                sb_ErrorEnd();
                return false;
            }
        }
        if (has(status::kCreateProtocol))
            sb_ProtocolAdd({.action = action_,
                            .type = "FOLDER",
                            .name = current_.Target,
                            .text = exists ? "ok (vorhanden)" : "ok",
                            .folder = path});
        if (exists)
            continue;
        ++counters_.CountFolder_Done;
        if (has(status::kFolderToClipboard) && clipboard_ != nullptr)
            clipboard_->ClipboardAll_Copy(path, base::clipboardFormat::kText);
        observer_.ActionFolderDone();
    }
    observer_.ActionReady(errorText_.empty(), errorText_, !protocol_.text().empty());
    return true;
}

} // namespace zdr::engine
