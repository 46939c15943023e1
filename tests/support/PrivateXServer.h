#pragma once

#include <sys/types.h>

#include <string>

namespace zdr::test {

// A private X server (Xvfb) on a display number of its own, gone with the
// object. Empty name when the machine cannot start one; `why` says why.
class PrivateXServer {
public:
    // `screen`: width x height x depth of its one screen.
    explicit PrivateXServer(const std::string& screen = "320x200x24");
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    const std::string& display() const { return display_; }
    const std::string& why() const { return why_; }

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string why_;
};

} // namespace zdr::test
