// The resolver against a real Avahi daemon: the daemon runs in a network
// namespace of its own (nothing leaves the machine), on a veth pair, with a
// system bus of its own; it announces one SMB service.
#include "HeldProcess.h"
#include "base/Text.h"
#include "net/AvahiResolver.h"
#include "net/ToolRun.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace zdr::net {
namespace {

// Started as: unshare ... bash daemon.sh FOLDER. Prints "bereit" when the
// service is announced, or "fehlt: why"; ends (and with it the daemons) when
// its input closes.
constexpr const char* kDaemonScript = R"SH(
dir=$1
trap 'kill $(jobs -p) 2>/dev/null' EXIT
fail() { echo "fehlt: $*"; exit 0; }
ip link set lo up || fail "no network namespace of our own"
ip link add zdr0 type veth peer name zdr1 || fail "no veth interfaces"
ip link set zdr1 up && ip link set zdr0 multicast on up && ip addr add 10.77.0.1/24 dev zdr0 || fail "interface"
mount -t tmpfs tmpfs /run || fail "no mount namespace of our own"
mkdir -p /run/avahi-daemon
dbus-daemon --config-file="$dir/bus.conf" --nofork > "$dir/bus.log" 2>&1 &
for i in $(seq 100); do [ -S "$dir/bus" ] && break; sleep 0.05; done
[ -S "$dir/bus" ] || fail "the system bus did not start"
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/bus"
avahi-daemon --no-drop-root --no-chroot --no-rlimits -f "$dir/avahi.conf" > "$dir/avahi.log" 2>&1 &
for i in $(seq 100); do avahi-browse -atp > /dev/null 2>&1 && break; sleep 0.05; done
avahi-publish -s Speicher _smb._tcp 445 > "$dir/publish.log" 2>&1 &
for i in $(seq 200); do grep -q Established "$dir/publish.log" 2>/dev/null && break; sleep 0.05; done
grep -q Established "$dir/publish.log" || fail "avahi-daemon did not announce: $(head -c 300 "$dir/avahi.log" "$dir/publish.log" | tr '\n' ' ')"
echo bereit
cat > /dev/null
)SH";

class AvahiDaemon {
public:
    explicit AvahiDaemon(const test::TempDir& dir)
    {
        for (const char* tool : {"avahi-daemon", "avahi-browse", "avahi-publish", "dbus-daemon", "unshare", "ip"}) {
            if (findTool(tool).empty()) {
                answer_ = std::string("fehlt: ") + tool + " is not installed";
                return;
            }
        }
        const std::string folder = dir.mkdir("avahi");
        dir.write("avahi/bus.conf",
                  "<busconfig><type>system</type><listen>unix:path=" + folder
                      + "/bus</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                        "<allow own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>"
                        "</busconfig>\n");
        dir.write("avahi/avahi.conf",
                  "[server]\nuse-ipv4=yes\nuse-ipv6=no\nallow-interfaces=zdr0\nenable-dbus=yes\n"
                  "[wide-area]\nenable-wide-area=no\n[publish]\npublish-hinfo=no\npublish-workstation=no\n");
        const std::string script = dir.write("avahi/daemon.sh", kDaemonScript);
        address_ = "unix:path=" + folder + "/bus";
        // Root has the namespaces at hand; anyone else asks for a user namespace.
        std::vector<std::string> args{"unshare"};
        if (geteuid() != 0)
            args.insert(args.end(), {"--user", "--map-root-user"});
        args.insert(args.end(), {"--net", "--mount", "--propagation", "private", "bash", script, folder});
        process_.emplace(args, folder + "/script.log");
        answer_ = process_->firstLine();
        if (answer_.empty())
            answer_ = "fehlt: unshare gave no answer (namespaces not permitted here)";
    }

    std::optional<std::string> skipReason() const
    {
        return answer_ == "bereit" ? std::nullopt : std::optional<std::string>(answer_);
    }
    const std::string& busAddress() const { return address_; }

private:
    std::string answer_;
    std::string address_;
    std::optional<test::HeldProcess> process_;
};

TEST(AvahiDaemon, ResolverFindsTheAnnouncedSmbHost)
{
    test::TempDir dir;
    AvahiDaemon daemon(dir);
    if (const std::optional<std::string> reason = daemon.skipReason())
        GTEST_SKIP() << "no Avahi daemon of the test's own: " << *reason;

    const char* old = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", daemon.busAddress().c_str(), 1);
    const std::vector<AnnouncedHost> hosts = AvahiResolver().announcedHosts();
    if (saved)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", saved->c_str(), 1);
    else
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");

    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].address, "10.77.0.1");
    EXPECT_EQ(hosts[0].port, 445);
    EXPECT_EQ(hosts[0].walkName(), "10.77.0.1");
    EXPECT_TRUE(base::endsWith(hosts[0].hostName, ".local")) << hosts[0].hostName;
}

} // namespace
} // namespace zdr::net
