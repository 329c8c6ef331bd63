#pragma once
// The settings store on Linux: one INI file plays the company key, its
// sections the subkeys ([Mametan]), its entries the text values. A value is
// the literal text after "=" to the line end; a text with a line break cannot
// be written.
#include <QString>

#include "platform/Registry.h"

namespace mametan {

class IniRegistry : public RegistryBackend {
 public:
  explicit IniRegistry(QString path) : m_path(std::move(path)) {}
  // $XDG_CONFIG_HOME/VelmaroSoftware.ini (default ~/.config).
  static QString DefaultPath();

  std::unique_ptr<RegistryKey> OpenCompanyKey() override;
  std::string UnreadableStore() override;
  const QString& path() const { return m_path; }

 private:
  QString m_path;
};

}  // namespace mametan
