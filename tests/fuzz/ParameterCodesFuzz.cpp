// Fuzz target: reading any text as a rename or network-drive code never
// crashes, a sound code rebuilds to one that reads the same, a sound rename
// pattern names an entry in its own folder, and no error
// text or description of a drive code depends on its password.
#include "base/ParameterCodes.h"
#include "engine/RenamePattern.h"

#include <cstddef>
#include <cstdint>

using namespace zdr::base;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const ParsedCode<RenameCode> rename = parseRenameCode(text);
    if (rename.ok() && parseRenameCode(buildRenameCode(rename.code)).code != rename.code)
        __builtin_trap();
    (void)renameText(rename.code);
    // A sound pattern never makes a name that leads into another folder.
    bool numbered = false;
    if (rename.ok()
        && zdr::engine::fc_RenameName(rename.code.pattern, {"a.b", true, {}, 7}, numbered).find('/')
            != std::string::npos)
        __builtin_trap();
    (void)renameProblemMessage(renameProblems(rename.code.flags, rename.code.pattern));

    const ParsedCode<NetConnectCode> net = parseNetConnectCode(text);
    if (net.ok() && parseNetConnectCode(buildNetConnectCode(net.code)).code != net.code)
        __builtin_trap();
    // Neither the error nor the description depends on the password.
    NetConnectCode masked = net.code;
    masked.password = net.code.password.empty() ? "" : "x";
    if (describe(masked) != describe(net.code))
        __builtin_trap();
    std::size_t passwordStart = std::string_view::npos;
    for (std::size_t pos = 0, separators = 0; pos < text.size() && passwordStart == std::string_view::npos; ++pos)
        if (text[pos] == '|' && ++separators == 4)
            passwordStart = pos + 1;
    if (passwordStart != std::string_view::npos
        && parseNetConnectCode(std::string(text.substr(0, passwordStart)) + "x").error != net.error)
        __builtin_trap();
    (void)netConnectProblemMessage(netConnectProblems(net.code));
    return 0;
}
