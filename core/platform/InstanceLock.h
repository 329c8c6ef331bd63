#pragma once
// The per-user single-instance lock, held by the first normal instance for
// its whole run and released by the operating system when the process ends.
#include <cstdint>
#include <string>

namespace mametan {

#ifndef _WIN32
// The lock file's path: /run/user/<uid>/Mametan.lock when that folder is the
// user's, else /tmp/Mametan-<uid>.lock.
std::string InstanceLockPath();
#endif

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Takes the lock without waiting. False when another instance holds it or
  // the lock cannot be made at all.
  bool Acquire();
  void Release();
  // Why the last Acquire failed when that was not another instance holding
  // the lock (a lock file of another user, one that cannot be opened); empty
  // when another instance holds it.
  const std::string& Problem() const { return m_problem; }

 private:
  std::intptr_t m_handle = -1;
  std::string m_problem;
};

}  // namespace mametan
