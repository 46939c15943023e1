#include "engine/clsFileCompress.h"

#include "platform/Compression.h"

#include <fcntl.h>
#include <unistd.h>

namespace zdr::engine {

namespace {

int openEntry(int folder, const std::string& name)
{
    return ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
}

} // namespace

bool clsFileCompress::fc_SetCompression(int fd, bool uncompress, std::string& errorText) const
{
    const bool compress = !uncompress;
    if (platform::compressionFlag(fd) == compress)
        return true;
    platform::ErrorCode code = 0;
    // A volume that keeps the flag without compressing would only pretend.
    if (!(compress && !platform::volumeCompresses(fd)) && platform::setCompressionFlag(fd, compress, code))
        return true;
    errorText = compress ? "Fehler, Daten Kompression fehlgeschlagen" : "Fehler, Daten Dekompression fehlgeschlagen";
    return false;
}

bool clsFileCompress::fc_SetCompression(const std::string& path, bool uncompress, std::string& errorText) const
{
    return fc_SetCompression(EntryIn{AT_FDCWD, path, path}, uncompress, errorText);
}

bool clsFileCompress::fc_SetCompression(const EntryIn& entry, bool uncompress, std::string& errorText) const
{
    const int fd = openEntry(entry.folder, entry.name);
    if (fd < 0) {
        errorText = "Could not open file/directory name: " + entry.path + "\r\nError: -1";
        return false;
    }
    const bool ok = fc_SetCompression(fd, uncompress, errorText);
    ::close(fd);
    return ok;
}

} // namespace zdr::engine
