#include "registry/RegistryProvider.h"

#include "base/mdlErrSys.h"

namespace zdr::registry {

RegistryReadResult otherTypeResult(const std::string& valueName, const std::string& typeName)
{
    RegistryReadResult result;
    result.result = -1;
    result.errorText = "Der Registry-Wert '" + valueName + "' hat den Typ " + typeName
        + "; gelesen werden nur REG_SZ, REG_BINARY und REG_DWORD.";
    return result;
}

RegistryReadResult errorResult(std::uint32_t code)
{
    RegistryReadResult result;
    result.result = static_cast<std::int32_t>(code);
    result.errorText = base::fc_GetApiErrorText(code);
    return result;
}

} // namespace zdr::registry
