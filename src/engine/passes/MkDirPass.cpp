#include "engine/passes/MkDirPass.h"

#include "base/ClipboardWriter.h"
#include "base/mdlErrSys.h"
#include "engine/FolderCopyObserver.h"
#include "engine/StatusBits.h"
#include "platform/FileEntry.h"
#include "platform/FolderLookup.h"
#include "platform/Folders.h"
#include "platform/Paths.h"

namespace zdr::engine {

bool MkDirPass::fc_NameGiven(std::string& errorText) const
{
    if (!run_.current().Target.empty())
        return true;
    errorText = "Bitte geben Sie eine Verzeichnisbezeichnung an!";
    return false;
}

bool MkDirPass::fc_MakeFolder(std::string& errorText)
{
    if (!platform::isAbsolute(run_.current().Source)) { // a drive that is not connected
        errorText = "Quelle: '" + run_.current().Source + "' ist nicht vorhanden oder keinen Zugriff!";
        return false;
    }
    const std::string path = platform::joinPath(run_.current().Source, run_.current().Target);
    // In its parent as reached from the source folder, never through a link
    // there; only a folder (not a file or link of that name) is there already.
    platform::FolderLookup folders;
    folders.setRoot(run_.current().Source);
    platform::EntryPlace place;
    platform::FileEntry there;
    platform::ErrorCode code = 0;
    const bool placed = folders.place(platform::parentPath(path), platform::fileName(path), place, code);
    platform::ErrorCode ignored = 0;
    const bool exists = placed && platform::statEntryAt(place.folder, place.name, path, there, ignored)
        && there.isDirectory() && !there.isSymlink();
    if (!exists) {
        run_.observer.ActionFolderStart(path);
        if (!placed || !platform::makeDirectoryAt(place.folder, place.name, code)) {
            errorText = "Fehler bei Verzeichnis: " + path + " - " + base::fc_GetApiErrorText(code);
            return false;
        }
    }
    if (run_.has(status::kCreateProtocol))
        run_.sb_ProtocolAdd({.action = run_.pass,
                             .type = protocol::EntryKind::Folder,
                             .name = run_.current().Target,
                             .text = exists ? "ok (vorhanden)" : "ok",
                             .folder = path});
    if (exists)
        return true;
    ++run_.counts.counters.CountFolder_Done;
    // The folder is made either way; the user learns that its path is not on the clipboard.
    if (run_.has(status::kFolderToClipboard) && run_.clipboard != nullptr
        && !run_.clipboard->ClipboardAll_Copy(path, base::clipboardFormat::kText))
        run_.observer.ActionInfo("Der Pfad '" + path + "' konnte nicht in die Zwischenablage kopiert werden.");
    run_.observer.ActionFolderDone();
    return true;
}

} // namespace zdr::engine
