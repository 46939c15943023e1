#include "engine/TaskFolders.h"

#include "net/DriveFolder.h"
#include "platform/Paths.h"

#include <pwd.h>

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

bool fc_IsSystemFolder(const std::string& resolved)
{
    static const char* const kTop[] = {"/",    "/bin",  "/boot", "/dev", "/etc", "/proc",
                                       "/run", "/sbin", "/sys",  "/usr", "/var"};
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
        const std::string whose = home.user.empty() ? "des angemeldeten Benutzers" : "von '" + home.user + "'";
        if (home.path == resolved)
            return "ist das Benutzerverzeichnis " + whose;
        if (platform::isWithin(home.path, resolved))
            return "enthält das Benutzerverzeichnis " + whose + " ('" + home.path + "')";
    }
    return {};
}

} // namespace zdr::engine
