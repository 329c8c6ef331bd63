#include "platform/IniRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <memory>

namespace mametan {
namespace {

// The file is the user's to edit, so a value is the literal text after the
// first "=" up to the line end: no lists, quotes, comments or escapes. A
// line "[name]" starts a section; other lines without "=" are skipped. A
// CR before the LF is taken as part of the line break (files saved on
// Windows). QSettings still does the atomic save and the lock.
bool ReadLiteralIni(QIODevice& device, QSettings::SettingsMap& map) {
  QByteArray data = device.readAll();
  if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
  QString section;
  for (QByteArray line : data.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    const QByteArray trimmed = line.trimmed();
    if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
      section = QString::fromUtf8(trimmed.sliced(1, trimmed.size() - 2)).trimmed();
      continue;
    }
    const qsizetype eq = line.indexOf('=');
    if (eq < 0) continue;
    const QString key = QString::fromUtf8(line.first(eq)).trimmed();
    if (key.isEmpty()) continue;
    map.insert(section.isEmpty() ? key : section + QLatin1Char('/') + key,
               QString::fromUtf8(line.sliced(eq + 1)));
  }
  return true;
}

// A value with a line break has no literal form; SetText refuses it first.
bool WriteLiteralIni(QIODevice& device, const QSettings::SettingsMap& map) {
  QMap<QString, QStringList> sections;
  for (auto it = map.cbegin(); it != map.cend(); ++it) {
    const QString value = it.value().toString();
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) return false;
    const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
    sections[slash < 0 ? QString() : it.key().left(slash)].append(it.key().mid(slash + 1) +
                                                                  QLatin1Char('=') + value);
  }
  QByteArray out;
  for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
    if (!out.isEmpty()) out += '\n';
    if (!it.key().isEmpty()) out += '[' + it.key().toUtf8() + "]\n";
    for (const QString& line : it.value()) out += line.toUtf8() + '\n';
  }
  return device.write(out) == out.size();
}

QSettings::Format LiteralIniFormat() {
  static const QSettings::Format format =
      QSettings::registerFormat(QStringLiteral("ini"), ReadLiteralIni, WriteLiteralIni);
  return format;
}

// A file that is there but cannot be read must not be rewritten: the write
// replaces the whole file and would lose what could not be read.
bool ExistsUnreadable(const QString& path) {
  QFile file(path);
  return file.exists() && !file.open(QIODevice::ReadOnly);
}

// One open view of the file. A section exists in an INI file only once it
// has an entry, so sections created through this view are remembered until
// their first value is written.
struct IniFile {
  explicit IniFile(const QString& path) : path(path), settings(path, LiteralIniFormat()) {}
  QString path;
  QSettings settings;
  QStringList created;
};

class IniKey : public RegistryKey {
 public:
  IniKey(std::shared_ptr<IniFile> file, QString group)
      : m_file(std::move(file)), m_settings(&m_file->settings), m_group(std::move(group)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    if (!m_settings->isWritable() || name.empty() || ExistsUnreadable(m_file->path)) {
      return nullptr;
    }
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
    if (text.find_first_of("\r\n") != std::string::npos) return false;
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
    if (!OpenSubKey(name) || ExistsUnreadable(m_file->path)) return false;
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

std::string IniRegistry::UnreadableStore() {
  return ExistsUnreadable(m_path) ? m_path.toStdString() : std::string();
}

std::unique_ptr<RegistryKey> IniRegistry::OpenCompanyKey() {
  // A fresh view of the file for every operation: nothing is kept open in
  // between, and a debug-mode instance's save is seen by the next operation.
  return std::make_unique<IniKey>(std::make_shared<IniFile>(m_path), QString());
}

}  // namespace mametan
