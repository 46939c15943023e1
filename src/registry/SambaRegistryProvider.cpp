#include "registry/SambaRegistryProvider.h"

#include "base/mdlErrSys.h"
#include "net/ToolRun.h"
#include "platform/ErrorCode.h"
#include "registry/RegistryRootKey.h"
#include "registry/SambaOutput.h"

#include <cerrno>
#include <filesystem>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace zdr::registry {

namespace {

constexpr std::uint32_t kInvalidData = 13;

RegistryReadResult failure(std::uint32_t code, std::string text)
{
    RegistryReadResult result;
    result.result = static_cast<std::int32_t>(code);
    result.errorText = std::move(text);
    return result;
}

// The credentials for one call, in a folder only this user can enter; the
// file and the folder are removed when the call is over.
class AuthFile {
public:
    AuthFile() = default;
    AuthFile(const AuthFile&) = delete;
    AuthFile& operator=(const AuthFile&) = delete;
    ~AuthFile()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
        if (!folder_.empty())
            ::rmdir(folder_.c_str());
    }

    const std::string& path() const { return path_; }

    // User names may carry their domain: "FIRMA\name" or "FIRMA/name".
    std::optional<RegistryReadResult> create(const std::string& user, const std::string& password)
    {
        if (user.find_first_of("\r\n") != std::string::npos || password.find_first_of("\r\n") != std::string::npos)
            return failure(platform::error::kInvalidParameter,
                           "Benutzername oder Kennwort der Aufgabe enthalten einen Zeilenumbruch.");
        std::string content;
        const std::size_t slash = user.find_first_of("\\/");
        if (slash != std::string::npos)
            content += "domain = " + user.substr(0, slash) + "\n";
        content += "username = " + user.substr(slash == std::string::npos ? 0 : slash + 1) + "\n";
        content += "password = " + password + "\n";

        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "zdr-reg-XXXXXX").string();
        if (ec || ::mkdtemp(pattern.data()) == nullptr)
            return writeFailure();
        folder_ = pattern;
        const std::string file = folder_ + "/auth";
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            return writeFailure();
        path_ = file;
        const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        const int writeErrno = errno;
        ::close(fd);
        if (!written) {
            errno = writeErrno;
            return writeFailure();
        }
        return std::nullopt;
    }

private:
    static RegistryReadResult writeFailure()
    {
        return failure(platform::lastError(),
                       "Die Anmeldedatei für den Registry-Zugriff konnte nicht angelegt werden: "
                           + base::fc_GetApiErrorText(platform::lastError()));
    }

    std::string folder_;
    std::string path_;
};

std::string withoutLeading(std::string text, std::string_view characters)
{
    text.erase(0, text.find_first_not_of(characters));
    return text;
}

std::optional<RegistryReadResult> toolFailure(const net::ToolRun& run, const std::string& program,
                                              const std::string& computer)
{
    if (!run.started)
        return failure(platform::error::kInvalidFunction,
                       "Das Programm '" + program + "' konnte nicht gestartet werden: "
                           + base::fc_GetApiErrorText(platform::fromErrno(run.startError)));
    if (run.timedOut)
        return errorResult(platform::error::kTimeout);
    if (run.exitCode != 0)
        return samba::failureFromToolOutput(run.err + "\n" + run.out, computer);
    return std::nullopt;
}

} // namespace

RegistryReadResult SambaRegistryProvider::fc_ReadValue(const RegistryReadRequest& request)
{
    // "\\PC1" names the same computer as "PC1".
    const std::string computer = withoutLeading(request.computer, "\\/");
    if (computer.empty())
        return failure(platform::error::kNotSupported,
                       "Kein Computer angegeben: unter Linux gibt es keine lokale Registry, bitte nennen Sie den "
                       "Computer, dessen Registry gelesen werden soll.");
    const std::string tool = net::findTool(options_.program);
    if (tool.empty())
        return failure(platform::error::kFileNotFound,
                       "Die Registry von Computer '" + computer + "' kann nicht gelesen werden: das Programm '"
                           + options_.program + "' (Paket samba-common-bin) ist nicht installiert.");

    AuthFile authFile;
    std::vector<std::string> logOn;
    if (request.user.empty()) {
        logOn = {"--use-kerberos=required", "--no-pass"};
    } else {
        if (auto failed = authFile.create(request.user, request.password))
            return *failed;
        logOn = {"--authentication-file=" + authFile.path()};
    }
    std::string key(rootKeyName(request.rootKey));
    const std::string keyPath = withoutLeading(request.keyPath, "\\");
    if (!keyPath.empty())
        key += "\\" + keyPath;

    const auto call = [&](const char* command, const std::string& last) {
        std::vector<std::string> arguments{tool, "rpc", "registry", command, "-S", computer};
        arguments.insert(arguments.end(), logOn.begin(), logOn.end());
        arguments.insert(arguments.end(), options_.extraArguments.begin(), options_.extraArguments.end());
        // Key and value name are never read as options, whatever they hold.
        arguments.insert(arguments.end(), {"--", key, last});
        return net::runTool(arguments, {}, options_.timeoutSeconds);
    };

    net::ToolRun run = call("getvalue", request.valueName);
    if (auto failed = toolFailure(run, options_.program, computer))
        return *failed;
    samba::GetValueOutput parsed = samba::parseGetValue(run.out, request.valueName);
    if (!parsed.binaryLength)
        return parsed.result;

    run = call("export", "/dev/stdout");
    if (auto failed = toolFailure(run, options_.program, computer))
        return *failed;
    auto bytes = samba::parseExportedBinary(run.out, request.valueName);
    if (!bytes || bytes->size() != *parsed.binaryLength)
        return failure(kInvalidData,
                       "Die Daten des REG_BINARY-Werts '" + request.valueName
                           + "' konnten aus dem Export des Schlüssels nicht gelesen werden.");
    parsed.result.value = std::move(*bytes);
    return parsed.result;
}

} // namespace zdr::registry
