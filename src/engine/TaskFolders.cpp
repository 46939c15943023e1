#include "engine/TaskFolders.h"

#include "net/DriveFolder.h"
#include "platform/MountTable.h"
#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace zdr::engine {

namespace {

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

bool hasControl(std::string_view text)
{
    for (char c : text)
        if (isControl(c))
            return true;
    return false;
}

// A control character is shown as "?", so the message itself stays readable.
std::string shown(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (isControl(c))
            c = '?';
    return out;
}

// "X:", "X:/rest" or "X:\rest": a network drive, reached through its link.
bool isDriveForm(std::string_view folder)
{
    return folder.size() >= 2 && net::isDriveName(folder.substr(0, 2))
        && (folder.size() == 2 || folder[2] == '/' || folder[2] == '\\');
}

} // namespace

std::string fc_FolderTextProblem(std::string_view side, const std::string& folder)
{
    const std::string head = std::string(side) + ": '" + shown(folder) + "' ";
    if (folder.empty())
        return std::string(side) + ": bitte geben Sie ein Verzeichnis an ...";
    if (hasControl(folder))
        return head + "enthält Steuerzeichen und ist kein gültiges Verzeichnis!";
    if (!platform::isAbsolute(folder) && !isDriveForm(folder))
        return head + "ist kein vollständiger Pfad (er muss mit \"/\" beginnen)!";
    return {};
}

std::string fc_NewFolderNameProblem(const std::string& name)
{
    const std::string head = "Verzeichnisbezeichnung: '" + shown(name) + "' ";
    if (hasControl(name))
        return head + "enthält Steuerzeichen!";
    // Below its source without a way out: no "." or ".." step.
    if (platform::isAbsolute(name) || !platform::isWithin("/" + name, "/"))
        return head + "muss ein Name im Quellverzeichnis sein (ohne \"/\" am Anfang, ohne \".\" und \"..\")!";
    return {};
}

std::string fc_ResolvedFolder(const std::string& folder)
{
    char resolved[PATH_MAX];
    return realpath(folder.c_str(), resolved) != nullptr ? std::string(resolved) : folder;
}

std::vector<HomeFolder> fc_HomeFolders()
{
    std::vector<HomeFolder> homes;
    const auto add = [&](const char* user, const char* path) {
        if (path != nullptr && platform::isAbsolute(path))
            homes.push_back({user, fc_ResolvedFolder(path)});
    };
    setpwent();
    while (const passwd* entry = getpwent())
        add(entry->pw_name, entry->pw_dir);
    endpwent();
    add("", std::getenv("HOME"));
    return homes;
}

namespace {

const char* const kTop[] = {"/", "/bin", "/boot", "/dev", "/etc", "/proc", "/run", "/sbin", "/sys", "/usr", "/var"};

std::string whose(const HomeFolder& home)
{
    return home.user.empty() ? "des angemeldeten Benutzers" : "von '" + home.user + "'";
}

} // namespace

bool fc_IsSystemFolder(const std::string& resolved)
{
    for (const char* top : kTop)
        if (resolved == top)
            return true;
    // /lib, /lib32, /lib64, /libx32 (not /library)
    if (resolved.rfind("/lib", 0) != 0)
        return false;
    const std::string rest = resolved.substr(4);
    return rest.find_first_not_of("0123456789x") == std::string::npos;
}

std::string fc_ProtectedFolderReason(const std::string& resolved, const std::vector<HomeFolder>& homes)
{
    if (platform::isRoot(resolved))
        return "ist das Stammverzeichnis des Systems";
    if (fc_IsSystemFolder(resolved))
        return "ist ein Systemverzeichnis";
    for (const HomeFolder& home : homes) {
        if (home.path == resolved)
            return "ist das Benutzerverzeichnis " + whose(home);
        if (platform::isWithin(home.path, resolved))
            return "enthält das Benutzerverzeichnis " + whose(home) + " ('" + home.path + "')";
    }
    return {};
}

ProtectedFolders::ProtectedFolders(std::vector<HomeFolder> homes, const std::vector<std::string>& systemFolders,
                                   std::string_view mountInfo)
    : homes_(std::move(homes))
{
    for (const std::string& folder : systemFolders)
        sb_Protect(folder, platform::isRoot(folder) ? "das Stammverzeichnis des Systems" : "ein Systemverzeichnis",
                   mountInfo);
    for (const HomeFolder& home : homes_)
        sb_Protect(home.path, "das Benutzerverzeichnis " + whose(home), mountInfo);
}

ProtectedFolders ProtectedFolders::ofSystem(std::vector<HomeFolder> homes)
{
    std::vector<std::string> system(std::begin(kTop), std::end(kTop));
    for (const char* lib : {"/lib", "/lib32", "/lib64", "/libx32"})
        system.emplace_back(lib);
    return ProtectedFolders(std::move(homes), system, platform::readMountInfo());
}

// The folder itself, the folders on its way, and every other mount point
// that shows one of them, with the folders on that one's way.
void ProtectedFolders::sb_Protect(const std::string& path, const std::string& what, std::string_view mountInfo)
{
    const auto idOf = [](const std::string& folder, Id& id) {
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return false;
        id = {st.st_dev, st.st_ino};
        return true;
    };
    Id id;
    if (!platform::isAbsolute(path) || !idOf(path, id))
        return;
    is_.try_emplace(id, what, path);
    std::vector<std::string> way;
    for (std::string up = path; !platform::isRoot(up);) {
        up = platform::parentPath(up);
        way.push_back(up);
        if (idOf(up, id))
            holds_.try_emplace(id, what, path);
    }
    // Only mounts of the file systems these folders lie on can show them
    // again; no other mount point is looked at (an automounter's would
    // mount, a lost server's would hang).
    const std::vector<platform::MountEntry> mounts = platform::parseMountInfo(mountInfo);
    std::vector<dev_t> devices;
    way.insert(way.begin(), path);
    for (const std::string& folder : way) {
        const platform::MountEntry* holder = nullptr;
        for (const platform::MountEntry& mount : mounts)
            if (platform::isWithin(folder, mount.point)
                && (holder == nullptr || mount.point.size() >= holder->point.size()))
                holder = &mount;
        if (holder != nullptr)
            devices.push_back(holder->device);
    }
    for (const platform::MountEntry& mount : mounts) {
        if (std::find(devices.begin(), devices.end(), mount.device) == devices.end() || !idOf(mount.point, id))
            continue;
        const bool shows = is_.count(id) != 0 || holds_.count(id) != 0;
        if (!shows || std::find(way.begin(), way.end(), mount.point) != way.end())
            continue;
        for (std::string up = mount.point; !platform::isRoot(up);) {
            up = platform::parentPath(up);
            if (idOf(up, id))
                holds_.try_emplace(id, what, mount.point);
        }
    }
}

std::string ProtectedFolders::reason(const std::string& resolved) const
{
    std::string byPath = fc_ProtectedFolderReason(resolved, homes_);
    if (!byPath.empty())
        return byPath;
    struct stat st {};
    if (::stat(resolved.c_str(), &st) != 0)
        return {};
    const Id id{st.st_dev, st.st_ino};
    if (const auto is = is_.find(id); is != is_.end())
        return "ist " + is->second.first + " ('" + is->second.second + "', hier ein weiteres Mal eingehängt)";
    if (const auto holds = holds_.find(id); holds != holds_.end())
        return "enthält " + holds->second.first + " ('" + holds->second.second + "')";
    return {};
}

} // namespace zdr::engine
