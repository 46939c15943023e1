#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zdr::test {

// Volumes of other systems for one test: a loop image made by its mkfs and
// mounted through the driver users have (exFAT and NTFS through their FUSE
// drivers, FAT through the kernel). Mounting needs root and a mount
// namespace of the process's own (privateMounts(), called before any thread
// starts), so nothing shows outside the test. skipReason() says why a
// volume is not there; the test should GTEST_SKIP() with it.
class ForeignVolume {
public:
    enum class Kind { ExFat, Ntfs, Fat32 };

    // Moves the process into a mount namespace of its own; empty when done,
    // else why not.
    static std::string privateMounts()
    {
        if (::geteuid() != 0)
            return "needs root (loop devices and mounts)";
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "no mount namespace of its own here";
        return {};
    }

    // options: the driver's mount options (ntfs-3g's "compression").
    ForeignVolume(Kind kind, const std::string& folder, const std::string& image, const std::string& options = {})
        : folder_(folder)
    {
        const char* mkfs = kind == Kind::ExFat ? "mkfs.exfat" : kind == Kind::Ntfs ? "mkntfs" : "mkfs.vfat";
        const char* driver = kind == Kind::ExFat ? "mount.exfat-fuse" : kind == Kind::Ntfs ? "ntfs-3g" : "mount";
        if (::geteuid() != 0) {
            reason_ = "needs root (loop devices and mounts)";
            return;
        }
        for (const char* tool : {mkfs, driver, "losetup"}) {
            if (std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) != 0) {
                reason_ = std::string(tool) + " is not installed";
                return;
            }
        }
        const std::string make = kind == Kind::ExFat ? "mkfs.exfat '" + image + "'"
            : kind == Kind::Ntfs                     ? "mkntfs -F -Q '" + image + "'"
                                                     : "mkfs.vfat -F 32 '" + image + "'";
        if (std::system(("truncate -s 64M '" + image + "' && " + make + " >/dev/null 2>&1").c_str()) != 0) {
            reason_ = std::string(mkfs) + " failed";
            return;
        }
        device_ = output("losetup -f --show '" + image + "' 2>/dev/null");
        if (device_.empty()) {
            reason_ = "no loop device";
            return;
        }
        const std::string with = options.empty() ? std::string() : " -o " + options;
        const std::string mountCommand = kind == Kind::Fat32
            ? "mount -t vfat" + with + " '" + device_ + "' '" + folder + "'"
            : std::string(driver) + with + " '" + device_ + "' '" + folder + "'";
        if (std::system((mountCommand + " >/dev/null 2>&1").c_str()) != 0) {
            reason_ = kind == Kind::Fat32 ? "the kernel cannot mount FAT here (no vfat)"
                                          : std::string(driver) + " cannot mount here (no /dev/fuse?)";
            return;
        }
        mounted_ = true;
    }
    ~ForeignVolume()
    {
        if (mounted_ && ::umount2(folder_.c_str(), 0) != 0)
            ::umount2(folder_.c_str(), MNT_DETACH);
        if (!device_.empty())
            (void)std::system(("losetup -d '" + device_ + "' 2>/dev/null").c_str());
    }
    ForeignVolume(const ForeignVolume&) = delete;
    ForeignVolume& operator=(const ForeignVolume&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& skipReason() const { return reason_; }

private:
    static std::string output(const std::string& command)
    {
        std::string text;
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            std::array<char, 256> buffer{};
            while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr)
                text += buffer.data();
            ::pclose(pipe);
        }
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    std::string folder_;
    std::string device_;
    std::string reason_;
    bool mounted_ = false;
};

} // namespace zdr::test
