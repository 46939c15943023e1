// The task driver: the passes of a run in their fixed order, the checks of
// each task's source and target (with network drives), and the end of each
// pass.
#include "engine/passes/TaskDriver.h"

#include "engine/FolderCopyObserver.h"
#include "engine/SizeText.h"
#include "engine/StatusBits.h"
#include "engine/passes/Passes.h"

#include "base/ClipboardWriter.h"
#include "base/ParameterCodes.h"
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "net/DriveFolder.h"
#include "net/NetworkDrives.h"
#include "net/UncName.h"
#include "platform/DirectoryReader.h"
#include "platform/FileEntry.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

#include <cctype>
#include <set>

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
StepError targetMissing(const EngineTask& task)
{
    if (task.Target.empty())
        return StepError("bitte geben Sie ein Zielverzeichnis an ...");
    if (folderExists(task.Target) && task.Target != kSourceComputer)
        return {};
    return StepError("Zielverzeichnis: '" + task.Target + "' ist nicht vorhanden oder keinen Zugriff!");
}

} // namespace

TaskDriver::TaskDriver(Passes& passes, net::NetworkDriveFactory networkDrives)
    : passes_(passes), run_(passes.run), networkDrives_(std::move(networkDrives))
{
}

TaskDriver::~TaskDriver() = default;

void TaskDriver::sb_CloseConnections()
{
    net::sb_Action_CloseConnections(sourceDrives_);
    net::sb_Action_CloseConnections(targetDrives_);
}

// The rest is set anew by each pass start.
void TaskDriver::sb_RunStart()
{
    sourceDrives_.clear();
    targetDrives_.clear();
    sourceDrives_.resize(run_.options().tasks.size());
    targetDrives_.resize(run_.options().tasks.size());
    isRunning_ = true;
    // Each run resolves its folders anew (the window may have changed a target).
    passes_.protectedFolders.reset();
    for (EngineTask& task : run_.optionsToSet().tasks)
        task.SourceResolved = task.TargetResolved = false;
    run_.stop.cancel = false;
    run_.stop.copyCancel = false;
    run_.reviewed = false;
    sb_DropUnusedOptions();
    passes_.policy.sb_RunStart();
    run_.counts.counters = EngineCounters{};
    run_.taskNumber = 0;
    run_.report.protocol.clear();
    passes_.rename.sb_RunStart();
    passes_.backup.sb_RunStart();
}

void TaskDriver::sb_PassStart(PassAction pass)
{
    run_.pass = pass;
    run_.action = passActionWord(pass);
    run_.counts.passStart = run_.now();
    run_.counts.secondsOff = 0;
    run_.counts.secondsMax = 0;
    run_.counts.lastEstimateSecond = -1;
    run_.report.fileNameCurrent.clear();
    // A failure of the pass before must not make this one look failed.
    errorText_.clear();
    keptError_.clear();
    passes_.policy.sb_PassStart();
    run_.report.protocol.clear();
    passes_.copy.sb_PassStart();
    run_.observer.ActionStart(run_.action);
}

// An option the run's action does not use is not applied to it, whatever
// the caller's word holds (a project switched from a copy to a delete keeps
// "Dateien abgleichen", whose comparison would find nothing to delete and
// leave the review empty; the folder report has no review).
void TaskDriver::sb_DropUnusedOptions()
{
    const bool changes = run_.has(status::kDelete) || run_.has(status::kAttrib);
    if (changes && !run_.has(status::kCopy))
        run_.optionsToSet().status &= ~(status::kOnlyDifferent | status::kOnlyNewer | status::kBlockBytes);
    if (changes || run_.has(status::kCopy))
        run_.optionsToSet().status &= ~status::kFolderEntriesInfo;
}

