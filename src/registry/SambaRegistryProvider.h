#pragma once

#include "registry/RegistryProvider.h"

#include <string>
#include <vector>

namespace zdr::registry {

// Reads a value of a Windows computer's registry over the network with
// Samba's "net rpc registry" (Debian package samba-common-bin). Without
// credentials in the task it logs on with the current user's Kerberos ticket;
// with them it hands user and password over in an authentication file that
// only the user can read and that is removed right after the call, so a
// password never shows on a command line. Linux has no registry of its own:
// a request without a computer fails with a German text, as does every
// request when the tool is not installed.
class SambaRegistryProvider : public RegistryProvider {
public:
    struct Options {
        std::string program = "net";
        // Extra options for every call, such as "--port=445" or "--configfile=...".
        std::vector<std::string> extraArguments;
        // A computer that has not answered by then counts as unreachable.
        int timeoutSeconds = 60;
    };

    SambaRegistryProvider() = default;
    explicit SambaRegistryProvider(Options options) : options_(std::move(options)) {}

    // Blocks until the computer answered or the time is up.
    RegistryReadResult fc_ReadValue(const RegistryReadRequest& request) override;

private:
    Options options_;
};

} // namespace zdr::registry
