#include "registry/ToolProcess.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zdr::registry {

namespace {

using Clock = std::chrono::steady_clock;

// The caller's environment with the language fixed to C.
std::vector<std::string> toolEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("LANGUAGE=", 0) == 0)
            continue;
        env.push_back(entry);
    }
    env.emplace_back("LC_ALL=C");
    env.emplace_back("LANGUAGE=C");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

class Pipe {
public:
    Pipe() { ok_ = ::pipe2(fd_.data(), O_CLOEXEC) == 0; }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    bool ok() const { return ok_; }
    int read() const { return fd_[0]; }
    int write() const { return fd_[1]; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

private:
    void closeEnd(int end)
    {
        if (fd_[end] >= 0)
            ::close(fd_[end]);
        fd_[end] = -1;
    }
    std::array<int, 2> fd_{-1, -1};
    bool ok_ = false;
};

// Reads what is there; false at the end of the stream.
bool drain(int fd, std::string& into, std::size_t limit)
{
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0)
        return errno == EINTR || errno == EAGAIN;
    if (n == 0)
        return false;
    const std::size_t room = into.size() < limit ? limit - into.size() : 0;
    into.append(buffer, std::min(room, static_cast<std::size_t>(n)));
    return true;
}

} // namespace

ToolRun runTool(const std::string& program, const std::vector<std::string>& arguments, const ToolLimits& limits)
{
    ToolRun run;
    Pipe out;
    Pipe err;
    if (!out.ok() || !err.ok())
        return run;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write(), 2);

    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = toolEnvironment();
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(env);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    out.closeWrite();
    err.closeWrite();
    if (spawned != 0) {
        run.outcome = spawned == ENOENT ? ToolRun::Outcome::NotFound : ToolRun::Outcome::Failed;
        return run;
    }

    const Clock::time_point deadline = Clock::now() + limits.timeout;
    bool outOpen = true;
    bool errOpen = true;
    int status = 0;
    bool reaped = false;
    run.outcome = ToolRun::Outcome::Exited;
    while (!reaped) {
        std::array<pollfd, 2> fds{};
        nfds_t count = 0;
        if (outOpen)
            fds[count++] = {out.read(), POLLIN, 0};
        if (errOpen)
            fds[count++] = {err.read(), POLLIN, 0};
        ::poll(fds.data(), count, 100);
        for (nfds_t i = 0; i < count; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0)
                continue;
            const bool isOut = fds[i].fd == out.read();
            if (!drain(fds[i].fd, isOut ? run.out : run.err, limits.maxOutput))
                (isOut ? outOpen : errOpen) = false;
        }
        if (!outOpen && !errOpen)
            reaped = ::waitpid(pid, &status, WNOHANG) == pid;
        if (reaped)
            break;
        if (Clock::now() >= deadline)
            run.outcome = ToolRun::Outcome::TimedOut;
        else if (limits.keepWaiting && !limits.keepWaiting())
            run.outcome = ToolRun::Outcome::Stopped;
        if (run.outcome != ToolRun::Outcome::Exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return run;
        }
    }
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    else
        run.outcome = ToolRun::Outcome::Failed;
    return run;
}

} // namespace zdr::registry
