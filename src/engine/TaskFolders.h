#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The folders a task names, checked before a run touches anything: how they
// are written, where they lead, and the folders no delete, attribute change
// or copy may take as a whole.
namespace zdr::engine {

// Why a task folder as written cannot be used; empty when it can. A folder
// is a full path ("/...") or a network drive name ("X:", "X:/..."); it is
// never resolved against the program's current folder. side: "Quelle",
// "Zielverzeichnis", ... as the message begins.
std::string fc_FolderTextProblem(std::string_view side, const std::string& folder);

// Why the name of a folder to be made inside its source cannot be used (a
// full path, a "." or ".." step, a control character); empty when it can.
std::string fc_NewFolderNameProblem(const std::string& name);

// The folder with every link on its way resolved; as given when it does not
// exist (the run then says it is missing).
std::string fc_ResolvedFolder(const std::string& folder);

// A user's home folder, as the password database and $HOME name it.
struct HomeFolder {
    std::string user; // empty for $HOME
    std::string path; // resolved
};
std::vector<HomeFolder> fc_HomeFolders();

// Why a resolved folder must not be deleted or changed as a whole: the file
// system root, a top folder of the system, a user's home folder or a folder
// that holds one. Empty when it may.
std::string fc_ProtectedFolderReason(const std::string& resolved, const std::vector<HomeFolder>& homes);

// True for "/" and the top folders of the system (/bin, /usr, /lib64, ...).
bool fc_IsSystemFolder(const std::string& resolved);

// The same guard by what a folder is (device and inode), not only by how it
// is written: a protected folder mounted a second time elsewhere (a bind
// mount) is refused there too, and so is every folder that holds such a
// mount point or a folder on a protected one's way.
class ProtectedFolders {
public:
    // homes and systemFolders (resolved) are protected; mountInfo: the
    // mount table that shows where else they are mounted.
    ProtectedFolders(std::vector<HomeFolder> homes, const std::vector<std::string>& systemFolders,
                     std::string_view mountInfo);
    // The system's root, its top folders and the homes, with this process's mounts.
    static ProtectedFolders ofSystem(std::vector<HomeFolder> homes);

    // fc_ProtectedFolderReason, then the same by identity. Empty when the
    // folder may be taken as a whole.
    std::string reason(const std::string& resolved) const;

private:
    struct Id {
        dev_t device = 0;
        ino_t inode = 0;
        auto operator<=>(const Id&) const = default;
    };
    // What a folder of that identity is or holds ("das Benutzerverzeichnis
    // von 'anna'") and where that one is.
    using What = std::pair<std::string, std::string>;
    void sb_Protect(const std::string& path, const std::string& what, std::string_view mountInfo);

    std::vector<HomeFolder> homes_;
    std::map<Id, What> is_;
    std::map<Id, What> holds_;
};

} // namespace zdr::engine
