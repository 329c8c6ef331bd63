// Byte files over POSIX descriptors. There are no share modes here: other
// processes may always read and write the same files.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "core/platform/FileIo.h"

namespace mametan {
namespace {

int Fd(std::intptr_t handle) { return static_cast<int>(handle); }

using Clock = std::chrono::steady_clock;

enum class Lock { Held, Busy, None };

// flock, waited for until `deadline`. A file system without locks gives None.
// The wait blocks in the kernel, which hands the lock on as soon as it is
// let go: trying again now and then would let a writer that appends without
// pause keep it for good. The blocking call runs on a thread of its own,
// through a second descriptor of the same open file (which shares the
// lock); given up at the deadline, that thread lets the lock go again the
// moment it gets it.
Lock LockBefore(int fd, Clock::time_point deadline) {
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Lock::Held;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return Lock::None;
    break;
  }
  struct Wait {
    std::mutex mutex;
    std::condition_variable done;
    bool held = false;
    bool finished = false;
    bool abandoned = false;
  };
  const int second = fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (second < 0) return Lock::None;
  auto wait = std::make_shared<Wait>();
  try {
    std::thread([wait, second] {
      int result;
      do {
        result = flock(second, LOCK_EX);
      } while (result != 0 && errno == EINTR);
      const std::lock_guard<std::mutex> guard(wait->mutex);
      if (result == 0 && wait->abandoned) flock(second, LOCK_UN);
      close(second);
      wait->held = result == 0;
      wait->finished = true;
      wait->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    close(second);
    return Lock::None;
  }
  std::unique_lock<std::mutex> lock(wait->mutex);
  if (!wait->done.wait_until(lock, deadline, [&] { return wait->finished; })) {
    wait->abandoned = true;
    return Lock::Busy;
  }
  return wait->held ? Lock::Held : Lock::None;
}

// Whether the open file is the one the path names now (links followed).
bool IsFileAt(int fd, const std::string& path) {
  struct stat open {};
  struct stat named {};
  return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

// Read access too, for LastByte(); a file we may only write to still opens.
int OpenForAppend(const std::string& path, int create) {
  int fd = open(path.c_str(), O_RDWR | O_APPEND | create | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EACCES)
    fd = open(path.c_str(), O_WRONLY | O_APPEND | create | O_CLOEXEC, 0666);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Copies `from`'s bytes from `offset` on (to `end`, or to its end) to `to`.
bool CopyBytes(int from, std::uint64_t offset, std::optional<std::uint64_t> end, int to) {
  char buffer[65536];
  while (!end || offset < *end) {
    std::size_t want = sizeof buffer;
    if (end && *end - offset < want) want = static_cast<std::size_t>(*end - offset);
    const ssize_t n = pread(from, buffer, want, static_cast<off_t>(offset));
    if (n == 0) return !end;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

class FdCloser {
 public:
  explicit FdCloser(int& fd) : m_fd(fd) {}
  ~FdCloser() {
    if (m_fd >= 0) close(m_fd);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  int& m_fd;
};

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  struct stat st {};
  if (fstat(fd, &st) == 0 && st.st_size > 0) content.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      content.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      close(fd);
      return std::nullopt;
    }
  }
  // A read-only descriptor has nothing to flush; its close cannot lose data.
  close(fd);
  return content;
}

bool IsReadableFile(const std::string& path) {
  return IsRegularFile(path) && access(path.c_str(), R_OK) == 0;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  struct stat old {};
  const bool exists = stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return false;
  // A file the user may not write is not replaced behind its back, though
  // the folder would allow the rename.
  if (exists && faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return false;
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
  // mkstemp makes the file 0600; a new file gets what the umask allows.
  mode_t mode = old.st_mode & 07777;
  if (!exists) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  unlink(temp.c_str());
  return false;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

SpliceOutcome SpliceFile(const std::string& path, std::uint64_t offset, std::string_view expected,
                         std::string_view replacement, int waitMs) {
  // The link's target is rewritten; the link stays a link.
  char* resolved = path.empty() ? nullptr : realpath(path.c_str(), nullptr);
  if (!resolved)
    return errno == ENOENT || errno == ENOTDIR ? SpliceOutcome::Changed : SpliceOutcome::Failed;
  const std::string target(resolved);
  std::free(resolved);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  int fd = -1;
  const FdCloser closeFd(fd);
  struct stat st {};
  for (;;) {
    fd = open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? SpliceOutcome::Changed : SpliceOutcome::Failed;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return SpliceOutcome::Failed;
    if (LockBefore(fd, deadline) == Lock::Busy) return SpliceOutcome::Busy;
    if (IsFileAt(fd, target)) break;
    // Another rewrite came first: its file is the one to check.
    close(fd);
    fd = -1;
  }
  // A file without any write permission is read-only to its owner's mind,
  // also when the process could write it anyway.
  if ((st.st_mode & 0222) == 0 || faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    return SpliceOutcome::ReadOnly;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (offset > size || expected.size() > size - offset) return SpliceOutcome::Changed;
  std::string found(expected.size(), '\0');
  std::size_t got = 0;
  while (got < found.size()) {
    const ssize_t n =
        pread(fd, found.data() + got, found.size() - got, static_cast<off_t>(offset + got));
    if (n == 0) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return SpliceOutcome::Failed;
    got += static_cast<std::size_t>(n);
  }
  if (got != found.size() || found != expected) return SpliceOutcome::Changed;

  std::string temp = target + ".XXXXXX";
  int out = mkstemp(temp.data());
  if (out < 0) return SpliceOutcome::Failed;
  bool ok = fchmod(out, st.st_mode & 07777) == 0;
  // Only root may give the file away; anyone else keeps their own.
  if (fchown(out, st.st_uid, st.st_gid) != 0) {
  }
  ok = ok && CopyBytes(fd, 0, offset, out) && WriteAll(out, replacement) &&
       CopyBytes(fd, offset + expected.size(), std::nullopt, out);
  ok = fsync(out) == 0 && ok;
  ok = close(out) == 0 && ok;
  if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return SpliceOutcome::Failed;
  }
  // The rename itself reaches the disk with the folder.
  const std::string::size_type slash = target.rfind('/');
  const int folder =
      open(slash == 0 ? "/" : target.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return SpliceOutcome::Done;
}

ByteFile::~ByteFile() {
  if (IsOpen()) close(Fd(m_handle));
}

ByteFile::Create ByteFile::CreateNew(const std::string& path) {
  if (IsOpen()) return Create::Failed;
  // O_EXCL: a file that another process created meanwhile is left alone
  // instead of being truncated under its records.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? Create::Exists : Create::Failed;
  m_handle = fd;
  m_path = path;
  return Create::Created;
}

bool ByteFile::OpenAppend(const std::string& path) {
  if (IsOpen()) return false;
  const int fd = OpenForAppend(path, O_CREAT);
  if (fd < 0) return false;
  m_handle = fd;
  m_path = path;
  return true;
}

ByteFile::Turn ByteFile::TakeTurn(int waitMs) {
  if (!IsOpen()) return Turn::Gone;
  if (m_turn) return Turn::Taken;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    const int fd = Fd(m_handle);
    const Lock lock = LockBefore(fd, deadline);
    if (lock == Lock::Busy) return Turn::Busy;
    if (lock == Lock::None || IsFileAt(fd, m_path)) break;
    // Replaced since it was opened; no O_CREAT: a ledger that is gone is
    // not made anew without its header.
    const int again = OpenForAppend(m_path, 0);
    if (again < 0) {
      flock(fd, LOCK_UN);
      return Turn::Gone;
    }
    close(fd);
    m_handle = again;
  }
  m_turn = true;
  return Turn::Taken;
}

void ByteFile::EndTurn() {
  if (m_turn && IsOpen()) flock(Fd(m_handle), LOCK_UN);
  m_turn = false;
}

namespace {

std::optional<char> LastByte(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_size == 0) return std::nullopt;
  char byte = 0;
  ssize_t n;
  do {
    n = pread(fd, &byte, 1, st.st_size - 1);
  } while (n < 0 && errno == EINTR);
  return n == 1 ? std::optional<char>(byte) : std::nullopt;
}

}  // namespace

bool ByteFile::Append(std::string_view bytes, bool onNewLine) {
  if (!IsOpen()) return false;
  const bool ownTurn = onNewLine && !m_turn;
  if (ownTurn && TakeTurn() != Turn::Taken) return false;
  const bool written = AppendInTurn(bytes, onNewLine);
  if (ownTurn) EndTurn();
  return written;
}

bool ByteFile::AppendInTurn(std::string_view bytes, bool onNewLine) {
  const int fd = Fd(m_handle);
  std::string withBreak;
  if (onNewLine) {
    const auto last = LastByte(fd);
    if (last && *last != '\n') {
      withBreak = "\r\n";
      withBreak += bytes;
      bytes = withBreak;
    }
  }
  if (bytes.empty()) return true;
  // One write() only: O_APPEND makes "seek to the end and write" one step, so
  // the whole buffer lands in one piece even while another process appends.
  // Retrying the rest of a short write would give up that guarantee.
  ssize_t n;
  do {
    n = write(fd, bytes.data(), bytes.size());
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(bytes.size())) return true;
  if (n > 0) {
    // The offset now sits right after the bytes that did land. Cut them off,
    // unless someone else has appended after them since.
    const off_t end = lseek(fd, 0, SEEK_CUR);
    struct stat st {};
    if (end >= n && fstat(fd, &st) == 0 && st.st_size == end) {
      while (ftruncate(fd, end - n) != 0 && errno == EINTR) {
      }
    }
  }
  return false;
}

std::optional<std::uint64_t> ByteFile::Size() const {
  struct stat st {};
  if (!IsOpen() || fstat(Fd(m_handle), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

bool ByteFile::Close() {
  if (!IsOpen()) return false;
  const int fd = Fd(m_handle);
  m_handle = kNoHandle;
  m_turn = false;  // the lock goes with the descriptor
  // No retry on EINTR: Linux has released the descriptor either way.
  return close(fd) == 0;
}

std::string ByteFile::Head(std::size_t count) const {
  std::string head(count, '\0');
  ssize_t n = -1;
  if (IsOpen()) {
    do {
      n = pread(Fd(m_handle), head.data(), count, 0);
    } while (n < 0 && errno == EINTR);
  }
  head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return head;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (m_handle != kNoHandle) close(Fd(m_handle));
}

ReadOnlyFile::Open ReadOnlyFile::OpenRead(const std::string& path) {
  if (m_handle != kNoHandle) return Open::Failed;
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) {
    return path.empty() || errno == ENOENT || errno == ENOTDIR ? Open::Missing : Open::Failed;
  }
  if (S_ISDIR(st.st_mode)) return Open::Folder;
  if (!S_ISREG(st.st_mode)) return Open::NotAFile;
  // Without waiting, in case a pipe took the file's place since the test;
  // the descriptor's own type decides.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Open::Missing : Open::Failed;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return S_ISDIR(st.st_mode) ? Open::Folder : Open::NotAFile;
  }
  m_handle = fd;
  return Open::Opened;
}

std::optional<FileStamp> ReadOnlyFile::Stamp() const {
  struct stat st {};
  if (m_handle == kNoHandle || fstat(Fd(m_handle), &st) != 0) return std::nullopt;
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(st.st_size);
  stamp.modified = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  stamp.volume = static_cast<std::uint64_t>(st.st_dev);
  stamp.index = static_cast<std::uint64_t>(st.st_ino);
  return stamp;
}

std::optional<std::size_t> ReadOnlyFile::ReadAt(std::uint64_t offset, char* out,
                                                std::size_t count) const {
  if (m_handle == kNoHandle) return std::nullopt;
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n =
        pread(Fd(m_handle), out + done, count - done, static_cast<off_t>(offset + done));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace mametan
