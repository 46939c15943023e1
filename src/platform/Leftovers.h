#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a run of this program that was killed may leave behind, and how a
// later run tells it from what a live run is still working on.
namespace zdr::platform {

// The process that made a temporary sibling (temporarySibling's names:
// "." + name + ".zdrtmp-" + process + "-" + number, perhaps with the zip
// library's own temporary ending "." + six letters or digits, as a partial
// archive has it); false for other names.
bool temporaryOwner(std::string_view name, long& process);
// A process of that number runs (perhaps another user's).
bool processAlive(long process);

// Removes the temporary siblings in the open folder folderFd whose process
// is gone (plain files of that name pattern only; never this process's
// own). The names removed, for the protocol.
std::vector<std::string> removeStaleTemporaries(int folderFd);
// The same for the names of a listing of the folder that look like
// temporary siblings (the folder is not read again; nothing to do when
// there are none).
std::vector<std::string> removeStaleTemporaries(int folderFd, const std::vector<std::string>& listed);
// The same for a folder named by its path.
std::vector<std::string> removeStaleTemporaries(const std::string& folder);
// The same for the temporaries of one file only (those made for path's
// name), in its folder.
std::vector<std::string> removeStaleTemporariesOf(const std::string& path);

// A mark beside a folder this process is filling, named as the folder's
// temporary sibling, so every volume can keep it (no extended attributes
// needed): a later run that finds it stale knows the folder may hold this
// run's temporaries. The mark's path; empty when none could be made.
std::string markBeside(const std::string& folder);
// The folder a stale mark of markBeside stands for (by name, in the same
// folder); empty for any other name.
std::string markedFolder(std::string_view markName);

// A folder this process made and has not finished yet (permissions and time
// follow after its content): marked, so a later run can finish it when this
// one is killed. Where the volume keeps no marks nothing is marked.
void markUnfinished(const std::string& folder);
void clearUnfinished(const std::string& folder);
// The same for a folder open as fd.
void markUnfinished(int fd);
void clearUnfinished(int fd);
// Marked by a process that is gone.
bool unfinishedByGoneRun(const std::string& folder);

// A lock on a folder for as long as the object lives: shared while a run
// works in it; exclusive (without waiting) only when no live run holds it.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool shared(const std::string& folder);
    bool exclusiveNow(const std::string& folder);
    void release();

private:
    bool lock(const std::string& folder, int how);
    int fd_ = -1;
};

} // namespace zdr::platform
