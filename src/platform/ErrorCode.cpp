#include "platform/ErrorCode.h"

#include <cerrno>

namespace zdr::platform {

namespace {

// German texts of the errno values that have no Windows twin, so no system
// error reaches the user in the platform's English.
const char* errnoMessage(int e)
{
    switch (e) {
    case ESRCH: return "Der Prozess ist nicht vorhanden.";
    case EINTR: return "Der Systemaufruf wurde unterbrochen.";
    case ENXIO: return "Das Gerät oder die Adresse ist nicht vorhanden.";
    case E2BIG: return "Die Argumentliste ist zu lang.";
    case ENOEXEC: return "Das Programmformat ist ungültig.";
    case ECHILD: return "Es gibt keinen untergeordneten Prozess.";
    case EAGAIN: return "Die Ressource ist vorübergehend nicht verfügbar.";
    case EFAULT: return "Ungültige Adresse.";
    case ENOTBLK: return "Ein Blockgerät ist erforderlich.";
    case ENODEV: return "Das Gerät ist nicht vorhanden.";
    case ENFILE: return "Im System sind zu viele Dateien geöffnet.";
    case EMFILE: return "Zu viele geöffnete Dateien.";
    case ENOTTY: return "Unpassende Steueranforderung für das Gerät.";
    case ESPIPE: return "Ungültige Positionierung in der Datei.";
    case EMLINK: return "Zu viele Verknüpfungen.";
    case EPIPE: return "Die Verbindung (Pipe) wurde unterbrochen.";
    case EDOM: return "Das numerische Argument liegt außerhalb des Definitionsbereichs.";
    case ERANGE: return "Das numerische Ergebnis liegt außerhalb des gültigen Bereichs.";
    case EDEADLK: return "Eine Verklemmung wurde vermieden.";
    case ENOLCK: return "Keine Sperren verfügbar.";
    case ENOSYS: return "Die Funktion ist nicht implementiert.";
    case ENOMSG: return "Keine Nachricht des gewünschten Typs.";
    case EIDRM: return "Die Kennung wurde entfernt.";
    case ECHRNG: return "Die Kanalnummer liegt außerhalb des gültigen Bereichs.";
    case EL2NSYNC: return "Ebene 2 ist nicht synchronisiert.";
    case EL3HLT: return "Ebene 3 ist angehalten.";
    case EL3RST: return "Ebene 3 wurde zurückgesetzt.";
    case ELNRNG: return "Die Verbindungsnummer liegt außerhalb des gültigen Bereichs.";
    case EUNATCH: return "Der Protokolltreiber ist nicht angebunden.";
    case ENOCSI: return "Keine CSI-Struktur verfügbar.";
    case EL2HLT: return "Ebene 2 ist angehalten.";
    case EBADE: return "Ungültiger Austausch.";
    case EBADR: return "Ungültiger Anforderungsdeskriptor.";
    case EXFULL: return "Der Austausch ist voll.";
    case ENOANO: return "Keine Anode.";
    case EBADRQC: return "Ungültiger Anforderungscode.";
    case EBADSLT: return "Ungültiger Slot.";
    case EBFONT: return "Ungültiges Format der Schriftdatei.";
    case ENOSTR: return "Das Gerät ist kein Stream.";
    case ENODATA: return "Keine Daten verfügbar.";
    case ETIME: return "Der Zeitgeber ist abgelaufen.";
    case ENOSR: return "Keine Stream-Ressourcen mehr verfügbar.";
    case ENONET: return "Der Rechner ist nicht im Netzwerk.";
    case ENOPKG: return "Das Paket ist nicht installiert.";
    case EREMOTE: return "Das Objekt ist entfernt.";
    case ENOLINK: return "Die Verbindung wurde getrennt.";
    case EADV: return "Fehler beim Ankündigen.";
    case ESRMNT: return "Fehler beim Einhängen (srmount).";
    case ECOMM: return "Kommunikationsfehler beim Senden.";
    case EPROTO: return "Protokollfehler.";
    case EMULTIHOP: return "Ein Multihop wurde versucht.";
    case EDOTDOT: return "RFS-spezifischer Fehler.";
    case EBADMSG: return "Ungültige Nachricht: die Daten sind beschädigt.";
    case EOVERFLOW: return "Der Wert ist zu groß für den vorgesehenen Datentyp.";
    case ENOTUNIQ: return "Der Name ist im Netzwerk nicht eindeutig.";
    case EBADFD: return "Der Dateideskriptor ist in einem ungültigen Zustand.";
    case EREMCHG: return "Die entfernte Adresse hat sich geändert.";
    case ELIBACC: return "Auf eine benötigte gemeinsame Bibliothek kann nicht zugegriffen werden.";
    case ELIBBAD: return "Eine beschädigte gemeinsame Bibliothek wird verwendet.";
    case ELIBSCN: return "Der .lib-Abschnitt in a.out ist beschädigt.";
    case ELIBMAX: return "Es sollen zu viele gemeinsame Bibliotheken eingebunden werden.";
    case ELIBEXEC: return "Eine gemeinsame Bibliothek kann nicht direkt ausgeführt werden.";
    case ERESTART: return "Der unterbrochene Systemaufruf sollte neu gestartet werden.";
    case ESTRPIPE: return "Fehler in der Stream-Pipe.";
    case EUSERS: return "Zu viele Benutzer.";
    case ENOTSOCK: return "Die Socket-Operation betrifft keinen Socket.";
    case EDESTADDRREQ: return "Eine Zieladresse ist erforderlich.";
    case EMSGSIZE: return "Die Nachricht ist zu lang.";
    case EPROTOTYPE: return "Das Protokoll hat den falschen Typ für den Socket.";
    case ENOPROTOOPT: return "Das Protokoll ist nicht verfügbar.";
    case EPROTONOSUPPORT: return "Das Protokoll wird nicht unterstützt.";
    case ESOCKTNOSUPPORT: return "Der Socket-Typ wird nicht unterstützt.";
    case EPFNOSUPPORT: return "Die Protokollfamilie wird nicht unterstützt.";
    case EAFNOSUPPORT: return "Die Adressfamilie wird vom Protokoll nicht unterstützt.";
    case EADDRINUSE: return "Die Adresse wird bereits verwendet.";
    case EADDRNOTAVAIL: return "Die angeforderte Adresse kann nicht zugewiesen werden.";
    case ENETDOWN: return "Das Netzwerk ist ausgefallen.";
    case ENETRESET: return "Das Netzwerk hat die Verbindung beim Zurücksetzen getrennt.";
    case ECONNABORTED: return "Die Verbindung wurde durch die Software abgebrochen.";
    case ECONNRESET: return "Die Verbindung wurde von der Gegenstelle zurückgesetzt.";
    case ENOBUFS: return "Kein Pufferspeicher verfügbar.";
    case EISCONN: return "Der Transportendpunkt ist bereits verbunden.";
    case ENOTCONN: return "Der Transportendpunkt ist nicht verbunden.";
    case ESHUTDOWN: return "Nach dem Schließen des Transportendpunkts kann nicht gesendet werden.";
    case ETOOMANYREFS: return "Zu viele Verweise: Verbinden nicht möglich.";
    case EHOSTDOWN: return "Der Rechner ist ausgefallen.";
    case EALREADY: return "Der Vorgang ist bereits im Gange.";
    case EINPROGRESS: return "Der Vorgang ist jetzt im Gange.";
    case ESTALE: return "Das Datei-Handle ist veraltet.";
    case EUCLEAN: return "Die Struktur muss bereinigt werden: das Dateisystem ist beschädigt.";
    case ENOTNAM: return "Keine XENIX-Datei eines benannten Typs.";
    case ENAVAIL: return "Keine XENIX-Semaphoren verfügbar.";
    case EISNAM: return "Die Datei ist eine Datei eines benannten Typs.";
    case EREMOTEIO: return "Fehler bei entfernter Ein-/Ausgabe.";
    case ENOMEDIUM: return "Kein Datenträger gefunden.";
    case EMEDIUMTYPE: return "Falscher Datenträgertyp.";
    case ENOKEY: return "Der benötigte Schlüssel ist nicht verfügbar.";
    case EKEYEXPIRED: return "Der Schlüssel ist abgelaufen.";
    case EKEYREVOKED: return "Der Schlüssel wurde widerrufen.";
    case EKEYREJECTED: return "Der Schlüssel wurde vom Dienst zurückgewiesen.";
    case EOWNERDEAD: return "Der Besitzer ist beendet.";
    case ENOTRECOVERABLE: return "Der Zustand ist nicht wiederherstellbar.";
    case ERFKILL: return "Der Vorgang ist wegen RF-Kill nicht möglich.";
    case EHWPOISON: return "Die Speicherseite hat einen Hardwarefehler.";
    default: return "Unbekannter Systemfehler.";
    }
}

} // namespace

ErrorCode fromErrno(int e)
{
    using namespace error;
    switch (e) {
    case 0: return kSuccess;
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM: return kAccessDenied;
    case EBADF: return kInvalidHandle;
    case ENOMEM: return kNotEnoughMemory;
    case EXDEV: return kNotSameDevice;
    case EROFS: return kWriteProtect;
    case EBUSY:
    case ETXTBSY: return kSharingViolation;
    case ENOTSUP: return kNotSupported;
    case EEXIST: return kFileExists;
    case EINVAL: return kInvalidParameter;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case EFBIG: return kFileTooLarge;
    case EILSEQ: return kInvalidName;
    case ENOTEMPTY: return kDirNotEmpty;
    case ENAMETOOLONG: return kFilenameTooLong;
    case EISDIR: return kDirectory;
    case EIO: return kIoDevice;
    case ECANCELED: return kRequestAborted;
    case ELOOP: return kCantResolveFilename;
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ECONNREFUSED:
    case ETIMEDOUT: return kBadNetPath;
    default: return kErrnoBase | static_cast<ErrorCode>(e);
    }
}

ErrorCode lastError() { return fromErrno(errno); }

const char* systemMessage(ErrorCode code)
{
    using namespace error;
    switch (code) {
    case kSuccess: return "";
    case kInvalidFunction: return "Unzulässige Funktion.";
    case kFileNotFound: return "Die angegebene Datei wurde nicht gefunden.";
    case kPathNotFound: return "Der angegebene Pfad wurde nicht gefunden.";
    case kAccessDenied: return "Zugriff verweigert";
    case kInvalidHandle: return "Das Handle ist ungültig.";
    case kNotEnoughMemory: return "Nicht genügend Speicher verfügbar.";
    case kNotSameDevice: return "Die Datei kann nicht auf ein anderes Laufwerk verschoben werden.";
    case kWriteProtect: return "Der Datenträger ist schreibgeschützt.";
    case kSharingViolation:
        return "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird.";
    case kHandleEof: return "Das Ende der Datei wurde erreicht.";
    case kNotSupported: return "Die Anforderung wird nicht unterstützt.";
    case kBadNetPath: return "Der Netzwerkpfad wurde nicht gefunden.";
    case kBadNetName: return "Der Netzwerkname wurde nicht gefunden.";
    case kFileExists: return "Die Datei ist bereits vorhanden.";
    case kInvalidPassword: return "Das angegebene Netzwerkkennwort ist falsch.";
    case kInvalidParameter: return "Falscher Parameter.";
    case kDiskFull: return "Auf dem Datenträger ist nicht genügend Speicherplatz vorhanden.";
    case kInvalidName:
        return "Die Syntax für den Dateinamen, Verzeichnisnamen oder die Datenträgerbezeichnung ist falsch.";
    case kDirNotEmpty: return "Das Verzeichnis ist nicht leer.";
    case kFilenameTooLong: return "Der Dateiname oder die Erweiterung ist zu lang.";
    case kFileTooLarge: return "Die Dateigröße überschreitet die zulässige Grenze und kann nicht gespeichert werden.";
    case kDirectory: return "Der Verzeichnisname ist ungültig.";
    case kIoDevice: return "Die Anforderung konnte wegen eines E/A-Gerätefehlers nicht ausgeführt werden.";
    case kNoNetwork: return "Das Netzwerk ist nicht vorhanden oder wurde nicht gestartet.";
    case kRequestAborted: return "Die Anforderung wurde abgebrochen.";
    case kNoSuchLogonSession:
        return "Eine angegebene Anmeldesitzung ist nicht vorhanden. Sie wurde gegebenenfalls bereits beendet.";
    case kLogonFailure: return "Der Benutzername oder das Kennwort ist falsch.";
    case kTimeout: return "Dieser Vorgang wurde wegen Zeitüberschreitung zurückgegeben.";
    case kRpcUnavailable: return "Der RPC-Server ist nicht verfügbar.";
    case kCantResolveFilename: return "Der Name der Datei kann nicht vom System aufgelöst werden.";
    default: break;
    }
    if ((code & kErrnoBase) != 0)
        return errnoMessage(static_cast<int>(code & ~kErrnoBase));
    return "Unbekannter Fehler.";
}

} // namespace zdr::platform
