#include "base/mdlErrSys.h"

#include "base/ProgramInfo.h"

namespace zdr::base {

std::string fc_GetApiErrorText(platform::ErrorCode code, bool withTitle, bool withBlankLine)
{
    if (code == platform::error::kSuccess)
        return {};
    std::string text;
    if (withTitle)
        text += kProgramTitle;
    if (withBlankLine)
        text += "\r\n\r\n";
    text += platform::systemMessage(code);
    return text;
}

} // namespace zdr::base
