#include "core/platform/IniRegistry.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include "core/platform/IniText.h"
#include "core/platform/Termination.h"

namespace mametan {

namespace {

constexpr auto kLockPatience = std::chrono::seconds(2);

std::string Reason(int error) { return std::strerror(error); }

bool IsUtf16(const std::string& bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

enum class ReadResult { Ok, Missing, Unreadable };

// Reads all of `fd` into `out`; `why` gets the reason of a failure.
ReadResult ReadAll(int fd, std::string& out, std::string& why) {
  out.clear();
  struct stat st {};
  if (fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      why = Reason(errno);
      out.clear();
      return ReadResult::Unreadable;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
  if (IsUtf16(out)) {
    // Its lines are no text of ours: values would be misread and a block of
    // 8-bit lines added to it would spoil it.
    why = "UTF-16 のファイルです";
    out.clear();
    return ReadResult::Unreadable;
  }
  return ReadResult::Ok;
}

ReadResult ReadIni(const std::string& path, std::string& out, std::string& why) {
  out.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // A file below a file (ENOTDIR) is not there either.
    if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
    why = Reason(errno);
    return ReadResult::Unreadable;
  }
  const ReadResult result = ReadAll(fd, out, why);  // a directory fails here
  close(fd);
  return result;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The file a change replaces: the end of a chain of links, also one that
// does not exist yet, so that a settings file kept elsewhere and linked into
// place stays where it is and the link stays a link.
std::string Target(const std::string& path) {
  std::string at = path;
  for (int hops = 0; hops < 40; ++hops) {
    char link[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), link, sizeof link);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof link)) break;
    const std::string next(link, static_cast<std::size_t>(n));
    if (next.front() == '/') {
      at = next;
    } else {
      at = Folder(at);
      at += '/';
      at += next;
    }
  }
  return at;
}

// Makes the folders above `path` that are missing (~/.config on a new
// account); a failure shows when the file is written.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

std::string TempPrefix(const std::string& path) { return path + ".tmp-"; }

// Removes the temporary files of copies that no longer run (killed during a
// replace). Another running copy's file is left to it.
void RemoveStaleTemps(const std::string& path) {
  const std::string folder = Folder(path);
  const std::string prefix = TempPrefix(path.substr(path.find_last_of('/') + 1));
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(prefix) || name.size() == prefix.size() ||
        name.size() > prefix.size() + 9) {
      continue;
    }
    const std::string_view digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const pid_t pid = static_cast<pid_t>(std::atol(std::string(digits).c_str()));
    if (pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH) {
      unlink((folder + "/" + std::string(name)).c_str());
    }
  }
  closedir(dir);
}

}  // namespace

// The file and, during a batch, the copy of its text the keys work on.
struct IniRegistry::State {
  std::string path;

  bool active = false;
  bool change = false;
  // A change batch that could not take the file (unreadable, locked): every
  // change fails and nothing is written.
  bool failed = false;
  std::string target;
  int fd = -1;  // the locked file; -1 when it does not exist
  mode_t mode = 0;
  ReadResult read = ReadResult::Missing;
  IniText text;
  IniText fresh;                       // the file read afresh outside a batch
  std::map<std::string, bool> exists;  // answers of Exists() for this text
  std::optional<std::string> firstChange;
  std::optional<std::string> lost;
  std::string detail;

  // Opens the batch. A change batch takes the file under its lock.
  void Begin(bool forChange) {
    End();
    active = true;
    change = forChange;
    failed = false;
    firstChange.reset();
    lost.reset();
    detail.clear();
    exists.clear();
    target = Target(path);
    std::string bytes;
    std::string why;
    if (!forChange) {
      read = ReadIni(target, bytes, why);
    } else {
      read = Take(bytes, why);
      failed = read == ReadResult::Unreadable;
    }
    if (read == ReadResult::Unreadable) detail = target + ": " + why;
    text = IniText(std::move(bytes));
  }

