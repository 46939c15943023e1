#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zdr::test {

// A test process that mounts does so in a mount namespace of its own, so
// one killed halfway leaves no mount on the machine. Made before main(),
// while the process has one thread (a thread keeps the namespace it was
// started in). Never mounted outside it.
inline const bool kOwnMountNamespace = [] {
    return ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0
        && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}();

// A small file system of its own for one test, mounted on an empty folder
// (which must outlive it): a tmpfs of a given size, or a loop-mounted btrfs
// image. mounted() is false where the test may not mount (not root, no
// mount namespace of its own, no loop devices, no mkfs.btrfs); the test
// should GTEST_SKIP() then.
class ScratchMount {
public:
    static ScratchMount tmpfs(const std::string& folder, const std::string& size)
    {
        ScratchMount m(folder);
        m.mounted_ = kOwnMountNamespace && ::mount("tmpfs", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
        return m;
    }
    // options: more mount options ("noacl").
    static ScratchMount btrfs(const std::string& folder, const std::string& image, const std::string& label = {},
                              const std::string& options = {})
    {
        ScratchMount m(folder);
        const std::string command = "truncate -s 128M '" + image + "' && mkfs.btrfs -q "
            + (label.empty() ? std::string() : "-L '" + label + "' ") + "'" + image
            + "' >/dev/null 2>&1 && mount -o loop" + (options.empty() ? std::string() : "," + options) + " '" + image
            + "' '" + folder + "' 2>/dev/null";
        m.mounted_ = kOwnMountNamespace && std::system(command.c_str()) == 0;
        return m;
    }
    ScratchMount(ScratchMount&& other) noexcept : folder_(other.folder_), mounted_(other.mounted_)
    {
        other.mounted_ = false;
    }
    ~ScratchMount()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    ScratchMount& operator=(ScratchMount&&) = delete;

    bool mounted() const { return mounted_; }
    // Makes the file system read-only (or writable again).
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount(nullptr, folder_.c_str(), nullptr, flags, nullptr) == 0;
    }

private:
    explicit ScratchMount(std::string folder) : folder_(std::move(folder)) {}

    std::string folder_;
    bool mounted_ = false;
};

} // namespace zdr::test
