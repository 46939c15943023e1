#include "net/DriveFolder.h"

#include "platform/ErrorCode.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace zdr::net {

namespace {

constexpr const char* kFolderName = "zendor-drives";

bool isOwnPrivateFolder(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

char upperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

bool isDriveName(std::string_view name)
{
    if (name.size() != 2 || name[1] != ':')
        return false;
    const char c = upperLetter(name[0]);
    return c >= 'A' && c <= 'Z';
}

std::string drivesFolderPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return std::string(runtime) + "/" + kFolderName;
    const std::string uid = std::to_string(geteuid());
    const std::string userRuntime = "/run/user/" + uid;
    if (isOwnPrivateFolder(userRuntime))
        return userRuntime + "/" + kFolderName;
    return "/tmp/" + std::string(kFolderName) + "-" + uid;
}

bool ensureDrivesFolder(const std::string& folder, std::string& error)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "Laufwerksverzeichnis '" + folder
            + "' kann nicht angelegt werden: " + platform::systemMessage(platform::lastError());
        return false;
    }
    // The folder may sit in a shared place such as /tmp: it must be a real
    // folder (no link) of this user, closed to everybody else.
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid()) {
        error = "Laufwerksverzeichnis '" + folder + "' gehört nicht dem Benutzer oder ist kein Verzeichnis";
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        error = "Laufwerksverzeichnis '" + folder
            + "' kann nicht geschützt werden: " + platform::systemMessage(platform::lastError());
        return false;
    }
    return true;
}

std::string driveLinkPath(const std::string& folder, std::string_view driveName)
{
    std::string name(driveName);
    if (!name.empty())
        name[0] = upperLetter(name[0]);
    return folder + "/" + name;
}

std::string resolveDrivePath(std::string_view path) { return resolveDrivePath(path, drivesFolderPath()); }

std::string resolveDrivePath(std::string_view path, const std::string& drivesFolder)
{
    if (path.size() < 2 || !isDriveName(path.substr(0, 2)))
        return std::string(path);
    std::string_view rest = path.substr(2);
    if (!rest.empty() && rest[0] != '/' && rest[0] != '\\')
        return std::string(path);
    std::error_code ec;
    const fs::path target = fs::read_symlink(driveLinkPath(drivesFolder, path.substr(0, 2)), ec);
    if (ec)
        return std::string(path);
    std::string resolved = target.string();
    if (rest.size() > 1)
        resolved += "/" + std::string(rest.substr(1));
    return resolved;
}

} // namespace zdr::net