  // Opens and locks the file and reads it. Writers of this store take turns
  // on the file itself: one that waited for the lock on a file another one
  // has meanwhile replaced tries again on the new file.
  ReadResult Take(std::string& bytes, std::string& why) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
        why = Reason(errno);
        return ReadResult::Unreadable;
      }
      if (!Lock(why)) {
        Release();
        return ReadResult::Unreadable;
      }
      struct stat locked {};
      struct stat current {};
      if (fstat(fd, &locked) != 0) {
        why = Reason(errno);
        Release();
        return ReadResult::Unreadable;
      }
      if (stat(target.c_str(), &current) != 0 || current.st_ino != locked.st_ino ||
          current.st_dev != locked.st_dev) {
        Release();
        continue;
      }
      mode = locked.st_mode & 07777;
      return ReadAll(fd, bytes, why);
    }
    why = "置き換えが続いています";
    return ReadResult::Unreadable;
  }

  // Another program may hold the file's lock for long: the wait ends after a
  // while, and at once when the program is asked to end.
  bool Lock(std::string& why) {
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    for (;;) {
      if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
      if (errno != EWOULDBLOCK && errno != EINTR) {
        why = Reason(errno);
        return false;
      }
      if (TerminationRequested() || std::chrono::steady_clock::now() >= deadline) {
        why = "他のプログラムがロックしています";
        return false;
      }
      usleep(10000);
    }
  }

  void Release() {
    if (fd >= 0) close(fd);  // also ends the lock
    fd = -1;
  }

  // Ends the batch: a change batch puts a changed text in place.
  bool End() {
    if (!active) return true;
    active = false;
    bool ok = !change || !failed;
    if (change && !failed) {
      if (firstChange) ok = Replace();
      if (!ok) lost = firstChange.value_or(std::string());
      RemoveStaleTemps(target);
    }
    Release();
    text = IniText();
    exists.clear();
    return ok;
  }

  // Writes the text to a new file beside the target and renames it over the
  // target, so that a reader sees the old file or the new one, never a part.
  // The new file keeps the old one's permissions; a file without the write
  // right is not replaced.
  bool Replace() {
    if (fd >= 0 && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
      detail = target + ": " + Reason(errno);
      return false;
    }
    if (fd < 0) MakeFolders(target);
    const std::string folder = Folder(target);
    const std::string temp = TempPrefix(target) + std::to_string(getpid());
    unlink(temp.c_str());
    const int out = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (out < 0) {
      detail = target + ": " + folder + ": " + Reason(errno);
      return false;
    }
    bool ok = (fd < 0 || fchmod(out, mode) == 0) && WriteAll(out, text.bytes()) && fsync(out) == 0;
    int error = errno;
    if (close(out) != 0 && ok) {
      ok = false;
      error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
      ok = false;
      error = errno;
    }
    if (!ok) {
      unlink(temp.c_str());
      detail = target + ": " + Reason(error);
      return false;
    }
    const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
      fsync(dirFd);
      close(dirFd);
    }
    return true;
  }

  // The text to read: the batch's copy, or the file read afresh.
  const IniText& Current() {
    if (active) return text;
    std::string bytes;
    std::string why;
    ReadIni(path, bytes, why);
    fresh = IniText(std::move(bytes));
    return fresh;
  }

  // Applies `edit` (true when it changed the text) as a change; `name` is
  // the value it is about (empty for a key). Outside a batch it is a batch of its own.
  template <typename Edit>
  bool Change(const std::string& name, Edit&& edit) {
    if (active && !change) End();
    const bool own = !active;
    if (own) Begin(true);
    bool ok = !failed;
    if (ok && edit(text)) {
      if (!firstChange) firstChange = name;
      exists.clear();
    }
    if (own) ok = End() && ok;
    return ok;
  }

  // A key exists when its section or a section below it does.
  bool Exists(const std::string& section) {
    if (active) {
      if (const auto known = exists.find(section); known != exists.end()) return known->second;
    }
    const std::string below = section + '/';
    const bool found = Current().AnySection(
        [&](std::string_view s) { return s == section || s.starts_with(below); });
    if (active) exists[section] = found;
    return found;
  }
};

namespace {

class IniKey : public RegistryKey {
 public:
  IniKey(std::shared_ptr<IniRegistry::State> state, std::string section)
      : m_state(std::move(state)), m_section(std::move(section)) {}

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    const std::string child = Child(name);
    if (name.empty() || !m_state->Change({}, [&](IniText& ini) { return ini.AddSection(child); })) {
      return nullptr;
    }
    return std::make_unique<IniKey>(m_state, child);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    const std::string child = Child(name);
    if (name.empty() || !m_state->Exists(child)) return nullptr;
    return std::make_unique<IniKey>(m_state, child);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    const auto value = m_state->Current().Value(m_section, name);
    if (!value) return QueryStatus::Missing;
    out.type = RegType::Sz;
    out.data = *value;
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    return m_state->Change(name, [&](IniText& ini) { return ini.SetValue(m_section, name, text); });
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
    return m_state->Change({}, [&](IniText& ini) { return ini.RemoveSection(child); });
  }

 private:
  std::string Child(const std::string& name) const {
    return m_section.empty() ? name : m_section + '/' + name;
  }

  // The next name part of every section below this key, each once.
  std::vector<std::string> SubKeys() const {
    const std::vector<std::string> all = m_state->Current().Sections();
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

  std::shared_ptr<IniRegistry::State> m_state;
  std::string m_section;
};

}  // namespace

IniRegistry::IniRegistry(std::string path) : m_state(std::make_shared<State>()) {
  m_state->path = std::move(path);
}

IniRegistry::~IniRegistry() { m_state->End(); }

const std::string& IniRegistry::path() const { return m_state->path; }

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
  if (m_state->active) {
    return m_state->read == ReadResult::Unreadable ? m_state->path : std::string();
  }
  std::string bytes;
  std::string why;
  return ReadIni(m_state->path, bytes, why) == ReadResult::Unreadable ? m_state->path
                                                                      : std::string();
}

std::unique_ptr<RegistryKey> IniRegistry::OpenCompanyKey() {
  // Outside a batch nothing is kept open in between: each operation reads
  // the file afresh, so a save by another copy (a debug-mode one) is seen by
  // the next one.
  if (m_state->active && m_state->failed) return nullptr;
  return std::make_unique<IniKey>(m_state, std::string());
}

void IniRegistry::BeginBatch(bool change) { m_state->Begin(change); }

bool IniRegistry::EndBatch() { return m_state->End(); }

std::string IniRegistry::LostChange() const { return m_state->lost.value_or(std::string()); }

std::string IniRegistry::FailureDetail() const { return m_state->detail; }

}  // namespace mametan
