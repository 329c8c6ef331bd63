#pragma once
// The settings store on Linux: one INI file plays the company key, its
// sections the subkeys ([Mametan], [Mametan/Sub] for a subkey of it), its
// entries the text values (core/platform/IniText.h says what a line means). The
// file is shared with other programs and with hand editing: a change
// rewrites only the values it is about and keeps every other byte. Each
// change reads the file afresh under a lock on it and replaces it
// atomically; a file that is there but cannot be read is never rewritten.
#include <string>

#include "core/platform/Registry.h"

namespace mametan {

class IniRegistry : public RegistryBackend {
 public:
  explicit IniRegistry(std::string path) : m_path(std::move(path)) {}
  // $XDG_CONFIG_HOME/VelmaroSoftware.ini (default ~/.config).
  static std::string DefaultPath();

  std::unique_ptr<RegistryKey> OpenCompanyKey() override;
  std::string UnreadableStore() override;
  const std::string& path() const { return m_path; }

 private:
  std::string m_path;
};

}  // namespace mametan
