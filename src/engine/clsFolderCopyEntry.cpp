// The per-entry hooks of the walk: each pass has its folder and its file
// routine. An action pass without its routines in this build reports so
// and the walk of the task stops.
#include "engine/clsFolderCopy.h"
#include "platform/FileEntry.h"

namespace zdr::engine {

namespace {

bool notAvailable(const std::string& action, std::string& errorText)
{
    errorText = "Aktion '" + action + "' ist in dieser Version nicht verfügbar.";
    return false;
}

} // namespace

bool clsFolderCopy::fc_FolderAction(std::int32_t level, const platform::FileEntry& folder, const std::string& path,
                                    const std::string& targetPath, std::string& errorText)
{
    switch (pass_) {
    case Pass::Info: return fc_InfoEntry(false, level, folder, path, targetPath, errorText);
    case Pass::Copy:
    case Pass::Delete:
    case Pass::Attrib:
    case Pass::MkDir: break;
    }
    return notAvailable(action_, errorText);
}

bool clsFolderCopy::fc_FileAction(std::int32_t level, const platform::FileEntry& file, const std::string& path,
                                  const std::string& targetPath, std::string& errorText)
{
    switch (pass_) {
    case Pass::Info: return fc_InfoEntry(true, level, file, path, targetPath, errorText);
    case Pass::Copy:
    case Pass::Delete:
    case Pass::Attrib:
    case Pass::MkDir: break;
    }
    return notAvailable(action_, errorText);
}

bool clsFolderCopy::fc_ProtocolEntryCopy(const protocol::WorkListStep& /*step*/, std::string& errorText)
{
    return notAvailable(action_, errorText);
}

} // namespace zdr::engine
