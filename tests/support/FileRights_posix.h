#pragma once
// Lets a test that runs as root meet file permissions like an ordinary user:
// while an instance lives, the calling thread's effective capabilities lack
// the two that let root read and write any file. Linux only.
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>

namespace mametan::test {

class WithoutFileRightsOverride {
 public:
  WithoutFileRightsOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    if (syscall(SYS_capget, &header, m_saved) != 0) return;
    __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    m_lowered = syscall(SYS_capset, &header, lowered) == 0;
  }
  ~WithoutFileRightsOverride() {
    if (!m_lowered) return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    syscall(SYS_capset, &header, m_saved);
  }
  WithoutFileRightsOverride(const WithoutFileRightsOverride&) = delete;
  WithoutFileRightsOverride& operator=(const WithoutFileRightsOverride&) = delete;

  // Whether `path` can still be opened with `flags` (then the test has nothing to show).
  static bool CanOpen(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
  }

 private:
  __user_cap_data_struct m_saved[2] = {};
  bool m_lowered = false;
};

}  // namespace mametan::test
