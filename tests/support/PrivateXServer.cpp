#include "support/PrivateXServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

extern char** environ;

namespace zdr::test {

namespace {
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
} // namespace

PrivateXServer::PrivateXServer(const std::string& screen)
{
    int ready[2];
    if (pipe(ready) != 0) {
        why_ = "no pipe";
        return;
    }
    const std::string fd = std::to_string(ready[1]);
    std::vector<std::string> args{"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", screen};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) {
        pid_ = -1;
        why_ = "Xvfb is not installed";
        close(ready[0]);
        return;
    }
    // The server writes its display number once it accepts clients.
    std::string number;
    const auto deadline = Clock::now() + 60s;
    char c = 0;
    while (Clock::now() < deadline) {
        pollfd p{ready[0], POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0)
            continue;
        if (read(ready[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(ready[0]);
    if (number.empty())
        why_ = "Xvfb did not start";
    else
        display_ = ":" + number;
}

PrivateXServer::~PrivateXServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

} // namespace zdr::test
