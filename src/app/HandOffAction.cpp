#include "app/HandOffAction.h"

#include <array>

namespace zdr::app {

const HandOffAction* handOffAction(std::string_view word)
{
    static constexpr std::array<HandOffAction, 6> actions {{
        {"INFO", "INFO", 0x10800A},
        {"INFODIR", "INFO", 0x12800A},
        {"COPY", "COPY", 0x10870B},
        {"DELETE", "DELETE", 0x852A},
        {"ATTRIB", "ATTRIB", 0x10874A},
        {"MKDIR", "MKDIR", 0x600000},
    }};
    for (const HandOffAction& a : actions)
        if (a.word == word)
            return &a;
    return nullptr;
}

} // namespace zdr::app
