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

namespace {

// What the children report through the pipe: the started process's number,
// or the errno of a failed start. Each report is one atomic write.
struct Report {
    int failure = 0;
    pid_t started = 0;
};

void report(int fd, const Report& what) { (void)!write(fd, &what, sizeof(what)); }

} // namespace

bool startDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder, long& started, int& errorNumber)
{
    started = 0;
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

    // The middle child reports the grandchild's number, the grandchild a
    // failed chdir or exec; a successful exec closes its end (O_CLOEXEC).
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        errorNumber = errno;
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        errorNumber = errno;
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            // The file manager's own descriptors are not the program's business.
            close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
            if (chdir(workingFolder.c_str()) == 0)
                execv(argv[0], argv.data());
            report(pipeEnds[1], {.failure = errno});
            _exit(127);
        }
        report(pipeEnds[1], grandchild < 0 ? Report{.failure = errno} : Report{.started = grandchild});
        _exit(0);
    }
    close(pipeEnds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Report got;
    int failure = 0;
    for (;;) {
        const ssize_t n = read(pipeEnds[0], &got, sizeof(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n != static_cast<ssize_t>(sizeof(got)))
            break;
        if (got.failure != 0)
            failure = got.failure;
        else
            started = got.started;
    }
    close(pipeEnds[0]);
    if (failure != 0 || started <= 0) {
        errorNumber = failure != 0 ? failure : ECHILD;
        started = 0;
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
