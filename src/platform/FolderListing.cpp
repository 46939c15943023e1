#include "platform/FolderListing.h"

#include <algorithm>

namespace zdr::platform {

bool FolderListing::fresh() const { return std::chrono::steady_clock::now() - taken < std::chrono::seconds(1); }

FolderListing::Answer FolderListing::find(const std::string& name, FileEntry& out, ErrorCode& error) const
{
    if (!fresh())
        return Answer::Unknown;
    const auto it = std::lower_bound(byName.begin(), byName.end(), name,
                                     [this](std::uint32_t i, const std::string& n) { return entries[i].name < n; });
    if (it == byName.end() || entries[*it].name != name)
        return Answer::Unknown; // came after the listing
    error = errors[*it];
    if (error != 0)
        return Answer::Missing;
    out = entries[*it];
    return Answer::Found;
}

void FolderListing::index()
{
    byName.resize(entries.size());
    for (std::uint32_t i = 0; i < byName.size(); ++i)
        byName[i] = i;
    std::sort(byName.begin(), byName.end(),
              [this](std::uint32_t a, std::uint32_t b) { return entries[a].name < entries[b].name; });
}

} // namespace zdr::platform
