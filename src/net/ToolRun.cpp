#include "net/ToolRun.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "base/Text.h"

extern char** environ;

namespace zdr::net {

namespace {

bool isExecutable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

class Fd {
public:
    Fd() = default;
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Fd read;
    Fd write;
    bool open()
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read.reset(fds[0]);
        write.reset(fds[1]);
        return true;
    }
};

std::vector<std::string> toolEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (!base::startsWith(*e, "LC_ALL=") && !base::startsWith(*e, "LANGUAGE="))
            env.emplace_back(*e);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& texts)
{
    std::vector<char*> result;
    for (std::string& t : texts)
        result.push_back(t.data());
    result.push_back(nullptr);
    return result;
}

// Writes without the process dying of SIGPIPE when the tool has already
// closed its input: the signal is blocked for this thread and a pending one
// is taken back.
bool writeAll(int fd, const std::string& text)
{
    sigset_t pipeSet;
    sigset_t old;
    sigemptyset(&pipeSet);
    sigaddset(&pipeSet, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
    bool ok = true;
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    const timespec zero{};
    while (sigtimedwait(&pipeSet, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

} // namespace

std::string findTool(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return isExecutable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::vector<std::string> folders = base::split(path ? path : "", ":");
    folders.emplace_back("/usr/sbin");
    folders.emplace_back("/sbin");
    for (const std::string& folder : folders) {
        if (folder.empty())
            continue;
        const std::string candidate = folder + "/" + name;
        if (isExecutable(candidate))
            return candidate;
    }
    return {};
}

ToolRun runTool(const std::vector<std::string>& argv, const ToolDialog& dialog, int timeoutSeconds)
{
    ToolRun run;
    Pipe in;
    Pipe out;
    Pipe err;
    if (!in.open() || !out.open() || !err.open()) {
        run.startError = errno;
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.read.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, out.write.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), 2);
    std::vector<std::string> args = argv;
    std::vector<std::string> env = toolEnvironment();
    std::vector<char*> argp = pointers(args);
    std::vector<char*> envp = pointers(env);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv.at(0).c_str(), &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        run.startError = rc;
        return run;
    }
    run.started = true;
    in.read.reset();
    out.write.reset();
    err.write.reset();
    if (!dialog)
        in.write.reset();

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool outOpen = true;
    bool errOpen = true;
    while (outOpen || errOpen) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outOpen ? out.read.get() : -1, POLLIN, 0}, {errOpen ? err.read.get() : -1, POLLIN, 0}};
        const int ready = poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        char buffer[4096];
        if (fds[0].revents != 0) {
            const ssize_t n = read(out.read.get(), buffer, sizeof buffer);
            if (n > 0) {
                run.out.append(buffer, static_cast<std::size_t>(n));
                if (dialog && in.write.get() >= 0) {
                    if (std::optional<ToolReply> reply = dialog(run.out)) {
                        if (!reply->text.empty() && !writeAll(in.write.get(), reply->text))
                            in.write.reset();
                        if (reply->closeInput)
                            in.write.reset();
                    }
                }
            } else if (n == 0 || errno != EINTR) {
                outOpen = false;
            }
        }
        if (fds[1].revents != 0) {
            const ssize_t n = read(err.read.get(), buffer, sizeof buffer);
            if (n > 0)
                run.err.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                errOpen = false;
        }
    }
    in.write.reset();
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        run.exitCode = WEXITSTATUS(status);
    return run;
}

} // namespace zdr::net
