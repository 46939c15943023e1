#include "engine/ErrorTexts.h"

#include "base/NumberFormat.h"
#include "base/Text.h"
#include "base/mdlErrSys.h"
#include "platform/VolumeNames.h"

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

std::string fc_TargetErrorText(bool isFile, const std::string& name, platform::ErrorCode code, bool volumeRefusesNames)
{
    using namespace platform::error;
    const bool refused =
        code == kFileNotFound || code == kPathNotFound || code == kInvalidParameter || code == kInvalidName;
    if (!volumeRefusesNames || !refused || !platform::nameRefusedByWindows(name))
        return fc_EntryErrorText(isFile, name, code);
    return fc_EntryErrorText(isFile, name, 0)
        + " - Der Name ist auf dem Ziellaufwerk nicht erlaubt (keines der Zeichen \" * / : < > ? \\ |, keine "
          "Steuerzeichen, kein Punkt oder Leerzeichen am Ende)";
}

std::string fc_CaseTwinText(const std::string& name, const std::string& twin)
{
    return fc_EntryErrorText(true, name, 0)
        + " - Das Ziellaufwerk unterscheidet nicht zwischen Groß- und "
          "Kleinschreibung: die Datei '"
        + base::escapeControls(twin) + "' wurde eben dorthin kopiert und bleibt";
}

std::string fc_TooLargeText(const std::string& name, std::uint64_t largest)
{
    return fc_EntryErrorText(true, name, 0)
        + " - Die Datei ist zu groß für das Dateisystem des Ziellaufwerks (FAT32 "
          "nimmt Dateien bis 4 GB: höchstens "
        + base::formatNumber(static_cast<double>(largest), "#,##0") + " Byte)";
}

} // namespace zdr::engine
