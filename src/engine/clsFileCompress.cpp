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

StepError clsFileCompress::fc_SetCompression(int fd, bool uncompress) const
{
    const bool compress = !uncompress;
    if (platform::compressionFlag(fd) == compress)
        return {};
    platform::ErrorCode code = 0;
    // A volume that keeps the flag without compressing would only pretend.
    if (!(compress && !platform::volumeCompresses(fd)) && platform::setCompressionFlag(fd, compress, code))
        return {};
    return StepError(compress ? "Fehler, Daten Kompression fehlgeschlagen"
                              : "Fehler, Daten Dekompression fehlgeschlagen");
}

StepError clsFileCompress::fc_SetCompression(const std::string& path, bool uncompress) const
{
    return fc_SetCompression(EntryIn{AT_FDCWD, path, path}, uncompress);
}

StepError clsFileCompress::fc_SetCompression(const EntryIn& entry, bool uncompress) const
{
    const int fd = openEntry(entry.folder, entry.name);
    if (fd < 0)
        return StepError("Could not open file/directory name: " + entry.path + "\r\nError: -1");
    StepError result = fc_SetCompression(fd, uncompress);
    ::close(fd);
    return result;
}

} // namespace zdr::engine
