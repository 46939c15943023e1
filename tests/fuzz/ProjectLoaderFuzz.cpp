// Fuzz target: the project file reader must refuse or read any bytes.
#include "project/ProjectFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zdr::project::ProjectDocument doc;
    std::string why;
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    if (zdr::project::parseProjectXml(xml, zdr::project::kProjectRootName, doc, why)) {
        // What was read must write and read back the same.
        zdr::project::ProjectDocument again;
        const std::string written = zdr::project::writeProjectXml(doc, zdr::project::kProjectRootName);
        if (!zdr::project::parseProjectXml(written, zdr::project::kProjectRootName, again, why))
            __builtin_trap();
    }
    return 0;
}
