#pragma once

#include "net/ToolRun.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zdr::test {

// A Samba server of our own on a free port of 127.0.0.1, with its registry
// in a temporary folder: the provider then talks to the real tool and a real
// registry service.
class PrivateSambaServer {
public:
    static constexpr const char* kPassword = "Geheim123";

    PrivateSambaServer()
    {
        if (::geteuid() != 0 || !tool("smbd") || !tool("smbpasswd") || !tool("net")) {
            reason_ = "smbd, smbpasswd and net are needed, and root to start smbd";
            return;
        }
        port_ = freePort();
        const std::string d = dir_.path();
        config_ = dir_.write("smb.conf",
                             "[global]\n server role = standalone server\n workgroup = ZDRTEST\n"
                             " netbios name = ZDRREGTEST\n smb ports = "
                                 + std::to_string(port_)
                                 + "\n interfaces = 127.0.0.1\n bind interfaces only = yes\n"
                                   " disable netbios = yes\n load printers = no\n printing = bsd\n"
                                   " printcap name = /dev/null\n disable spoolss = yes\n"
                                   " pid directory = "
                                 + d + "\n lock directory = " + d + "\n state directory = " + d
                                 + "\n cache directory = " + d + "\n private dir = " + d + "\n ncalrpc dir = " + d
                                 + "/ncalrpc\n"
                                   " log file = "
                                 + d + "/log.%m\n passdb backend = tdbsam:" + d + "/passdb.tdb\n");
        FILE* pipe = ::popen(("smbpasswd -c " + config_ + " -s -a root >/dev/null 2>&1").c_str(), "w");
        std::fprintf(pipe, "%s\n%s\n", kPassword, kPassword);
        if (::pclose(pipe) != 0) {
            reason_ = "smbpasswd failed";
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setsid(); // its own group, so it goes with all its helpers
            const std::string log = d + "/smbd.out";
            std::freopen(log.c_str(), "w", stdout);
            std::freopen(log.c_str(), "a", stderr);
            ::execlp("smbd", "smbd", "--foreground", "--no-process-group", "-s", config_.c_str(), nullptr);
            ::_exit(127);
        }
        for (int i = 0; i < 150 && !answers(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!answers())
            reason_ = "smbd did not start";
    }
    ~PrivateSambaServer()
    {
        if (pid_ <= 0)
            return;
        ::kill(-pid_, SIGTERM);
        for (int i = 0; i < 50 && ::waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, WNOHANG);
        // smbd starts its RPC helpers in a session of their own; they are
        // ours by the configuration file they were given.
        for (pid_t helper : processesWith("--configfile=" + config_))
            ::kill(-helper, SIGTERM);
    }

    const std::string& reason() const { return reason_; }
    // A port nobody listens on (until someone takes it).
    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        ::close(s);
        return ntohs(address.sin_port);
    }
    int port() const { return port_; }
    std::vector<std::string> options(int port) const
    {
        return {"--configfile=" + config_, "--port=" + std::to_string(port)};
    }
    // Runs "net rpc registry <command>" against the server as root.
    bool registry(const std::vector<std::string>& command) const
    {
        std::vector<std::string> arguments{net::findTool("net"),
                                           "rpc",
                                           "registry",
                                           command[0],
                                           "-S",
                                           "127.0.0.1",
                                           "-U",
                                           std::string("root%") + kPassword};
        const std::vector<std::string> o = options(port_);
        arguments.insert(arguments.end(), o.begin(), o.end());
        arguments.insert(arguments.end(), command.begin() + 1, command.end());
        return net::runTool(arguments, {}, 60).exitCode == 0;
    }
    std::string write(const std::string& name, const std::string& content) const { return dir_.write(name, content); }

private:
    static bool tool(const char* name) { return !net::findTool(name).empty(); }
    static std::vector<pid_t> processesWith(const std::string& argument)
    {
        std::vector<pid_t> found;
        std::error_code ec;
        for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::FILE* file = std::fopen((entry.path() / "cmdline").c_str(), "r");
            if (!file)
                continue;
            std::string commandLine(4096, '\0');
            commandLine.resize(std::fread(commandLine.data(), 1, commandLine.size(), file));
            std::fclose(file);
            for (std::size_t at = 0; at < commandLine.size(); at += std::strlen(commandLine.c_str() + at) + 1) {
                if (argument == commandLine.c_str() + at) {
                    found.push_back(std::stoi(name));
                    break;
                }
            }
        }
        return found;
    }
    bool answers() const
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        return connected;
    }

    TempDir dir_;
    std::string config_;
    std::string reason_;
    int port_ = 0;
    pid_t pid_ = -1;
};

} // namespace zdr::test
