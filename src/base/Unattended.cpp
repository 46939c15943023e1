#include "base/Unattended.h"

#include <cstdlib>
#include <string_view>

namespace zdr::base {

namespace {
bool forced = false;
}

void setUnattended() { forced = true; }

bool unattended()
{
    if (forced)
        return true;
    const char* value = std::getenv("ZDR_UNATTENDED");
    return value && *value && std::string_view(value) != "0";
}

std::string protocolFileName()
{
    const char* value = std::getenv("ZDR_PROTOCOL_FILE");
    return value ? value : "";
}

} // namespace zdr::base
