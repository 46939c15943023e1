#include "net/LinuxNetProvider.h"

#include "base/Text.h"
#include "net/DriveFolder.h"
#include "net/NetErrors.h"
#include "net/ToolRun.h"
#include "net/UncName.h"
#include "platform/ErrorCode.h"
#include "platform/FileEntry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

namespace zdr::net {

using platform::ErrorCode;

struct LinuxNetProvider::Request {
    std::string localName;
    std::string link;
    UncName unc;
    UserName user;
    std::string password;
    bool hasCredentials() const { return !user.user.empty() || !password.empty(); }
};

namespace {

// Another file system is mounted at folder (or it cannot be told).
bool mountedAt(const std::string& folder)
{
    platform::FileEntry entry;
    platform::ErrorCode error = 0;
    if (platform::statEntry(folder, entry, error))
        return entry.mountRoot;
    return error != platform::error::kFileNotFound && error != platform::error::kPathNotFound;
}

constexpr const char* kToolGio = "gio";
constexpr const char* kToolCifs = "cifs";
// A share gvfs had mounted before (the user's own): the drive only borrows
// it, and its release leaves it mounted.
constexpr const char* kToolBorrowed = "gio-borrowed";
// Mounted by gio on the process's own session bus.
constexpr const char* kToolPrivateGio = "gio-private";

// A session bus of this process's own, for runs without a desktop session:
// gvfs starts on it when gio first asks, and goes with it. Started once,
// ended when the process ends.
class PrivateBus {
public:
    static PrivateBus& instance()
    {
        static PrivateBus bus;
        return bus;
    }
    // The bus's address; empty when none can be started.
    std::string address()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (tried_)
            return address_;
        tried_ = true;
        const std::string daemon = findTool("dbus-daemon");
        if (daemon.empty())
            return address_;
        const ToolRun run =
            runTool({daemon, "--session", "--fork", "--nosyslog", "--print-address=1", "--print-pid=1"}, {}, 10);
        const std::size_t line = run.out.find('\n');
        if (run.exitCode != 0 || line == std::string::npos)
            return address_;
        pid_ = static_cast<pid_t>(std::atol(run.out.c_str() + line + 1));
        address_ = run.out.substr(0, line);
        return address_;
    }
    // Ends it: gvfs and its FUSE folder go with it. The next drive that
    // needs one starts another.
    void end()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (pid_ > 0)
            kill(pid_, SIGTERM);
        pid_ = 0;
        address_.clear();
        tried_ = false;
    }
    ~PrivateBus() { end(); }

private:
    PrivateBus() = default;
    std::mutex mutex_;
    bool tried_ = false;
    std::string address_;
    pid_t pid_ = 0;
};

// gio's command line, on the given session bus (empty: the session's).
std::vector<std::string> gioOn(const std::string& bus, const std::string& gio, std::vector<std::string> args)
{
    args.insert(args.begin(), gio);
    if (!bus.empty())
        args.insert(args.begin(), {findTool("env"), "DBUS_SESSION_BUS_ADDRESS=" + bus});
    return args;
}

bool exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Where a drive notes how it was mounted, so that it can be released later
// by another run: the tool's name and its handle (gio: the share's URI;
// mount.cifs: the mount point).
std::string recordPath(const std::string& folder, std::string_view localName)
{
    return folder + "/." + std::string(1, driveLinkPath("", localName)[1]) + ".mount";
}

std::string mountPointPath(const std::string& folder, std::string_view localName)
{
    return folder + "/.mnt-" + std::string(1, driveLinkPath("", localName)[1]);
}

struct MountRecord {
    std::string tool;
    std::string handle;
};

std::optional<MountRecord> readRecord(const std::string& path)
{
    std::ifstream in(path);
    MountRecord record;
    if (!in || !std::getline(in, record.tool) || !std::getline(in, record.handle))
        return std::nullopt;
    return record;
}

std::string smbUri(const UncName& unc, const UserName& user, int port)
{
    std::string uri = "smb://";
    if (!user.user.empty()) {
        if (!user.domain.empty())
            uri += percentEncoded(user.domain) + ";";
        uri += percentEncoded(user.user) + "@";
    }
    uri += percentEncoded(unc.server);
    if (port > 0)
        uri += ":" + std::to_string(port);
    return uri + "/" + percentEncoded(unc.share);
}

bool containsAny(const std::string& text, std::initializer_list<const char*> needles)
{
    for (const char* needle : needles) {
        if (base::icontains(text, needle))
            return true;
    }
    return false;
}

