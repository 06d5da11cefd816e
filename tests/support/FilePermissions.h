#pragma once

// Tests of unreadable and read-only files need permission bits that bind.
// Root passes them through two capabilities (read/write/search override);
// while a PermissionBitsBind lives, this thread runs without them, as an
// ordinary user does, and gets them back afterwards. Capabilities belong to
// a thread, and the window's file work all happens on the one that made it.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>

namespace quillora::testing {

class PermissionBitsBind {
  public:
    PermissionBitsBind() {
        if (geteuid() != 0) {
            binding_ = true;  // they always do for an ordinary user
            return;
        }
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;  // this thread
        if (syscall(SYS_capget, &header_, saved_.data()) != 0) {
            return;
        }
        std::array<__user_cap_data_struct, 2> lowered = saved_;
        lowered[0].effective &= ~((1U << CAP_DAC_OVERRIDE) | (1U << CAP_DAC_READ_SEARCH));
        lowered_ = syscall(SYS_capset, &header_, lowered.data()) == 0;
        binding_ = lowered_;
    }
    ~PermissionBitsBind() {
        if (lowered_) {
            syscall(SYS_capset, &header_, saved_.data());
        }
    }
    PermissionBitsBind(const PermissionBitsBind&) = delete;
    PermissionBitsBind& operator=(const PermissionBitsBind&) = delete;

    // False for root in a place that would not let the override go: there a
    // test cannot make a file unreadable and should say so.
    bool binding() const { return binding_; }

  private:
    __user_cap_header_struct header_{};
    std::array<__user_cap_data_struct, 2> saved_{};
    bool lowered_ = false;
    bool binding_ = false;
};

}  // namespace quillora::testing
