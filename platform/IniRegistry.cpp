#include "platform/IniRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace mametan {
namespace {

// One open view of the file. A section exists in an INI file only once it
// has an entry, so sections created through this view are remembered until
// their first value is written.
struct IniFile {
  explicit IniFile(const QString& path) : settings(path, QSettings::IniFormat) {}
  QSettings settings;
  QStringList created;
};

class IniKey : public RegistryKey {
 public:
  IniKey(std::shared_ptr<IniFile> file, QString group)
      : m_file(std::move(file)), m_settings(&m_file->settings), m_group(std::move(group)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    if (!m_settings->isWritable() || name.empty()) return nullptr;
    const QString path = Child(name);
    if (!m_file->created.contains(path)) m_file->created.append(path);
    return std::make_unique<IniKey>(m_file, path);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    const QString path = Child(name);
    if (!Groups().contains(QString::fromStdString(name)) && !m_file->created.contains(path)) {
      return nullptr;
    }
    return std::make_unique<IniKey>(m_file, path);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    const QString key = Child(name);
    if (!m_settings->contains(key)) return QueryStatus::Missing;
    const QVariant v = m_settings->value(key);
    // Only a plain text is a text value; lists and @Variant entries are not.
    if (v.typeId() == QMetaType::QString) {
      out.type = RegType::Sz;
      out.data = v.toString().toStdString();
    } else {
      out.type = RegType::Other;
      out.data = v.toByteArray().toStdString();
      if (out.data.empty()) out.data = std::string(1, '\0');
    }
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    m_settings->setValue(Child(name), QString::fromStdString(text));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
  }

  std::optional<std::size_t> SubKeyCount() override {
    return static_cast<std::size_t>(Groups().size());
  }

  std::optional<std::string> SubKeyName(std::size_t index) override {
    const QStringList groups = Groups();
    if (index >= static_cast<std::size_t>(groups.size())) return std::nullopt;
    return groups.at(static_cast<qsizetype>(index)).toStdString();
  }

  bool DeleteSubKey(const std::string& name) override {
    if (!OpenSubKey(name)) return false;
    m_settings->remove(Child(name));
    m_file->created.removeAll(Child(name));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
  }

 private:
  QString Child(const std::string& name) const {
    const QString n = QString::fromStdString(name);
    return m_group.isEmpty() ? n : m_group + QLatin1Char('/') + n;
  }

  QStringList Groups() const {
    if (m_group.isEmpty()) return m_settings->childGroups();
    m_settings->beginGroup(m_group);
    QStringList groups = m_settings->childGroups();
    m_settings->endGroup();
    return groups;
  }

  std::shared_ptr<IniFile> m_file;
  QSettings* m_settings;
  QString m_group;
};

}  // namespace

QString IniRegistry::DefaultPath() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.config";
  return base + "/VelmaroSoftware.ini";
}

std::unique_ptr<RegistryKey> IniRegistry::OpenCompanyKey() {
  // A fresh view of the file for every operation: nothing is kept open in
  // between, and a debug-mode instance's save is seen by the next operation.
  return std::make_unique<IniKey>(std::make_shared<IniFile>(m_path), QString());
}

}  // namespace mametan