// What a mount tool's message means, in the numbers of the connect call.
ErrorCode errorFromMessage(const std::string& message, bool hadCredentials)
{
    using namespace error;
    if (containsAny(message, {"not supported", "no such device", "not available", "session bus"}))
        return kNoNetwork;
    if (containsAny(message,
                    {"connection refused", "timed out", "no route to host", "host is down", "network is unreachable",
                     "resolve", "name or service not known", "unknown host", "host not found", "share list"}))
        return kBadNetPath;
    if (containsAny(message, {"password", "permission denied", "access denied", "logon", "login"}))
        return hadCredentials ? kInvalidPassword : kAccessDenied;
    if (containsAny(message, {"no such file", "does not exist", "not found", "bad_network_name"}))
        return kBadNetName;
    if (base::icontains(message, "busy"))
        return kBusy;
    return kNoNetOrBadPath;
}

// mount.cifs names the kernel's errno: "mount error(13): Permission denied".
ErrorCode errorFromCifs(const ToolRun& run, bool hadCredentials)
{
    using namespace error;
    static const std::regex kErrno(R"(mount error\((\d+)\))");
    std::smatch match;
    if (std::regex_search(run.err, match, kErrno)) {
        switch (std::atoi(match[1].str().c_str())) {
        case EACCES: return hadCredentials ? kInvalidPassword : kAccessDenied;
        case EPERM: return kAccessDenied;
        case ENOENT:
        case EINVAL: return kBadNetName;
        case ENODEV: return kNoNetwork;
        case EBUSY: return kAlreadyAssigned;
        case ENXIO:
        case ENETUNREACH:
        case ETIMEDOUT:
        case ECONNREFUSED:
        case EHOSTDOWN:
        case EHOSTUNREACH: return kBadNetPath;
        default: break;
        }
    }
    return errorFromMessage(run.err + run.out, hadCredentials);
}

ErrorCode errorFromRun(const ToolRun& run, bool hadCredentials)
{
    if (!run.started)
        return error::kNoNetwork;
    if (run.timedOut)
        return error::kBadNetPath;
    return errorFromMessage(run.err + run.out, hadCredentials);
}

// The line gio's prompt stands on: "User [x]: ", "Domain [x]: ", "Password: ".
std::string promptWord(std::string_view output)
{
    const std::size_t start = output.rfind('\n');
    std::string line = base::trim(output.substr(start == std::string_view::npos ? 0 : start + 1));
    if (!base::endsWith(line, ":"))
        return {};
    return line.substr(0, line.find_first_of(" :["));
}

// A share mounted again soon after it was unmounted: gvfs's FUSE folder
// answers EIO for a second or so (it still holds the old mount). A name that
// is asked for the first time shows it past the kernel's caches: EIO while
// the folder is not ready, ENOENT once it is. Waits at most 10 s.
void waitForFuseFolder(const std::string& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int probe = 0; std::chrono::steady_clock::now() < deadline; ++probe) {
        const std::string name = folder + "/.zdr-probe-" + std::to_string(getpid()) + "-" + std::to_string(probe);
        struct stat st {};
        if (stat(name.c_str(), &st) == 0 || errno != EIO)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// A credentials file only this user can read, removed when the mount ends.
class CredentialsFile {
public:
    CredentialsFile(const std::string& folder, const UserName& user, const std::string& password)
    {
        std::string content = "username=" + user.user + "\npassword=" + password + "\n";
        if (!user.domain.empty())
            content += "domain=" + user.domain + "\n";
        std::string pattern = folder + "/.cred-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            path_ = pattern;
            fchmod(fd, 0600);
            ok_ = write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
            close(fd);
        }
        explicit_bzero(content.data(), content.size());
    }
    ~CredentialsFile() { remove(); }
    CredentialsFile(const CredentialsFile&) = delete;
    CredentialsFile& operator=(const CredentialsFile&) = delete;
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }
    void remove()
    {
        if (!path_.empty())
            unlink(path_.c_str());
        path_.clear();
    }

private:
    std::string path_;
    bool ok_ = false;
};

} // namespace

void endPrivateSessionBus() { PrivateBus::instance().end(); }

LinuxNetProvider::LinuxNetProvider() : LinuxNetProvider(Options{}) {}

LinuxNetProvider::LinuxNetProvider(Options options) : options_(std::move(options)) {}

std::string LinuxNetProvider::folder() const
{
    return options_.drivesFolder.empty() ? drivesFolderPath() : options_.drivesFolder;
}

