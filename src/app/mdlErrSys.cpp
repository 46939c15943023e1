#include "app/mdlErrSys.h"

#include "app/ProgramInfo.h"

namespace zdr::app {

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

} // namespace zdr::app
