#pragma once
// The settings store on Linux: one INI file plays the company key, its
// sections the subkeys ([Mametan], [Mametan/Sub] for a subkey of it), its
// entries the text values (core/platform/IniText.h says what a line means). The
// file is shared with other programs and with hand editing: a change
// rewrites only the values it is about and keeps every other byte.
//
// A change reads the file afresh under a lock on it (waiting two seconds at
// most for another holder, less once a termination signal came in) and,
// when the text differs, replaces it atomically with a file written beside
// it; a change that alters nothing never opens the file for writing. A
// batch (BeginBatch/EndBatch) makes a whole save one such change. A link in
// the file's place is followed, also when its target does not exist yet, and
// stays a link; a file with several hard links leaves the others behind, as
// any replace does. A file that is there but cannot be read (no read right,
// a directory, a UTF-16 text) is never rewritten. The temporary files that
// copies killed during a replace left beside the file go with the next save.
#include <memory>
#include <string>

#include "core/platform/Registry.h"

namespace mametan {

class IniRegistry : public RegistryBackend {
 public:
  explicit IniRegistry(std::string path);
  ~IniRegistry() override;
  // $XDG_CONFIG_HOME/VelmaroSoftware.ini (default ~/.config).
  static std::string DefaultPath();

  std::unique_ptr<RegistryKey> OpenCompanyKey() override;
  std::string UnreadableStore() override;
  void BeginBatch(bool change) override;
  bool EndBatch() override;
  std::string LostChange() const override;
  std::string FailureDetail() const override;
  const std::string& path() const;

  struct State;

 private:
  std::shared_ptr<State> m_state;
};

}  // namespace mametan
