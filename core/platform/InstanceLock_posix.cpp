// flock on /run/user/<uid>/Mametan.lock when the user's runtime folder is
// there, else on /tmp/Mametan-<uid>.lock. The path depends on the user id
// alone: a copy started with another environment (no XDG_RUNTIME_DIR, or a
// different one) must find the same lock. The file is never removed:
// removing it would let a third start lock a new file while the first still
// holds the old one.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "core/platform/InstanceLock.h"

namespace mametan {

std::string InstanceLockPath() {
  const std::string uid = std::to_string(getuid());
  const std::string runtime = "/run/user/" + uid;
  struct stat st {};
  if (lstat(runtime.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid()) {
    return runtime + "/Mametan.lock";
  }
  return "/tmp/Mametan-" + uid + ".lock";
}

bool InstanceLock::Acquire() {
  m_problem.clear();
  if (m_handle >= 0) return true;
  const std::string path = InstanceLockPath();
  // O_CLOEXEC: programs we start (the help viewer) must not inherit the lock.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    m_problem = "cannot open the lock file " + path + ": " +
                (errno == ELOOP ? "it is a symbolic link" : std::strerror(errno));
    return false;
  }
  struct stat st {};
  // A lock file owned by someone else (planted in /tmp) is not ours to use.
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    m_problem = "the lock file " + path + " is not a regular file";
  } else if (st.st_uid != getuid()) {
    m_problem = "the lock file " + path + " belongs to another user (uid " +
                std::to_string(st.st_uid) + ")";
  } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Held by a running copy: the ordinary refused start, which says nothing.
    if (errno != EWOULDBLOCK) m_problem = "cannot lock " + path + ": " + std::strerror(errno);
  } else {
    m_handle = fd;
    return true;
  }
  close(fd);
  return false;
}

void InstanceLock::Release() {
  if (m_handle >= 0) {
    close(static_cast<int>(m_handle));
    m_handle = -1;
  }
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace mametan
