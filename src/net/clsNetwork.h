#pragma once

#include "net/HostResolver.h"
#include "net/NetEnumerator.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zdr::net {

// Walks the network breadth first (networks, domains, computers, shares) and
// reports every resource it finds through ResourceFound. The coordinators
// turn a network placeholder into tasks with it.
class clsNetwork {
public:
    // Name and display type of one found resource.
    using ResourceFoundHandler = std::function<void(const std::string& name, std::uint32_t displayType)>;

    clsNetwork(); // the SMB network of this machine, with the hosts Avahi announces
    // announced: asked for the SMB hosts of the network when a walk over all
    // domains finds no workgroup (nullptr: never).
    explicit clsNetwork(std::shared_ptr<NetEnumerator> enumerator, std::shared_ptr<HostResolver> announced = nullptr);

    ResourceFoundHandler ResourceFound;

    // Walks the network. par_NetDomain: stay in this domain ("" all; a list
    // of computers "\\HOST,..." starts the walk at them instead, see namedHosts);
    // par_NetShare: report only names ending with it ("" or "*" all);
    // par_OnlyComputers: do not open computers (unless a share is asked for).
    // Returns true when the walk has finished; afterwards the per-type lists
    // and the local names are filled.
    bool fc_Init(const std::string& par_NetDomain, const std::string& par_NetShare, bool par_OnlyComputers);

    void SetResourceType(std::uint32_t type) { resourceType_ = type; }
    std::uint32_t GetResourceType() const { return resourceType_; }

    static std::string GetResourceDisplayName(std::int64_t displayType);

    // Hands out the found records one by one: while index is inside the list,
    // name and display type of that record and index + 1; else index 0.
    void fc_GetNextRessource(int& index, std::string& name, std::uint32_t& displayType) const;
    const std::vector<NetResource>& FoundResources() const { return found_; }

    std::string GetLocalUserName() const { return localUserName_; }
    std::string GetLocalMachineName() const { return localMachineName_; }
    std::string GetServerList() const { return serverList_; }
    std::string GetShareList() const { return shareList_; }
    std::string GetPrinterList() const { return printerList_; }
    std::string GetDirectoryList() const { return directoryList_; }
    std::string GetDomainList() const { return domainList_; }
    std::string GetFileList() const { return fileList_; }
    std::string GetGenericList() const { return genericList_; }
    std::string GetGroupList() const { return groupList_; }
    std::string GetNetworkList() const { return networkList_; }
    std::string GetRootList() const { return rootList_; }
    std::string GetShareAdminList() const { return shareAdminList_; }

private:
    void sb_ReadContainer(const NetResource* container, const std::string& shareFilter);
    void sb_AddFound(const NetResource& r, const std::string& shareFilter);
    void sb_AddAnnouncedHosts(const std::string& shareFilter);
    bool shouldOpen(const NetResource& record, const std::string& domain, const std::string& share,
                    bool onlyComputers) const;
    void sb_BuildLists();

    std::shared_ptr<NetEnumerator> enumerator_;
    std::shared_ptr<HostResolver> announced_;
    std::uint32_t resourceType_ = resource::kTypeDisk;
    std::vector<NetResource> found_;
    std::string localUserName_;
    std::string localMachineName_;
    std::string serverList_;
    std::string shareList_;
    std::string printerList_;
    std::string directoryList_;
    std::string domainList_;
    std::string fileList_;
    std::string genericList_;
    std::string groupList_;
    std::string networkList_;
    std::string rootList_;
    std::string shareAdminList_;
};

} // namespace zdr::net
