#pragma once
// The settings store on Windows: HKEY_CURRENT_USER\Software\VelmaroSoftware
// through the registry's A functions. Key names, value names and texts cross
// that boundary in code page 932; inside the program they are UTF-8.
#include "core/platform/Registry.h"

namespace mametan {

inline constexpr const char* kCompanyKeyPath = "Software\\VelmaroSoftware";

class WinRegistry : public RegistryBackend {
 public:
  enum class Access { ReadWrite, ReadOnly };
  explicit WinRegistry(Access access = Access::ReadWrite) : m_access(access) {}

  // Opens the company key with full access, creating it when missing. A
  // read-only store opens it for reading only and creates, changes or
  // deletes nothing: a missing key gives nullptr.
  std::unique_ptr<RegistryKey> OpenCompanyKey() override;

 private:
  Access m_access;
};

}  // namespace mametan
