// flock on $XDG_RUNTIME_DIR/Mametan.lock, or /tmp/Mametan-<uid>.lock where
// there is no runtime directory. The file is never removed: removing it would
// let a third start lock a new file while the first still holds the old one.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/InstanceLock.h"

namespace mametan {
namespace {

std::string LockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime && *runtime == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
    return std::string(runtime) + "/Mametan.lock";
  }
  return "/tmp/Mametan-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

bool InstanceLock::Acquire() {
  if (m_handle >= 0) return true;
  // O_CLOEXEC: programs we start (the help viewer) must not inherit the lock.
  const int fd = open(LockPath().c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  struct stat st {};
  // A lock file owned by someone else (planted in /tmp) is not ours to use.
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid() ||
      flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  m_handle = fd;
  return true;
}

void InstanceLock::Release() {
  if (m_handle >= 0) {
    close(static_cast<int>(m_handle));
    m_handle = -1;
  }
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace mametan