bool TaskDriver::fc_ActionRun()
{
    sb_RunStart();
    if (const StepError refused = fc_CheckTasks(); refused.failed()) {
        // Reported as the end of the pass that would have come first.
        const struct {
            std::uint32_t bit;
            PassAction pass;
        } order[] = {{status::kWithInfo, PassAction::Info},
                     {status::kCopy, PassAction::Copy},
                     {status::kDelete, PassAction::Delete},
                     {status::kAttrib, PassAction::Attrib},
                     {status::kMkDir, PassAction::MkDir}};
        for (const auto& first : order) {
            if (run_.has(first.bit)) {
                sb_PassStart(first.pass);
                break;
            }
        }
        errorText_ = refused.text();
        sb_ErrorEnd();
        return false;
    }
    if (run_.has(status::kWithInfo) && !fc_InfoPass())
        return false;
    const struct {
        std::uint32_t bit;
        PassAction pass;
    } actionPasses[] = {
        {status::kCopy, PassAction::Copy},
        {status::kDelete, PassAction::Delete},
        {status::kAttrib, PassAction::Attrib},
    };
    for (const auto& p : actionPasses) {
        if (run_.has(p.bit) && !run_.stop.cancel && !fc_ActionPass(p.pass))
            return !isRunning_ ? false : fc_NormalEnd();
    }
    if (run_.has(status::kMkDir) && !run_.stop.cancel && !fc_MkDirPass())
        return false;
    return fc_NormalEnd();
}

bool TaskDriver::fc_NormalEnd()
{
    run_.stop.cancel = false;
    run_.stop.copyCancel = false;
    isRunning_ = false;
    return true;
}

void TaskDriver::sb_ErrorEnd()
{
    run_.observer.ActionReady(false, errorText_, !run_.report.protocol.text().empty());
    isRunning_ = false;
}

bool TaskDriver::fc_Failed(const StepError& step)
{
    if (!step.failed())
        return false;
    errorText_ = step.text();
    return true;
}

StepError TaskDriver::fc_LoadTask(std::size_t index)
{
    run_.taskNumber = static_cast<std::int16_t>(index);
    run_.selectTask(index);
    std::string errorText;
    if (!run_.filter.load(run_.current(), run_.has(status::kFolderOnly), errorText))
        return StepError(errorText);
    return {};
}

StepError TaskDriver::fc_ConnectDrive(bool source)
{
    const std::string& code = source ? run_.current().task.netSourceCode : run_.current().task.netTargetCode;
    if (code.empty())
        return {};
    const char* side = source ? "Quelle: '" : "Ziel: '";
    const std::string& folder = source ? run_.current().Source : run_.current().Target;
    std::unique_ptr<net::NetworkDrive>& drive = (source ? sourceDrives_ : targetDrives_)[run_.taskNumber];
    if (!drive && networkDrives_)
        drive = networkDrives_();
    if (!drive)
        return StepError(side + folder + "' konnte nicht verbunden werden: " + kNoNetworkSupport);
    if (drive->Connected())
        return {};
    // A damaged code names no drive: said so, never taken for a folder that is missing.
    if (!drive->fc_Init(code))
        return StepError(side + folder + "' konnte nicht verbunden werden: Der Netzlaufwerksparameter '"
                         + base::maskedNetConnectCode(code) + "' ist beschädigt - "
                         + base::parseNetConnectCode(code).error);
    run_.observer.ActionInfo(side + drive->LocalName() + "' mit Netzlaufwerk '" + drive->RemoteName()
                             + "' verbinden ...");
    std::string message;
    if (!drive->fc_Connect(message))
        return StepError(side + folder + "' konnte nicht verbunden werden: " + message);
    run_.observer.ActionInfo(side + drive->LocalName() + "' mit Netzlaufwerk '" + drive->RemoteName() + "' verbunden");
    return {};
}