bool LinuxNetProvider::pathAnswers(const std::string& path)
{
    const std::string dir = folder();
    if (isDriveName(path) && !exists(driveLinkPath(dir, path)))
        return false;
    struct stat st {};
    return stat(resolveDrivePath(path, dir).c_str(), &st) == 0;
}

NetCallResult LinuxNetProvider::connect(const std::string& localName, const std::string& remoteName,
                                        const std::string& userName, const std::string& password)
{
    if (!isDriveName(localName))
        return {error::kBadDevice, {}};
    std::optional<UncName> unc = parseUncName(remoteName);
    if (!unc)
        return {error::kBadNetName, {}};
    const std::string dir = folder();
    std::string failure;
    if (!ensureDrivesFolder(dir, failure))
        return {error::kNoNetwork, failure};

    Request request{localName, driveLinkPath(dir, localName), *unc, splitUserName(userName), password};
    if (exists(request.link) || exists(recordPath(dir, localName))) {
        if (pathAnswers(localName))
            return {error::kAlreadyAssigned, {}};
        release(localName, true); // a drive whose share went away
    }

    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const bool session = options_.desktopSession.value_or(bus != nullptr && *bus != '\0');
    if (session && !findTool(options_.gioTool).empty()) {
        const NetCallResult result = connectWithGio(request);
        if (result.code != error::kNoNetwork || !result.failure.empty())
            return result;
    }
    if (options_.mayMount.value_or(geteuid() == 0) && !findTool(options_.mountCifsTool).empty()) {
        const NetCallResult result = connectWithCifs(request);
        if (result.code != error::kNoNetwork || !result.failure.empty() || session || !options_.privateBus)
            return result;
    }
    // Unattended (cron, ssh, a timer): gvfs on a bus of the process's own.
    if (!session && options_.privateBus && !findTool(options_.gioTool).empty()) {
        if (const std::string own = PrivateBus::instance().address(); !own.empty())
            return connectWithGio(request, own);
    }
    return {error::kNoNetwork, {}};
}

NetCallResult LinuxNetProvider::connectWithGio(const Request& request, const std::string& bus)
{
    const std::string gio = findTool(options_.gioTool);
    const std::string uri = smbUri(request.unc, request.user, options_.port);
    std::vector<std::string> args{"mount"};
    if (!request.hasCredentials())
        args.emplace_back("-a");
    args.push_back(uri);
    args = gioOn(bus, gio, std::move(args));

    // Each prompt is answered once; a second password prompt means the first
    // was refused, and closing the input makes gio give up.
    std::size_t answered = 0;
    int passwordPrompts = 0;
    const ToolDialog dialog = [&](const std::string& output) -> std::optional<ToolReply> {
        const std::string word = promptWord(std::string_view(output).substr(answered));
        if (word.empty())
            return std::nullopt;
        answered = output.size();
        if (word == "User")
            return ToolReply{request.user.user + "\n"};
        if (word == "Domain")
            return ToolReply{request.user.domain + "\n"};
        if (word == "Password" && ++passwordPrompts == 1)
            return ToolReply{request.password + "\n"};
        return ToolReply{{}, true};
    };
    const ToolRun mount = runTool(args, dialog, options_.timeoutSeconds);
    if (!mount.started || mount.timedOut || (mount.exitCode != 0 && !base::icontains(mount.err, "already mounted"))) {
        return {passwordPrompts > 1 ? error::kInvalidPassword : errorFromRun(mount, request.hasCredentials()), {}};
    }
    const bool mountedBefore = mount.exitCode != 0;

    // The share's files are reached through gvfs's FUSE folder.
    const ToolRun info = runTool(gioOn(bus, gio, {"info", uri}), {}, options_.timeoutSeconds);
    static const std::regex kLocalPath(R"((^|\n)local path: ([^\n]+))");
    std::smatch match;
    if (info.exitCode != 0 || !std::regex_search(info.out, match, kLocalPath)) {
        if (!mountedBefore)
            runTool(gioOn(bus, gio, {"mount", "-u", uri}), {}, options_.timeoutSeconds);
        return {error::kNoNetwork, {}};
    }
    waitForFuseFolder(match[2].str());
    std::string target = match[2].str();
    if (!request.unc.folder.empty())
        target += "/" + request.unc.folder;
    return finishConnect(request,
                         mountedBefore     ? kToolBorrowed
                             : bus.empty() ? kToolGio
                                           : kToolPrivateGio,
                         uri, target);
}

