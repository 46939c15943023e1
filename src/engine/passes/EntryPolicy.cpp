// The questions before an action and after a failed one, and the error
// policy that turns a failed entry into its protocol line and counters.
//
//   before the action (error text empty):  existing target? -> read-only? -> act
//   after a failure:                       read-only? -> repeat, leave or abort?
//
// Answers "for all" change the run's options 0x200 and 0x400; each "for all"
// question is asked once per run.
#include "engine/passes/EntryPolicy.h"

#include "base/Message.h"
#include "engine/FileCompare.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "platform/FileEntry.h"
#include "platform/Paths.h"

namespace zdr::engine {

namespace {

constexpr std::uint32_t kAskedExisting = 0x1;
constexpr std::uint32_t kAskedReadOnly = 0x2;
constexpr std::uint32_t kAskedNewer = 0x4;  // "replace all newer targets" asked
constexpr std::uint32_t kNewerForAll = 0x8; // and answered yes
constexpr std::uint32_t kAskedKeep = 0x10;  // "keep all newer targets" asked
constexpr std::uint32_t kKeepForAll = 0x20; // and answered yes
constexpr const char* kTwoLines = "\r\n\r\n";

} // namespace

void EntryPolicy::sb_RunStart()
{
    askedFlags_ = 0;
    questionMillis_ = 0;
    kept_.reset();
}

base::Answer EntryPolicy::fc_Question(const EntryAt& at, const std::string& text, base::Buttons buttons)
{
    return run_.questioner.ask({.text = text,
                                .title = at.isFile ? "Datei Fehler ..." : "Verzeichnis Fehler ...",
                                .icon = base::Icon::Question,
                                .buttons = buttons});
}

void EntryPolicy::sb_AskLine(const EntryAt& at, const char* fileText, const char* folderText)
{
    if (run_.has(status::kCreateProtocol))
        run_.sb_ProtocolEntry(at, at.isFile ? fileText : folderText);
}

void EntryPolicy::sb_QuestionTimeAdd(RunContext::Clock::time_point start)
{
    questionMillis_ += std::chrono::duration_cast<std::chrono::milliseconds>(run_.now() - start).count();
    run_.counts.secondsOff += static_cast<std::int32_t>(questionMillis_ / 1000);
    questionMillis_ %= 1000;
}

bool EntryPolicy::fc_ForAll(const EntryAt& at, std::uint32_t askedBit, const std::string& question)
{
    const bool first = (askedFlags_ & askedBit) == 0;
    askedFlags_ |= askedBit;
    return first && fc_Question(at, question, base::Buttons::YesNo) == base::Answer::Yes;
}

EntryPolicy::Decision EntryPolicy::fc_Skipped(const EntryAt& at)
{
    sb_AskLine(at, "Datei übersprungen", "Verzeichnis übersprungen");
    return Decision::Skip;
}

EntryPolicy::Decision EntryPolicy::fc_CopyCancelled(const EntryAt& at)
{
    sb_AskLine(at, "Datei nicht kopiert => abgebrochen", "Verzeichnis nicht kopiert => abgebrochen");
    run_.stop.cancel = true;
    return Decision::Cancel;
}

EntryPolicy::Decision EntryPolicy::fc_AskUser(const EntryAt& at, const platform::FileEntry* obstacle,
                                              const std::string& errorText)
{
    // The time the user takes does not count in the estimate.
    struct Timed {
        EntryPolicy& policy;
        RunContext::Clock::time_point start;
        ~Timed() { policy.sb_QuestionTimeAdd(start); }
    } timed{*this, run_.now()};

    const bool before = errorText.empty();
    const bool copy = run_.pass == PassAction::Copy;
    const std::string& name = at.entry.name;
    // What the first two questions are about: the target of a copy, else the entry itself.
    const std::string& side = copy ? at.targetPath : at.path;
    const std::string subject = at.isFile ? platform::joinPath(side, name) : side;

    // A target newer than its source is asked about whatever else allows
    // the replace; the answer stands for this file in place of the next question.
    const bool newer = before && copy && at.isFile && obstacle != nullptr && run_.has(status::kAskByTargetNewer)
        && !fc_NotLater(obstacle->lastWrite, at.entry.lastWrite, run_.fc_TargetPrecision(at.targetPath, *obstacle));
    if (newer && (askedFlags_ & kNewerForAll) == 0) {
        const std::string text = "Zieldatei '" + subject + "' ist neuer als die Quelldatei!" + kTwoLines
            + " => Zieldatei trotzdem überschreiben?";
        switch ((askedFlags_ & kKeepForAll) != 0 ? base::Answer::No
                                                 : fc_Question(at, text, base::Buttons::YesNoCancel)) {
        case base::Answer::Yes:
            if (fc_ForAll(at, kAskedNewer, "Möchten Sie alle neueren Zieldateien überschreiben?"))
                askedFlags_ |= kNewerForAll;
            break;
        case base::Answer::No:
            if (fc_ForAll(at, kAskedKeep, "Möchten Sie alle neueren Zieldateien behalten?"))
                askedFlags_ |= kKeepForAll;
            return fc_Skipped(at);
        default: return fc_CopyCancelled(at);
        }
    }
    if (before && copy && obstacle != nullptr && !newer && !run_.has(status::kOverwriteExisting)) {
        const std::string text = at.isFile
            ? "Zieldatei '" + subject + "' vorhanden!" + kTwoLines + " => Zieldatei überschreiben?"
            : "Zielverzeichnis '" + subject + "' vorhanden!" + kTwoLines + " => Zielverzeichnis überschreiben?";
        switch (fc_Question(at, text, base::Buttons::YesNoCancel)) {
        case base::Answer::Yes:
            if (fc_ForAll(at, kAskedExisting,
                          at.isFile ? "Möchten Sie alle vorhandenen Dateien überschreiben?"
                                    : "Möchten Sie alle vorhandenen Verzeichnisse überschreiben?"))
                run_.optionsToSet().status |= status::kOverwriteExisting;
            break;
        case base::Answer::No: return fc_Skipped(at);
        default: return fc_CopyCancelled(at);
        }
    }

    if (obstacle != nullptr && (obstacle->attributes & platform::attr::kReadOnly) != 0
        && !run_.has(status::kOverwriteProtected)) {
        const bool remove = run_.pass == PassAction::Delete;
        std::string text =
            (copy ? (at.isFile ? "Zieldatei '" : "Zielverzeichnis '") : (at.isFile ? "Datei '" : "Verzeichnis '"))
            + subject + "' ist schreibgeschützt!" + kTwoLines;
        if (copy)
            text += at.isFile ? " => Zieldatei überschreiben?" : " => Zielverzeichnis überschreiben?";
        else
            text += std::string(at.isFile ? " => Datei trotzdem " : " => Verzeichnis trotzdem ")
                + (remove ? "löschen?" : "verändern?");
        switch (fc_Question(at, text, base::Buttons::YesNoCancel)) {
        case base::Answer::Yes: {
            if (fc_ForAll(at, kAskedReadOnly,
                          std::string("Möchten Sie alle schreibgeschützten Daten ")
                              + (remove ? "löschen?" : "überschreiben?")))
                run_.optionsToSet().status |= status::kOverwriteProtected;
            // A copy replaces the target as a whole and leaves it alone until
            // then; the other actions work on the entry and need it writable.
            platform::ErrorCode ignored = 0; // the action itself tells when this did not help
            // Relative to the folder the walk has open where it has one.
            if (!copy && run_.entryFolder >= 0)
                static_cast<void>(platform::setAttributesAt(
                    run_.entryFolder, at.entry.name, obstacle->attributes & ~platform::attr::kReadOnly, ignored));
            else if (!copy)
                static_cast<void>(
                    platform::setAttributes(subject, obstacle->attributes & ~platform::attr::kReadOnly, ignored));
            if (!before)
                return Decision::Retry;
            break;
        }
        case base::Answer::No: return fc_Skipped(at);
        default:
            if (copy)
                return fc_CopyCancelled(at);
            // A delete or a change is not a copy: its line says so.
            sb_AskLine(at, "Datei nicht ausgeführt => abgebrochen", "Verzeichnis nicht ausgeführt => abgebrochen");
            run_.stop.cancel = true;
            return Decision::Cancel;
        }
    }
    if (before)
        return Decision::GoOn;

    // A failure: with "continue after errors" nobody is asked; the entry is left.
    if (run_.has(status::kContinueAfterError))
        return Decision::GoOn;
    const std::string text = (at.isFile ? "Datei '" + platform::joinPath(at.path, name) : "Verzeichnis '" + at.path)
        + "' konnte nicht "
        + (copy                                  ? "kopiert"
               : run_.pass == PassAction::Delete ? "gelöscht"
                                                 : "verändert")
        + " werden!" + kTwoLines + errorText + kTwoLines + "=> Vorgang wiederholen?";
    switch (fc_Question(at, text, base::Buttons::AbortRetryIgnore)) {
    case base::Answer::Retry: return Decision::Retry;
    case base::Answer::Ignore: return Decision::GoOn;
    default:
        sb_AskLine(at, "Datei nicht ausgeführt => abgebrochen", "Verzeichnis nicht ausgeführt => abgebrochen");
        run_.stop.cancel = true;
        return Decision::Cancel;
    }
}

EntryPolicy::Decision EntryPolicy::fc_AskAgain(const EntryAt& at, const std::string& path, bool& readOnlyAllowed,
                                               std::string& errorText)
{
    // The entry as it is now: an earlier answer may have made it writable.
    platform::FileEntry now = at.entry;
    platform::ErrorCode ignored = 0;
    static_cast<void>(platform::statEntry(path, now, ignored)); // else as the walk saw it
    const bool readOnlyQuestion =
        (now.attributes & platform::attr::kReadOnly) != 0 && !run_.has(status::kOverwriteProtected);
    const Decision decision = fc_AskUser(at, &now, errorText);
    if (decision == Decision::Retry) {
        errorText.clear();
        readOnlyAllowed = readOnlyAllowed || readOnlyQuestion;
    } else if (decision == Decision::Skip) {
        sb_CountLeft(at, {});
    }
    return decision;
}

void EntryPolicy::sb_CountLeft(const EntryAt& at, const std::string& reason)
{
    lastFailure_ = {at.isFile ? platform::joinPath(at.path, at.entry.name) : at.path,
                    reason.empty() ? "übersprungen" : reason, true};
    EngineCounters& c = run_.counts.counters;
    if (at.isFile) {
        const double sizeKB = static_cast<double>(at.entry.size) / 1024;
        ++c.CountFiles_Done;
        ++c.CountFiles_Not;
        c.SizeTotal_Done += sizeKB;
        c.SizeTotal_Not += sizeKB;
        run_.observer.ActionFileNot(0);
    } else {
        ++c.CountFolder_Done;
        ++c.CountFolder_Not;
        run_.observer.ActionFolderNot(0);
    }
}

// After the action routine reported failure: the entry's line, its counts,
// and whether the walk goes on. A file never stops the walk (only the cancel
// flag does); a folder stops it unless errors are to be passed over, and
// then its content is left.
EntryResult EntryPolicy::fc_EntryFailed(const EntryAt& at, std::string& errorText)
{
    const bool stop = run_.stop.cancel || !run_.has(status::kContinueAfterError);
    if (run_.has(status::kCreateProtocol)) {
        const char* what = run_.pass == PassAction::Copy ? "nicht kopiert ("
            : run_.pass == PassAction::Delete            ? "nicht gelöscht ("
                                                         : "nicht gesetzt (";
        run_.sb_ProtocolEntry(at, what + errorText + (stop ? ") => Abbruch" : ") => Fehler ignorieren, weiter"));
        // A folder's failure has its error row too (a file's has it from
        // its action), so "nächster Fehler..." finds it.
        if (!at.isFile)
            run_.sb_ProtocolAdd({.action = run_.pass,
                                 .level = at.level,
                                 .type = protocol::EntryKind::Folder,
                                 .name = at.entry.name,
                                 .text = "ok",
                                 .folder = at.path,
                                 .target = errorText,
                                 .error = true});
    }
    sb_CountLeft(at, errorText);
    if (stop)
        kept_ = errorText;
    else
        errorText.clear();
    if (at.isFile)
        return EntryResult::GoOn;
    return stop ? EntryResult::Stop : EntryResult::ContentLeft;
}

} // namespace zdr::engine
