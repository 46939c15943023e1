#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

namespace zdr::test {

// A helper process of a test (a bus, a daemon) that lives while its standard
// input is open: started in a process group of its own, it tells on its first
// line of output that it is ready (or why not). When the object goes its
// input closes, and whatever of the group is left after 5 s is killed.
class HeldProcess {
public:
    // argv[0] is searched in PATH; standard error goes to errorLog.
    HeldProcess(std::vector<std::string> argv, const std::string& errorLog)
    {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0)
            return;
        if (pipe2(out, O_CLOEXEC) != 0) {
            close(in[0]);
            close(in[1]);
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            dup2(in[0], 0);
            dup2(out[1], 1);
            const int log = open(errorLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            dup2(log, 2);
            std::vector<char*> args;
            for (std::string& a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        if (pid_ > 0)
            setpgid(pid_, pid_);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (pid_ > 0 && firstLine_.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{out[0], POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            firstLine_.append(buffer, static_cast<std::size_t>(n));
        }
        close(out[0]);
        firstLine_ = firstLine_.substr(0, firstLine_.find('\n'));
    }

    ~HeldProcess()
    {
        if (input_ >= 0)
            close(input_);
        if (pid_ <= 0)
            return;
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
            if (!ended)
                usleep(50000);
        }
        kill(-pid_, SIGKILL); // what did not end with it
        if (!ended)
            waitpid(pid_, nullptr, 0);
    }
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;

    // Empty when nothing came within 20 s.
    const std::string& firstLine() const { return firstLine_; }

private:
    std::string firstLine_;
    pid_t pid_ = -1;
    int input_ = -1;
};

} // namespace zdr::test
