// Taking away the superuser's permission override, so that tests of files
// and folders without permissions also fail for root, as they do for users.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

namespace lumvor::test {

// Takes the permission override of the superuser from this thread while it lives.
class NoPermissionOverride {
public:
    NoPermissionOverride() {
        if (::geteuid() != 0)
            return;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct now[2];
        std::memcpy(now, saved_, sizeof now);
        now[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        active_ = ::syscall(SYS_capset, &header_, now) == 0;
    }
    ~NoPermissionOverride() {
        if (active_)
            ::syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

}  // namespace lumvor::test
