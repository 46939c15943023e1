#include "engine/ErrorTexts.h"

#include "base/Text.h"
#include "base/mdlErrSys.h"

namespace zdr::engine {

std::string fc_TextWithCode(std::string text, platform::ErrorCode code)
{
    if (code > 0)
        text += " - " + base::fc_GetApiErrorText(code);
    return text;
}

std::string fc_EntryErrorText(bool isFile, const std::string& name, platform::ErrorCode code)
{
    return fc_TextWithCode((isFile ? "Fehler bei Datei: " : "Fehler bei Verzeichnis: ") + base::escapeControls(name),
                           code);
}

} // namespace zdr::engine
