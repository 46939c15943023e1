#include "platform/ErrorCode.h"

#include <cerrno>
#include <cstring>

namespace zdr::platform {

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
    case kFileTooLarge:
        return "Die Dateigröße überschreitet die zulässige Grenze und kann nicht gespeichert werden.";
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
        return std::strerror(static_cast<int>(code & ~kErrnoBase));
    return "Unbekannter Fehler.";
}

} // namespace zdr::platform
