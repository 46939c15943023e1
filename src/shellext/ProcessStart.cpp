#include "shellext/ProcessStart.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/close_range.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zdr::shellext {

std::string moduleFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleFolder), &info) == 0 || !info.dli_fname)
        return ".";
    char resolved[PATH_MAX];
    const std::string file = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder, int& errorNumber)
{
    // Everything the children need is built before fork: after it only
    // async-signal-safe calls are allowed in a threaded file manager.
    std::vector<std::string> owned;
    owned.reserve(arguments.size() + 1);
    owned.push_back(program);
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The grandchild reports a failed chdir or exec through this pipe; a
    // successful exec closes it (O_CLOEXEC) and the parent reads nothing.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        errorNumber = errno;
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        errorNumber = errno;
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            // The file manager's own descriptors are not the program's business.
            close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
            if (chdir(workingFolder.c_str()) == 0)
                execv(argv[0], argv.data());
            const int failure = errno;
            (void)!write(report[1], &failure, sizeof(failure));
            _exit(127);
        }
        if (grandchild < 0) {
            const int failure = errno;
            (void)!write(report[1], &failure, sizeof(failure));
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int failure = 0;
    ssize_t n = 0;
    do {
        n = read(report[0], &failure, sizeof(failure));
    } while (n < 0 && errno == EINTR);
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof(failure))) {
        errorNumber = failure;
        return false;
    }
    errorNumber = 0;
    return true;
}

std::string findInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', begin), folders.size());
        const std::string candidate = folders.substr(begin, end - begin) + "/" + name;
        if (end > begin && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
}

} // namespace zdr::shellext