StepError TaskDriver::fc_ShareOnDrive(EngineTask& task)
{
    const std::string& source = task.Source;
    const bool share = source.size() > 2 && (source.starts_with("\\\\") || source.starts_with("//"));
    if (!share || !net::parseUncName(source))
        return {};
    // The letters other tasks' codes name, and those connected already.
    std::set<char> taken;
    for (std::size_t i = 1; i < run_.options().tasks.size(); ++i) {
        for (const std::string* code :
             {&run_.options().tasks[i].task.netSourceCode, &run_.options().tasks[i].task.netTargetCode}) {
            const std::string local = base::parseNetConnectCode(*code).code.localName;
            if (!local.empty())
                taken.insert(static_cast<char>(std::toupper(static_cast<unsigned char>(local.front()))));
        }
    }
    char letter = 0;
    for (char c = 'Z'; c >= 'D' && letter == 0; --c) {
        const std::string drive = std::string(1, c) + ":";
        if (taken.count(c) == 0 && net::resolveDrivePath(drive) == drive)
            letter = c;
    }
    if (letter == 0)
        return StepError("Quelle: '" + source + "' konnte nicht verbunden werden: kein Laufwerksbuchstabe ist frei");
    // The task's own code may carry the user and password for its shares.
    const base::ParsedCode<base::NetConnectCode> own = base::parseNetConnectCode(task.task.netSourceCode);
    task.task.netSourceCode =
        base::buildNetConnectCode({base::netFlag::kDisconnectAfterAction, std::string(1, letter) + ":", source,
                                   own.code.user, own.code.password});
    task.Source = std::string(1, letter) + ":";
    return {};
}

StepError TaskDriver::fc_CheckTasks()
{
    const bool changes = run_.has(status::kDelete) || run_.has(status::kAttrib);
    const bool copies = run_.has(status::kCopy);
    const bool targetUsed = copies || (run_.has(status::kWithInfo) && run_.has(status::kOnlyDifferent));
    const bool backups = copies && run_.hasEx(statusEx::kSaveFiles);
    for (std::size_t i = 1; i < run_.options().tasks.size(); ++i) {
        EngineTask& task = run_.optionsToSet().tasks[i];
        if (StepError noDrive = fc_ShareOnDrive(task); noDrive.failed()) {
            run_.taskNumber = static_cast<std::int16_t>(i);
            return noDrive;
        }
        std::string problem;
        if (task.Source != kSourceComputer)
            problem = fc_FolderTextProblem("Quelle", task.Source);
        if (problem.empty() && !task.Target.empty()) {
            if (targetUsed)
                problem = fc_FolderTextProblem("Zielverzeichnis", task.Target);
            else if (run_.has(status::kMkDir))
                problem = fc_NewFolderNameProblem(task.Target);
        }
        if (problem.empty() && backups && !task.BackupFolder.empty())
            problem = fc_FolderTextProblem("Sicherungsverzeichnis", task.BackupFolder);
        if (!problem.empty()) {
            run_.taskNumber = static_cast<std::int16_t>(i);
            return StepError(problem);
        }
        // A folder on a network drive is resolved once its drive is connected.
        if (task.task.netSourceCode.empty())
            sb_ResolveSide(task, true);
        if (targetUsed && task.task.netTargetCode.empty() && !task.Target.empty())
            sb_ResolveSide(task, false);
        if (changes || copies) {
            if (StepError refused = fc_TaskRefused(task); refused.failed()) {
                run_.taskNumber = static_cast<std::int16_t>(i);
                return refused;
            }
        }
    }
    return {};
}

// Every link on the folder's way is followed once, here: the walk below it
// never follows one, and the protocol names the folder it reached. A drive
// name ("X:", "X:/rest") reaches the file system through the drive's link.
void TaskDriver::sb_ResolveSide(EngineTask& task, bool source)
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
StepError TaskDriver::fc_TaskRefused(const EngineTask& task)
{
    if ((run_.has(status::kDelete) || run_.has(status::kAttrib)) && task.SourceResolved) {
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
        if (!passes_.protectedFolders)
            passes_.protectedFolders = ProtectedFolders::ofSystem(fc_HomeFolders());
        for (const std::string& folder : folders) {
            const std::string reason = passes_.protectedFolders->reason(folder);
            if (!reason.empty())
                return StepError("Quelle: '" + folder + "' " + reason
                                 + (run_.has(status::kDelete) ? ": hier wird nichts gelöscht!"
                                                              : ": hier werden keine Attribute geändert!"));
        }
    }
    if (run_.has(status::kCopy) && task.SourceResolved && task.TargetResolved && task.Source != kSourceComputer
        && platform::isAbsolute(task.Target)) {
        if (fc_IsSystemFolder(task.Target))
            return StepError(
                "Zielverzeichnis: '" + task.Target + "' "
                + (platform::isRoot(task.Target) ? "ist das Stammverzeichnis des Systems" : "ist ein Systemverzeichnis")
                + ": dorthin wird nicht kopiert!");
        if (task.Target == task.Source)
            return StepError("Zielverzeichnis: '" + task.Target
                             + "' ist die Quelle selbst: eine Kopie in sich selbst ist nicht möglich!");
        if (task.Selection.front() == kSelectionAll && task.Target == platform::parentPath(task.Source))
            return StepError("Zielverzeichnis: '" + task.Target + "' enthält die Quelle '" + task.Source
                             + "': die Kopie wäre die Quelle selbst!");
    }
    return {};
}

