#pragma once
// The settings store on Windows: HKEY_CURRENT_USER\Software\VelmaroSoftware
// through the registry's wide functions. Key names, value names and texts are
// UTF-16 there and UTF-8 inside the program, so any name a file chooser gives
// is kept; a text that code page 932 holds is stored as it always was.
#include "core/platform/Registry.h"

namespace mametan {

inline constexpr const wchar_t* kCompanyKeyPath = L"Software\\VelmaroSoftware";

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
