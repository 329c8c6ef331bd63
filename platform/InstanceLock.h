#pragma once
// The per-user single-instance lock, held by the first normal instance for
// its whole run and released by the operating system when the process ends.
#include <cstdint>

namespace mametan {

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

 private:
  std::intptr_t m_handle = -1;
};

}  // namespace mametan