NetCallResult LinuxNetProvider::connectWithCifs(const Request& request)
{
    const std::string dir = folder();
    const std::string mountPoint = mountPointPath(dir, request.localName);
    if (mkdir(mountPoint.c_str(), 0700) != 0 && errno != EEXIST)
        return {error::kNoNetwork,
                std::string("Einhängepunkt '") + mountPoint + "': " + platform::systemMessage(platform::lastError())};

    std::string options;
    std::optional<CredentialsFile> credentials;
    if (request.hasCredentials()) {
        // The credentials file is line based: a line break cannot be passed.
        if (request.password.find('\n') != std::string::npos || request.user.user.find('\n') != std::string::npos)
            return {error::kInvalidPassword, {}};
        credentials.emplace(dir, request.user, request.password);
        if (!credentials->ok())
            return {error::kNoNetwork,
                    "Anmeldedaten können nicht übergeben werden: "
                        + std::string(platform::systemMessage(platform::lastError()))};
        options = "credentials=" + credentials->path();
    } else {
        options = "guest";
    }
    options += ",uid=" + std::to_string(geteuid()) + ",gid=" + std::to_string(getegid());
    if (options_.port > 0)
        options += ",port=" + std::to_string(options_.port);

    std::string unc = "//" + request.unc.server + "/" + request.unc.share;
    if (!request.unc.folder.empty())
        unc += "/" + request.unc.folder;
    const ToolRun mount =
        runTool({findTool(options_.mountCifsTool), unc, mountPoint, "-o", options}, {}, options_.timeoutSeconds);
    if (credentials)
        credentials->remove();
    if (!mount.started || mount.timedOut || mount.exitCode != 0) {
        rmdir(mountPoint.c_str());
        if (!mount.started || mount.timedOut)
            return {errorFromRun(mount, request.hasCredentials()), {}};
        return {errorFromCifs(mount, request.hasCredentials()), {}};
    }
    return finishConnect(request, kToolCifs, mountPoint, mountPoint);
}

NetCallResult LinuxNetProvider::finishConnect(const Request& request, const std::string& tool,
                                              const std::string& handle, const std::string& target)
{
    const std::string dir = folder();
    {
        std::ofstream record(recordPath(dir, request.localName), std::ios::trunc);
        record << tool << "\n" << handle << "\n";
    }
    if (symlink(target.c_str(), request.link.c_str()) != 0) {
        const std::string reason = platform::systemMessage(platform::lastError());
        release(request.localName, true);
        return {error::kNoNetwork, "Laufwerk '" + request.localName + "' kann nicht angelegt werden: " + reason};
    }
    return {};
}

NetCallResult LinuxNetProvider::cancel(const std::string& localName, bool force)
{
    if (!isDriveName(localName))
        return {error::kBadDevice, {}};
    const std::string dir = folder();
    if (!exists(driveLinkPath(dir, localName)) && !exists(recordPath(dir, localName)))
        return {error::kNotConnected, {}};
    return release(localName, force);
}

NetCallResult LinuxNetProvider::release(const std::string& localName, bool force)
{
    const std::string dir = folder();
    const std::string record = recordPath(dir, localName);
    if (const std::optional<MountRecord> mounted = readRecord(record)) {
        if (mounted->tool == kToolGio || mounted->tool == kToolPrivateGio) {
            std::vector<std::string> args{"mount", "-u"};
            if (force)
                args.emplace_back("-f");
            args.push_back(mounted->handle);
            // One of an earlier process's own bus went with that process.
            const std::string bus = mounted->tool == kToolPrivateGio ? PrivateBus::instance().address() : "";
            const ToolRun run =
                runTool(gioOn(bus, findTool(options_.gioTool), std::move(args)), {}, options_.timeoutSeconds);
            // A share that is no longer mounted is released all the same.
            if (run.started && run.exitCode != 0 && !containsAny(run.err + run.out, {"not mounted", "no such"}))
                return {errorFromRun(run, false), {}};
        } else if (mounted->tool == kToolCifs) {
            // Forced: detach now, the kernel finishes when open files close.
            // A share no longer mounted there is released all the same; a
            // user may not unmount at all and learns only that (EPERM).
            const int why = umount2(mounted->handle.c_str(), force ? MNT_DETACH : 0) == 0 ? 0 : errno;
            if (why != 0 && why != EINVAL && why != ENOENT && (why != EPERM || mountedAt(mounted->handle)))
                return {why == EBUSY ? error::kBusy : error::kAccessDenied, {}};
            rmdir(mounted->handle.c_str());
        }
    }
    unlink(driveLinkPath(dir, localName).c_str());
    unlink(record.c_str());
    return {};
}

} // namespace zdr::net
