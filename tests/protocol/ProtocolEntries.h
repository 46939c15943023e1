#pragma once

#include "protocol/ProtocolEntry.h"

#include <string>

// Entries as the engine sends them, for the protocol's tests.
namespace zdr::protocol::test {

inline ProtocolEntry folderEntry(const std::string& folder, std::int16_t level = 1, std::int16_t task = 1)
{
    return {"FOLDER", "", folder, folder, "/ziel" + folder, false, level, task};
}

inline ProtocolEntry fileEntry(const std::string& folder, const std::string& name, std::int16_t level = 1,
                               std::int16_t task = 1)
{
    return {"FILE", name, "  " + name + "  ----  1 KB", folder, "/ziel" + folder, false, level, task};
}

inline ProtocolEntry infoEntry(const std::string& folder, const std::string& name)
{
    return {"INFO", name, "(" + folder + ")", folder, "", false, 1, 1};
}

inline WorkListStep step(const std::string& direction, const std::string& action, std::int32_t index)
{
    WorkListStep s;
    s.direction = direction;
    s.action = action;
    s.index = index;
    return s;
}

} // namespace zdr::protocol::test
