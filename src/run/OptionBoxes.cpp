#include "run/OptionBoxes.h"

#include "engine/StatusBits.h"

#include <array>

namespace zdr::run {

namespace status = engine::status;

std::span<const OptionBox> progressOptionBoxes()
{
    static constexpr std::array<OptionBox, 14> boxes = {{
        {"chkCopyWithInfo", "Aktion mit Infos", status::kWithInfo,
         "Informationen generell oder in Verbindung mit einer anderen Aktion sammeln."},
        {"chkCopyNoFileInfo", "keine Dateien", status::kNoFileInfo,
         "Dateien werden bei dem Informationsdurchlauf nicht angezeigt => Erhöhung der Geschwindigkeit (nur in "
         "Verbindung mit \"Aktion mit Infos\")."},
        {"chkCopyInfoOnlyCount", "nur Anzahl", status::kInfoOnlyCount,
         "Dateien werden bei dem Informationsdurchlauf nicht angezeigt und es wird auch keine Größe aufsummiert => "
         "Erhöhung der Geschwindigkeit (nur in Verbindung mit \"Aktion mit Infos\")."},
        {"chkCopyInfoAskBeforeAction", "Protokoll vor Aktion", status::kAskBeforeAction,
         "Das ggf. erstellte Protokoll wird vor Aktion (Kopieren, Löschen, Attribute) angezeigt, nach "
         "Benutzerabfrage kann die Aktion dann ausgeführt werden (nur in Verbindung mit \"Aktion mit Infos\")."},
        {"chkInfoAboutFolderEntries", "Info über Ordnerinh.", status::kFolderEntriesInfo,
         "Informationen über Unterverzeichnisse (Anzahl, Größe) aller Unterverzeichnisse der 2. Ebene aufsummieren "
         "un im Protokoll anzeigen."},
        {"chkCopyOnlyDiffrentFiles", "Dateien abgleichen", status::kOnlyDifferent,
         "Nur Dateien nehmen, die ungleich sind, Größe, Datum/Zeit oder Attribute werden verglichen."},
        {"chkCopyOnlyNewer", "nur neuere Dateien", status::kOnlyNewer,
         "Nur neuere Dateien nehmen => Größe, ältere Dateien oder Attribute nicht beachten (nur in Verbindung mit "
         "\"Dateien abgleichen\")."},
        {"chkCopyOverwriteExisting", "Einträge überschreiben", status::kOverwriteExisting,
         "Vorhandene Daten (Verzeichnisse, Dateien) überschreiben."},
        {"chkCopyOverwriteProtected", "geschützte überschreiben", status::kOverwriteProtected,
         "Vorhandene schreibgeschützte Daten (Verzeichnisse, Dateien) überschreiben."},
        {"chkCopyCreateProtocol", "Protokoll erstellen", status::kCreateProtocol,
         "Generelles Protokoll aller herangezogenen Daten erstellen => wenn ein Eintrag in das Protokoll eingetragen "
         "wird, kann das Protokoll schon angezeigt werden."},
        {"chkCopyProtocolShowAuto", "Protokoll autom. anzeig.", status::kProtocolShowAuto,
         "Protokoll automatisch anzeigen wenn Einträge vorhanden sind."},
        {"chkCopyContinueAfterError", "bei Fehler fortsetzen", status::kContinueAfterError,
         "Aktion wird bei jedem Fehler weiter ausgeführt, der Fehler wird jedoch in das Protokoll eingetragen."},
        {"chkCopyBlockBytes", "Block Bytes kopieren", status::kBlockBytes,
         "Dateien übers Netzwerk mittels Block Bytes kopieren."},
        {"chkCreateFolderCopyToClipboard", "komplettes Verzeichnis in die Zwischenablage kopieren",
         status::kFolderToClipboard, nullptr},
    }};
    return boxes;
}

std::span<const NumberField> optionNumberFields()
{
    static constexpr std::array<NumberField, 2> fields = {{
        {"txtFolderInfoLevel", "Verzeichnistiefe:", "Ordner Auflisten bis Verzeichnistiefe x (Normal 2)."},
        {"txtFileBlockSize",
         "Blockgröße:", "Blockgröße beim Kopieren von Block Bytes max. 32767 bei Akion 'Dateien kopieren'."},
    }};
    return fields;
}

const OptionBox* progressOptionBox(std::string_view name)
{
    for (const OptionBox& box : progressOptionBoxes())
        if (name == box.name)
            return &box;
    return nullptr;
}

} // namespace zdr::run