// Checks (and connects) one side of the current task. missingText: the end
// of the message for a missing folder; nullptr when only the connection is
// made here and the caller reports a missing folder itself.
StepError TaskDriver::fc_CheckSide(bool source, const char* missingText)
{
    if (StepError notConnected = fc_ConnectDrive(source); notConnected.failed())
        return notConnected;
    EngineTask& task = run_.optionsToSet().tasks[static_cast<std::size_t>(run_.taskNumber)];
    sb_ResolveSide(task, source);
    std::string& folder = source ? run_.currentToSet().Source : run_.currentToSet().Target;
    folder = source ? task.Source : task.Target;
    if (StepError refused = fc_TaskRefused(task); refused.failed())
        return refused;
    if (missingText == nullptr || folderExists(folder))
        return {};
    return StepError(std::string(source ? "Quelle: '" : "Zielverzeichnis: '") + folder + missingText);
}

WalkPass& TaskDriver::fc_WalkPass(PassAction pass)
{
    switch (pass) {
    case PassAction::Copy: return passes_.copy;
    case PassAction::Delete: return passes_.remove;
    case PassAction::Attrib: return passes_.attrib;
    case PassAction::Info:
    case PassAction::MkDir: // does not walk
    case PassAction::None: break;
    }
    return passes_.info;
}

bool TaskDriver::fc_InfoPass()
{
    sb_PassStart(PassAction::Info);
    const bool targetRequired = run_.has(status::kCopy) || run_.has(status::kOnlyDifferent);
    const std::size_t taskCount = run_.options().tasks.size() - 1;
    // A cancelled run walks no further task.
    for (std::size_t i = 1; i <= taskCount && !run_.stop.cancel; ++i) {
        if (fc_Failed(fc_LoadTask(i)) || fc_Failed(fc_CheckSide(true, "' ist nicht vorhanden oder kein Zugriff!"))
            || (targetRequired && fc_Failed(fc_CheckSide(false, nullptr)))) {
            sb_ErrorEnd();
            return false;
        }
        run_.observer.ActionStartAufgabe(run_.action, static_cast<std::int32_t>(i),
                                         static_cast<std::int32_t>(taskCount), 0);
        if (targetRequired && run_.current().Source != kSourceComputer && fc_Failed(targetMissing(run_.current()))) {
            sb_ErrorEnd();
            return false;
        }
        sb_KeepWalkFailure(passes_.walk.fc_WalkTask(passes_.info, run_.current().Target, errorText_));
    }
    if (errorText_.empty())
        errorText_ = keptError_;
    passes_.info.sb_PassDone(errorText_);
    return true;
}

