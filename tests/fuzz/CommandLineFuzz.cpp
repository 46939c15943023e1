// Fuzz target: splitting any command line and planning the start never
// crashes, keeps at most 32 arguments, and only ever loses separators.
#include "base/CommandLine.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> arguments = zdr::base::fc_GetCommandLine(raw);
    if (arguments.size() > zdr::base::kMaxArguments)
        __builtin_trap();
    std::size_t kept = 0;
    for (const std::string& a : arguments) {
        if (a.empty())
            __builtin_trap();
        kept += a.size();
    }
    if (kept > size)
        __builtin_trap();
    const zdr::base::StartPlan plan = zdr::base::planStart(arguments);
    if (plan.form == zdr::base::StartPlan::Form::HandOff && plan.arguments.size() != 5)
        __builtin_trap();
    return 0;
}
