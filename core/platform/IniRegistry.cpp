#include "core/platform/IniRegistry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "core/platform/IniText.h"

namespace mametan {
namespace {

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult ReadAll(int fd, std::string& out) {
  out.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return ReadResult::Ok;
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadResult::Unreadable;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

ReadResult ReadIni(const std::string& path, std::string& out) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // A file below a file (ENOTDIR) is not there either.
    return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Unreadable;
  }
  const ReadResult result = ReadAll(fd, out);  // a directory fails here
  close(fd);
  return result;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The file a change replaces: a link's target, so that a settings file kept
// elsewhere and linked into place stays where it is.
std::string Target(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Writes `bytes` to a new file beside `path` and renames it over `path`, so
// that a reader sees the old file or the new one, never a part. The new file
// keeps the old one's permissions.
bool ReplaceFile(const std::string& path, const std::string& bytes, int oldFd) {
  const std::string temp = path + ".tmp-" + std::to_string(getpid());
  unlink(temp.c_str());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = fstat(oldFd, &st) == 0 && fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  const std::string dir = path.substr(0, path.find_last_of('/') + 1);
  const int dirFd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

// Makes the folders above `path` that are missing (~/.config on a new
// account); a failure shows when the file is opened.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

// Reads the file under an exclusive lock, lets `change` edit its text and
// writes the result back when it differs. Writers of this store take turns on
// the file itself: a writer that waited for the lock on a file another one
// has meanwhile replaced tries again on the new file. A file that exists but
// cannot be read is left alone (false).
template <typename Change>
bool Update(const std::string& givenPath, Change&& change) {
  const std::string path = Target(givenPath);
  MakeFolders(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat locked {};
    struct stat current {};
    if (flock(fd, LOCK_EX) != 0 || fstat(fd, &locked) != 0) {
      close(fd);
      return false;
    }
    if (stat(path.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
        current.st_dev != locked.st_dev) {
      close(fd);
      continue;
    }
    std::string bytes;
    bool ok = ReadAll(fd, bytes) == ReadResult::Ok;
    if (ok) {
      IniText text(bytes);
      change(text);
      ok = text.bytes() == bytes || ReplaceFile(path, text.bytes(), fd);
    }
    close(fd);
    return ok;
  }
  return false;
}

class IniKey : public RegistryKey {
 public:
  IniKey(std::string path, std::string section)
      : m_path(std::move(path)), m_section(std::move(section)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    const std::string child = Child(name);
    if (name.empty() || !Update(m_path, [&](IniText& ini) { ini.AddSection(child); })) {
      return nullptr;
    }
    return std::make_unique<IniKey>(m_path, child);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    std::string bytes;
    ReadIni(m_path, bytes);
    const std::string child = Child(name);
    if (name.empty() || !Exists(IniText(bytes), child)) return nullptr;
    return std::make_unique<IniKey>(m_path, child);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    std::string bytes;
    ReadIni(m_path, bytes);
    const auto value = IniText(bytes).Value(m_section, name);
    if (!value) return QueryStatus::Missing;
    out.type = RegType::Sz;
    out.data = *value;
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    return Update(m_path, [&](IniText& ini) { ini.SetValue(m_section, name, text); });
  }

  std::optional<std::size_t> SubKeyCount() override { return SubKeys().size(); }

  std::optional<std::string> SubKeyName(std::size_t index) override {
    const auto names = SubKeys();
    if (index >= names.size()) return std::nullopt;
    return names[index];
  }

  bool DeleteSubKey(const std::string& name) override {
    if (!OpenSubKey(name)) return false;
    const std::string child = Child(name);
    return Update(m_path, [&](IniText& ini) { ini.RemoveSection(child); });
  }

 private:
  std::string Child(const std::string& name) const {
    return m_section.empty() ? name : m_section + '/' + name;
  }

  // A key exists when its section or a section below it does.
  static bool Exists(const IniText& ini, const std::string& section) {
    const std::string below = section + '/';
    const auto names = ini.Sections();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& s) { return s == section || s.starts_with(below); });
  }

  // The next name part of every section below this key, each once.
  std::vector<std::string> SubKeys() const {
    std::string bytes;
    ReadIni(m_path, bytes);
    const std::vector<std::string> all = IniText(bytes).Sections();
    const std::string prefix = m_section.empty() ? std::string() : m_section + '/';
    std::vector<std::string> names;
    for (const std::string& s : all) {
      if (!s.starts_with(prefix) || s.size() == prefix.size()) continue;
      std::string name = s.substr(prefix.size());
      name = name.substr(0, name.find('/'));
      if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
      }
    }
    return names;
  }

  std::string m_path;
  std::string m_section;
};

}  // namespace

std::string IniRegistry::DefaultPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::string(config) + "/VelmaroSoftware.ini";
  std::string home;
  if (const char* h = std::getenv("HOME"); h && h[0] != '\0') {
    home = h;
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    home = pw->pw_dir;
  }
  return home + "/.config/VelmaroSoftware.ini";
}

std::string IniRegistry::UnreadableStore() {
  std::string bytes;
  return ReadIni(m_path, bytes) == ReadResult::Unreadable ? m_path : std::string();
}

std::unique_ptr<RegistryKey> IniRegistry::OpenCompanyKey() {
  // Nothing is kept open in between: each operation reads the file afresh,
  // so a save by another copy (a debug-mode one) is seen by the next one.
  return std::make_unique<IniKey>(m_path, std::string());
}

}  // namespace mametan
