#include "net/NetErrors.h"

namespace zdr::net {

std::string fc_NetErrorText(platform::ErrorCode code)
{
    using namespace error;
    switch (code) {
    case kAccessDenied: return "Zugriff verweigert";
    case kBadNetPath: return "Ziel Computer nicht erreichbar oder nicht gestartet";
    case kBadDevType: return "Lokales Laufwerk hat anderen Typ als die Netzwerk-Ressource";
    case kBadNetName: return "Die Ressourcenbezeichnung in .lpRemoteName ist ungültig";
    case kAlreadyAssigned: return "Lokaler Laufwerksbuchstabe ist bereits verbunden";
    case kInvalidPassword: return "Username/Password-Kombination ist falsch";
    case kBusy: return "Netzwerk ist beschäftigt - später erneut versuchen";
    case kBadDevice: return "Die Laufwerksbezeichnung in .lpLocalName ist ungültig";
    case kDeviceAlreadyRemembered: return "Netzwerkverbindung wird bereits gemerkt und wiederhergestellt";
    case kNoNetOrBadPath: return "Keine Verbindung zum Netzwerk oder Pfad nicht erkannt";
    case kBadProvider: return "Angegebener Provider (.lpProvider) ist ungültig";
    case kCannotOpenProfile:
        return "Persistente Verbindung nicht möglich,da das Benutzer-Profil nicht geöffnet werden konnte";
    case kBadProfile: return "Benutzerprofil ist ungültig";
    case kNoNetwork: return "Es ist keine Netzwerkunterstützung installiert";
    default: return "Fehler unbekannt!";
    }
}

} // namespace zdr::net
