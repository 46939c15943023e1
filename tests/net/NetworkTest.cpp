#include "net/clsNetwork.h"

#include <gtest/gtest.h>

#include <map>
#include <pwd.h>
#include <unistd.h>

namespace zdr::net {
namespace {

using namespace resource;

NetResource res(std::uint32_t display, std::string name)
{
    NetResource r;
    r.dwDisplayType = display;
    const bool container = display == kDisplayNetwork || display == kDisplayDomain || display == kDisplayServer;
    r.dwUsage = container ? kUsageContainer : kUsageConnectable;
    r.dwType = display == kDisplayShare ? kTypeDisk : kTypeAny;
    r.RemoteName = std::move(name);
    return r;
}

// A network that answers from a table: children per container name ("" is
// the top); \\B fails after its first share.
class ScriptedNetwork : public NetEnumerator {
public:
    platform::ErrorCode enumerate(const NetResource* container, std::uint32_t resourceType,
                                  const std::function<void(const NetResource&)>& found) override
    {
        const std::string name = container ? container->RemoteName : "";
        opened.push_back(name);
        types.push_back(resourceType);
        for (const NetResource& r : children[name])
            found(r);
        return name == "\\\\B" ? 53u : 0u;
    }

    std::map<std::string, std::vector<NetResource>> children{
        {"", {res(kDisplayNetwork, "Windows-Netzwerk")}},
        {"Windows-Netzwerk", {res(kDisplayDomain, "FIRMA"), res(kDisplayDomain, "LABOR")}},
        {"FIRMA", {res(kDisplayServer, "\\\\A"), res(kDisplayServer, "\\\\B")}},
        {"LABOR", {res(kDisplayServer, "\\\\L"), res(kDisplayRoot, "")}},
        {"\\\\A", {res(kDisplayShare, "\\\\A\\daten"), res(kDisplayShare, "\\\\A\\C$")}},
        {"\\\\B", {res(kDisplayShare, "\\\\B\\pub")}},
        {"\\\\L", {res(kDisplayShare, "\\\\L\\messung")}},
    };
    std::vector<std::string> opened;
    std::vector<std::uint32_t> types;
};

// Hosts as a name service announces them; counts how often it was asked.
class ScriptedResolver : public HostResolver {
public:
    std::vector<AnnouncedHost> announcedHosts() override
    {
        ++asked;
        return hosts;
    }
    std::vector<AnnouncedHost> hosts{
        {"nas.local", "10.0.0.7", 445}, {"b.local", "", 445}, {"A", "", 445}, {"bad;name", "", 445}};
    int asked = 0;
};

struct Walk {
    std::shared_ptr<ScriptedNetwork> network = std::make_shared<ScriptedNetwork>();
    std::shared_ptr<ScriptedResolver> resolver = std::make_shared<ScriptedResolver>();
    clsNetwork walker{network, resolver};
    std::vector<std::string> reported;

