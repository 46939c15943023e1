#include "net/clsNetwork.h"

#include "base/Text.h"
#include "net/AvahiResolver.h"
#include "net/NetPlaceholder.h"
#include "net/SmbEnumerator.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <set>

namespace zdr::net {

namespace {

constexpr std::size_t kNameLimit = 255;

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && base::iequals(text.substr(text.size() - suffix.size()), suffix);
}

std::string localUserName()
{
    std::array<char, 16384> buffer{};
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || !result)
        return {};
    return std::string(result->pw_name).substr(0, kNameLimit);
}

NetResource computerRecord(const std::string& host)
{
    NetResource r;
    r.dwDisplayType = resource::kDisplayServer;
    r.dwUsage = resource::kUsageContainer;
    r.RemoteName = "\\\\" + host;
    r.Provider = SmbEnumerator::kProvider;
    return r;
}

std::string localMachineName()
{
    std::array<char, kNameLimit + 1> buffer{};
    if (gethostname(buffer.data(), kNameLimit) != 0)
        return {};
    return std::string(buffer.data());
}

} // namespace

clsNetwork::clsNetwork() : clsNetwork(std::make_shared<SmbEnumerator>(), std::make_shared<AvahiResolver>()) {}

clsNetwork::clsNetwork(std::shared_ptr<NetEnumerator> enumerator, std::shared_ptr<HostResolver> announced)
    : enumerator_(std::move(enumerator)), announced_(std::move(announced))
{
}

bool clsNetwork::fc_Init(const std::string& par_NetDomain, const std::string& par_NetShare, bool par_OnlyComputers)
{
    found_.clear();
    if (namesHosts(par_NetDomain)) {
        // Computers named by the project: no network top, no domains.
        for (const std::string& host : namedHosts(par_NetDomain))
            sb_AddFound(computerRecord(host), par_NetShare);
    } else {
        sb_ReadContainer(nullptr, par_NetShare);
    }
    bool askedAnnounced = false;
    // The found list is also the queue, so the walk is breadth first. A
    // container that turns up again (a computer listed by its workgroup and
    // by name) is opened once, so a network that lists itself cannot loop.
    std::set<std::pair<std::uint32_t, std::string>> opened;
    for (std::size_t cursor = 0; cursor < found_.size(); ++cursor) {
        const NetResource container = found_[cursor]; // the list grows below
        if (!shouldOpen(container, par_NetDomain, par_NetShare, par_OnlyComputers)
            || !opened.emplace(container.dwDisplayType, base::toUpper(container.RemoteName)).second)
            continue;
        const std::size_t before = found_.size();
        sb_ReadContainer(&container, par_NetShare);
        // Most networks today list no workgroups: a walk over all domains
        // then takes the computers that announce SMB (once per walk).
        if (container.dwDisplayType == resource::kDisplayNetwork && par_NetDomain.empty() && !askedAnnounced
            && std::none_of(found_.begin() + static_cast<std::ptrdiff_t>(before), found_.end(),
                            [](const NetResource& r) { return r.dwDisplayType == resource::kDisplayDomain; })) {
            askedAnnounced = true;
            sb_AddAnnouncedHosts(par_NetShare);
        }
    }
    sb_BuildLists();
    return true;
}

void clsNetwork::sb_ReadContainer(const NetResource* container, const std::string& shareFilter)
{
    // A container whose listing fails keeps what it listed up to then.
    enumerator_->enumerate(container, resourceType_, [&](const NetResource& r) { sb_AddFound(r, shareFilter); });
}

void clsNetwork::sb_AddFound(const NetResource& r, const std::string& shareFilter)
{
    const bool all = shareFilter.empty() || shareFilter == "*";
    found_.push_back(r);
    if (!r.RemoteName.empty() && (all || endsWithNoCase(r.RemoteName, shareFilter)) && ResourceFound)
        ResourceFound(r.RemoteName, r.dwDisplayType);
}

void clsNetwork::sb_AddAnnouncedHosts(const std::string& shareFilter)
{
    if (!announced_)
        return;
    for (const AnnouncedHost& host : announced_->announcedHosts()) {
        const std::string name = host.walkName();
        if (!isPlainHostName(name))
            continue;
        const NetResource r = computerRecord(name);
        // A computer the browse service listed too is reported once.
        const bool known = std::any_of(found_.begin(), found_.end(), [&](const NetResource& f) {
            return f.dwDisplayType == resource::kDisplayServer && base::iequals(f.RemoteName, r.RemoteName);
        });
        if (!known)
            sb_AddFound(r, shareFilter);
    }
}

bool clsNetwork::shouldOpen(const NetResource& record, const std::string& domain, const std::string& share,
                            bool onlyComputers) const
{
    if (!record.isContainer())
        return false;
    if (!domain.empty() && record.dwDisplayType == resource::kDisplayDomain
        && !base::iequals(record.RemoteName, domain))
        return false;
    if (record.dwDisplayType == resource::kDisplayServer)
        return !onlyComputers || !share.empty();
    return true;
}

std::string clsNetwork::GetResourceDisplayName(std::int64_t displayType)
{
    switch (displayType) {
    case resource::kDisplayGeneric: return "allgemein";
    case resource::kDisplayDomain: return "Domäne";
    case resource::kDisplayServer: return "Computer";
    case resource::kDisplayShare: return "Freigabe";
    case resource::kDisplayFile: return "Datei";
    case resource::kDisplayGroup: return "Gruppe";
    case resource::kDisplayNetwork: return "Netzwerk";
    case resource::kDisplayRoot: return "Root";
    case resource::kDisplayShareAdmin: return "Freigabe Admin";
    case resource::kDisplayDirectory: return "Verzeichnis";
    default: return {};
    }
}

void clsNetwork::fc_GetNextRessource(int& index, std::string& name, std::uint32_t& displayType) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= found_.size()) {
        index = 0;
        return;
    }
    name = found_[static_cast<std::size_t>(index)].RemoteName;
    displayType = found_[static_cast<std::size_t>(index)].dwDisplayType;
    ++index;
}

void clsNetwork::sb_BuildLists()
{
    localUserName_ = localUserName();
    localMachineName_ = localMachineName();
    for (std::string* list : {&serverList_, &shareList_, &printerList_, &directoryList_, &domainList_, &fileList_,
                              &genericList_, &groupList_, &networkList_, &rootList_, &shareAdminList_})
        list->clear();
    for (const NetResource& r : found_) {
        if (r.RemoteName.empty())
            continue;
        switch (r.dwDisplayType) {
        case resource::kDisplayServer: serverList_ += r.RemoteName + ","; break;
        case resource::kDisplayDomain: domainList_ += r.RemoteName + ", "; break;
        case resource::kDisplayGeneric: genericList_ += r.RemoteName + "|"; break;
        case resource::kDisplayShare: shareList_ += r.RemoteName + "|"; break;
        case resource::kDisplayFile: fileList_ += r.RemoteName + "|"; break;
        case resource::kDisplayGroup: groupList_ += r.RemoteName + "|"; break;
        case resource::kDisplayNetwork: networkList_ += r.RemoteName + "|"; break;
        case resource::kDisplayRoot: rootList_ += r.RemoteName + "|"; break;
        case resource::kDisplayShareAdmin: shareAdminList_ += r.RemoteName + "|"; break;
        case resource::kDisplayDirectory: directoryList_ += r.RemoteName + "|"; break;
        default: break;
        }
    }
}

} // namespace zdr::net
