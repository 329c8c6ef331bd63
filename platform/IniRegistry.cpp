#include "platform/IniRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace mametan {
namespace {

class IniKey : public RegistryKey {
 public:
  IniKey(std::shared_ptr<QSettings> settings, QString group)
      : m_settings(std::move(settings)), m_group(std::move(group)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    if (!m_settings->isWritable() || name.empty()) return nullptr;
    return std::make_unique<IniKey>(m_settings, Child(name));
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    if (!Groups().contains(QString::fromStdString(name))) return nullptr;
    return std::make_unique<IniKey>(m_settings, Child(name));
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

  std::shared_ptr<QSettings> m_settings;
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
  auto settings = std::make_shared<QSettings>(m_path, QSettings::IniFormat);
  return std::make_unique<IniKey>(settings, QString());
}

}  // namespace mametan
