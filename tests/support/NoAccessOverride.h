#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zdr::test {

// Makes file permissions bind the process while it lives, also for root:
// the capabilities that let root read and enter any folder are dropped from
// the effective set and restored afterwards. active() is false where that
// cannot be done; the test should GTEST_SKIP() then.
class NoAccessOverride {
public:
    NoAccessOverride()
    {
        if (geteuid() != 0) {
            active_ = true; // permissions bind anyway
            return;
        }
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        constexpr unsigned mask = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        reduced[0].effective &= ~mask;
        active_ = syscall(SYS_capset, &header_, reduced) == 0;
        restore_ = active_;
    }
    ~NoAccessOverride()
    {
        if (restore_)
            syscall(SYS_capset, &header_, saved_);
    }
    NoAccessOverride(const NoAccessOverride&) = delete;
    NoAccessOverride& operator=(const NoAccessOverride&) = delete;

    bool active() const { return active_; }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
    bool restore_ = false;
};

} // namespace zdr::test
