#include "engine/ErrorTexts.h"

#include "app/mdlErrSys.h"
#include "util/Text.h"

namespace zdr::engine {

std::string fc_TextWithCode(std::string text, platform::ErrorCode code)
{
    if (code > 0)
        text += " - " + app::fc_GetApiErrorText(code);
    return text;
}

std::string fc_EntryErrorText(bool isFile, const std::string& name, platform::ErrorCode code)
{
    return fc_TextWithCode((isFile ? "Fehler bei Datei: " : "Fehler bei Verzeichnis: ") + util::escapeControls(name),
                           code);
}

} // namespace zdr::engine