// One action pass (copy, delete, attributes). false ends the run: at once
// when an error end was raised (IsRunning is false then), else normally.
bool TaskDriver::fc_ActionPass(PassAction pass)
{
    run_.pass = pass;
    run_.action = passActionWord(pass);
    if (run_.has(status::kSkipEmpty) && run_.counts.counters.CountFolder + run_.counts.counters.CountFiles == 0)
        return false;
    const bool fromProtocol = pass == PassAction::Copy && passes_.copy.fc_FromProtocol();
    if (fromProtocol) {
        if (run_.counts.counters.CountFiles_ToDo + run_.counts.counters.CountFolder_ToDo == 0) {
            run_.observer.ActionReady(true, kNothingToCopy, false);
            return false;
        }
        run_.counts.counters.CountFiles_ExistsTimeOk = 0;
        run_.counts.counters.CountFolder_ExistsTimeOk = 0;
        run_.counts.counters.CountFiles = run_.counts.counters.CountFiles_ToDo;
        run_.counts.counters.CountFolder = run_.counts.counters.CountFolder_ToDo;
    }
    if (run_.has(status::kAskBeforeAction)) {
        bool goOn = true;
        run_.observer.ActionProtocolShow(goOn);
        if (!goOn) {
            run_.observer.ActionReady(false, kCancelledByUser, false);
            return false;
        }
        // The walk then does exactly what the review listed and left ticked.
        run_.reviewed = !fromProtocol;
    }
    sb_PassStart(pass);
    if (pass == PassAction::Copy)
        passes_.copy.sb_TidyBackupFolders();
    const bool walked = fromProtocol ? passes_.copy.fc_ProtocolCopy(errorText_) : fc_WalkTasks(pass);
    sb_GatherKept();
    if (pass == PassAction::Copy)
        sb_CopyPassEnd();
    if (!walked) {
        sb_ErrorEnd();
        return false;
    }
    // An entry that failed earlier in the pass fails the pass, and so does a cancel.
    const std::string& message = errorText_.empty() ? keptError_ : errorText_;
    run_.observer.ActionReady(message.empty() && !run_.stop.cancel, message, !run_.report.protocol.text().empty());
    return true;
}

bool TaskDriver::fc_WalkTasks(PassAction pass)
{
    const std::size_t taskCount = run_.options().tasks.size() - 1;
    for (std::size_t i = 1; i <= taskCount && !run_.stop.cancel; ++i) {
        if (fc_Failed(fc_LoadTask(i)) || fc_Failed(fc_CheckSide(true, "' ist nicht vorhanden oder keinen Zugriff!"))
            || (pass == PassAction::Copy && fc_Failed(fc_CheckSide(false, nullptr))))
            return false;
        run_.observer.ActionStartAufgabe(run_.action, static_cast<std::int32_t>(i),
                                         static_cast<std::int32_t>(taskCount), 0);
        if (pass == PassAction::Copy && run_.current().Source != kSourceComputer
            && fc_Failed(targetMissing(run_.current())))
            return false;
        // Delete and attributes work in the source only.
        sb_KeepWalkFailure(passes_.walk.fc_WalkTask(
            fc_WalkPass(pass), pass == PassAction::Copy ? run_.current().Target : std::string(), errorText_));
    }
    return true;
}

// A walk that fails does not stop the loop over the tasks, but its text
// must reach the pass's end: the next task's walk clears the error text.
void TaskDriver::sb_KeepWalkFailure(bool walked)
{
    sb_GatherKept();
    if (!walked && !errorText_.empty() && keptError_.empty())
        keptError_ = errorText_;
}

// The archive's pack failure outweighs every other error of the pass; the
// flush's counts only when there is none.
void TaskDriver::sb_CopyPassEnd()
{
    const CopyPass::PassEnd end = passes_.copy.fc_PassEnd();
    if (end.pack.failed())
        errorText_ = end.pack.text();
    if (end.flush.failed() && errorText_.empty())
        errorText_ = end.flush.text();
}

void TaskDriver::sb_GatherKept()
{
    if (std::optional<std::string> kept = passes_.policy.fc_TakeKept())
        keptError_ = std::move(*kept);
}

bool TaskDriver::fc_MkDirPass()
{
    sb_PassStart(PassAction::MkDir);
    const std::size_t taskCount = run_.options().tasks.size() - 1;
    run_.counts.counters.CountFolder_ToDo = static_cast<std::int64_t>(taskCount);
    for (std::size_t i = 1; i <= taskCount; ++i) {
        run_.taskNumber = static_cast<std::int16_t>(i);
        run_.selectTask(i);
        run_.observer.ActionStartAufgabe(run_.action, static_cast<std::int32_t>(i),
                                         static_cast<std::int32_t>(taskCount), 0);
        // A folder on a network drive: the drive is connected and reached through its link.
        if (!passes_.mkdir.fc_NameGiven(errorText_) || fc_Failed(fc_CheckSide(true, nullptr))
            || !passes_.mkdir.fc_MakeFolder(errorText_)) {
            sb_ErrorEnd();
            return false;
        }
    }
    run_.observer.ActionReady(errorText_.empty(), errorText_, !run_.report.protocol.text().empty());
    return true;
}

} // namespace zdr::engine
