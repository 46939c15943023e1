#include "SambaServer.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace zdr::test {

namespace {

constexpr const char* kSmbd = "/usr/sbin/smbd";

int freeLoopbackPort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

SambaServer::SambaServer()
{
    if (access(kSmbd, X_OK) != 0) {
        skipReason_ = "smbd is not installed (Debian package samba; scripts/setup.sh installs it)";
        return;
    }
    port_ = freeLoopbackPort();
    const std::string state = dir_.mkdir("state");
    dir_.mkdir("share");
    dir_.write("share/Ordner/eins.txt", "eins\n");
    dir_.write("share/Ordner/Unter/zwei.txt", std::string(70000, 'z'));
    dir_.write("share/wurzel.txt", "wurzel\n");
    config_ = dir_.write("smb.conf",
                         "[global]\n"
                         "  server role = standalone server\n"
                         "  workgroup = ZDRTEST\n"
                         "  netbios name = ZDRTEST\n"
                         "  smb ports = "
                             + std::to_string(port_)
                             + "\n"
                               "  interfaces = 127.0.0.1\n"
                               "  bind interfaces only = yes\n"
                               "  disable netbios = yes\n"
                               "  map to guest = Bad User\n"
                               "  load printers = no\n"
                               "  printing = bsd\n"
                               "  printcap name = /dev/null\n"
                               "  disable spoolss = yes\n"
                               "  pid directory = "
                             + state
                             + "\n"
                               "  lock directory = "
                             + state
                             + "\n"
                               "  state directory = "
                             + state
                             + "\n"
                               "  cache directory = "
                             + state
                             + "\n"
                               "  private dir = "
                             + state
                             + "\n"
                               "  ncalrpc dir = "
                             + state
                             + "/ncalrpc\n"
                               "  log file = "
                             + state
                             + "/log.%m\n"
                               "  passdb backend = tdbsam:"
                             + state
                             + "/passdb.tdb\n"
                               "[daten]\n"
                               "  path = "
                             + shareFolder()
                             + "\n"
                               "  guest ok = yes\n"
                               "  read only = no\n"
                               "  force user = root\n"
                               "[geheim$]\n"
                               "  path = "
                             + shareFolder()
                             + "\n"
                               "  guest ok = yes\n");

    const std::string log = state + "/smbd.out";
    pid_ = fork();
    if (pid_ == 0) {
        // Its own process group, so that the server and its workers stop together.
        setpgid(0, 0);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        execl(kSmbd, kSmbd, "--foreground", "--no-process-group", "--debug-stdout", "--debuglevel=1",
              ("--configfile=" + config_).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0) {
        skipReason_ = "smbd could not be started (fork failed)";
        return;
    }
    setpgid(pid_, pid_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!answers()) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            skipReason_ = "smbd ended at start: " + fileText(log).substr(0, 600);
            return;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            skipReason_ = "smbd did not answer on port " + std::to_string(port_) + " within 20 s";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

SambaServer::~SambaServer() { stop(); }

bool SambaServer::answers() const
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

void SambaServer::stop()
{
    if (pid_ > 0) {
        kill(-pid_, SIGTERM);
        for (int i = 0; i < 50 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (kill(pid_, 0) == 0) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (config_.empty())
        return;
    // smbd starts its RPC helpers in a session of their own; they are ours
    // because they name our configuration file.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string cmdline = fileText(entry.path().string() + "/cmdline");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.find(config_) != std::string::npos)
            kill(static_cast<pid_t>(std::stoi(name)), SIGKILL);
    }
}

} // namespace zdr::test
