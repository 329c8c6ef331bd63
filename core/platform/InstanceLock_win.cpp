// The named mutex "Mametan", owned from the start. Its name has no namespace
// prefix, so the rule holds within one user session.
#include <windows.h>

#include <string>

#include "core/platform/InstanceLock.h"

namespace mametan {
namespace {

// The portable interface keeps a handle as an integer.
HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

bool InstanceLock::Acquire() {
  m_problem.clear();
  if (m_handle != -1) return true;
  // Some successful calls leave the last error as it was: clear it, so that
  // only this call's "already exists" can refuse the start.
  SetLastError(ERROR_SUCCESS);
  const HANDLE mutex = CreateMutexA(nullptr, TRUE, "Mametan");
  const DWORD error = GetLastError();
  if (!mutex) {
    m_problem = "cannot create the mutex Mametan (error " + std::to_string(error) + ")";
    return false;
  }
  if (error != ERROR_SUCCESS) {
    // Our handle would keep the mutex alive after its owner has ended and
    // refuse every later start.
    CloseHandle(mutex);
    return false;
  }
  m_handle = reinterpret_cast<std::intptr_t>(mutex);
  return true;
}

void InstanceLock::Release() {
  if (m_handle != -1) {
    ReleaseMutex(AsHandle(m_handle));
    CloseHandle(AsHandle(m_handle));
    m_handle = -1;
  }
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace mametan