    Walk()
    {
        walker.ResourceFound = [this](const std::string& name, std::uint32_t display) {
            reported.push_back(name + " (" + clsNetwork::GetResourceDisplayName(display) + ")");
        };
    }
};

TEST(clsNetwork, WalksBreadthFirstWithTheFilters)
{
    struct Case {
        const char* domain;
        const char* share;
        bool onlyComputers;
        std::vector<std::string> reported;
    };
    const std::vector<std::string> top{"Windows-Netzwerk (Netzwerk)", "FIRMA (Domäne)", "LABOR (Domäne)"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = top;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const Case cases[] = {
        {"", "*", false,
         with({"\\\\A (Computer)", "\\\\B (Computer)", "\\\\L (Computer)", "\\\\A\\daten (Freigabe)",
               "\\\\A\\C$ (Freigabe)", "\\\\B\\pub (Freigabe)", "\\\\L\\messung (Freigabe)"})},
        // The registry coordinator's call: computers, no shares.
        {"", "", true, with({"\\\\A (Computer)", "\\\\B (Computer)", "\\\\L (Computer)"})},
        {"firma", "", true, with({"\\\\A (Computer)", "\\\\B (Computer)"})},
        {"NIEMAND", "", false, top},
        {"", "$", false, {"\\\\A\\C$ (Freigabe)"}},
        // A share filter opens the computers even when only computers are asked for.
        {"LABOR", "messung", true, {"\\\\L\\messung (Freigabe)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.domain) + "/" + c.share);
        Walk walk;
        EXPECT_TRUE(walk.walker.fc_Init(c.domain, c.share, c.onlyComputers));
        EXPECT_EQ(walk.reported, c.reported);
    }
}

TEST(clsNetwork, AnnouncedHostsStandInWhereNoWorkgroupIsListed)
{
    Walk walk;
    walk.walker.fc_Init("", "*", false);
    EXPECT_EQ(walk.resolver->asked, 0); // workgroups listed

    walk.network->children["Windows-Netzwerk"] = {res(kDisplayServer, "\\\\A")};
    walk.network->children["\\\\10.0.0.7"] = {res(kDisplayShare, "\\\\10.0.0.7\\daten")};
    walk.network->opened.clear();
    walk.reported.clear();
    walk.walker.fc_Init("", "daten", false);
    EXPECT_EQ(walk.resolver->asked, 1);
    // The listed \\A is not reported twice; a name that is no host name is left out.
    EXPECT_EQ(walk.reported, (std::vector<std::string>{"\\\\A\\daten (Freigabe)", "\\\\10.0.0.7\\daten (Freigabe)"}));
    EXPECT_EQ(walk.network->opened,
              (std::vector<std::string>{"", "Windows-Netzwerk", "\\\\A", "\\\\10.0.0.7", "\\\\b.local"}));

    // A domain asked for stays the domain: no announced computers.
    walk.walker.fc_Init("FIRMA", "", true);
    EXPECT_EQ(walk.resolver->asked, 1);
}

TEST(clsNetwork, ComputersNamedInsteadOfADomainStartTheWalk)
{
    Walk walk;
    walk.walker.fc_Init("\\\\A, \\\\b@x;\\\\L,\\\\a", "*", false);
    EXPECT_EQ(walk.reported,
              (std::vector<std::string>{"\\\\A (Computer)", "\\\\L (Computer)", "\\\\A\\daten (Freigabe)",
                                        "\\\\A\\C$ (Freigabe)", "\\\\L\\messung (Freigabe)"}));
    EXPECT_EQ(walk.network->opened, (std::vector<std::string>{"\\\\A", "\\\\L"}));
    EXPECT_EQ(walk.resolver->asked, 0);
}

TEST(clsNetwork, OpensContainersInTheOrderFoundWithTheResourceType)
{
    Walk walk;
    walk.walker.SetResourceType(kTypeAny);
    walk.walker.fc_Init("", "*", false);
    EXPECT_EQ(walk.network->opened,
              (std::vector<std::string>{"", "Windows-Netzwerk", "FIRMA", "LABOR", "\\\\A", "\\\\B", "\\\\L"}));
    for (std::uint32_t type : walk.network->types)
        EXPECT_EQ(type, kTypeAny);
    EXPECT_EQ(clsNetwork(walk.network).GetResourceType(), kTypeDisk);
}

TEST(clsNetwork, ContainerListedTwiceIsOpenedOnce)
{
    Walk walk;
    walk.network->children["LABOR"].push_back(res(kDisplayDomain, "firma"));
    walk.network->children["FIRMA"].push_back(res(kDisplayDomain, "LABOR"));
    walk.walker.fc_Init("", "", true);
    EXPECT_EQ(walk.network->opened, (std::vector<std::string>{"", "Windows-Netzwerk", "FIRMA", "LABOR"}));
}

TEST(clsNetwork, HandsOutEveryFoundRecordThenStartsAgain)
{
    Walk walk;
    walk.walker.fc_Init("", "*", false);
    const std::size_t count = walk.walker.FoundResources().size();
    ASSERT_EQ(count, 11u);
    int index = 0;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name;
        std::uint32_t display = 99;
        walk.walker.fc_GetNextRessource(index, name, display);
        names.push_back(name);
        EXPECT_EQ(index, static_cast<int>(i + 1));
    }
    EXPECT_EQ(names.back(), "\\\\L\\messung");
    std::string name = "bleibt";
    std::uint32_t display = 42;
    walk.walker.fc_GetNextRessource(index, name, display);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(name, "bleibt");
    index = -3;
    walk.walker.fc_GetNextRessource(index, name, display);
    EXPECT_EQ(index, 0);
}

TEST(clsNetwork, ListsPerTypeAfterTheWalk)
{
    Walk walk;
    walk.walker.fc_Init("", "*", false);
    EXPECT_EQ(walk.walker.GetServerList(), "\\\\A,\\\\B,\\\\L,");
    EXPECT_EQ(walk.walker.GetDomainList(), "FIRMA, LABOR, ");
    EXPECT_EQ(walk.walker.GetShareList(), "\\\\A\\daten|\\\\A\\C$|\\\\B\\pub|\\\\L\\messung|");
    EXPECT_EQ(walk.walker.GetNetworkList(), "Windows-Netzwerk|");
    EXPECT_EQ(walk.walker.GetRootList(), "");
    EXPECT_EQ(walk.walker.GetPrinterList(), "");

    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(walk.walker.GetLocalMachineName(), host);
    EXPECT_EQ(walk.walker.GetLocalUserName(), getpwuid(geteuid())->pw_name);

    // A second walk starts from scratch.
    walk.walker.fc_Init("NIEMAND", "", true);
    EXPECT_EQ(walk.walker.GetServerList(), "");
    EXPECT_EQ(walk.walker.FoundResources().size(), 3u);
}

TEST(clsNetwork, DisplayTypeNames)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "allgemein"}, {1, "Domäne"},   {2, "Computer"}, {3, "Freigabe"},       {4, "Datei"},
        {5, "Gruppe"},    {6, "Netzwerk"}, {7, "Root"},     {8, "Freigabe Admin"}, {9, "Verzeichnis"},
        {10, ""},         {12, ""},        {-1, ""}};
    for (const auto& [type, name] : cases)
        EXPECT_EQ(clsNetwork::GetResourceDisplayName(type), name) << type;
}

} // namespace
} // namespace zdr::net
