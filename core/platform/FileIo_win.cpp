// Byte files over the wide file API, so that any file name works whatever the
// system's ANSI code page. Appends go through handles opened with only
// FILE_APPEND_DATA: the system then puts every write at the file's end, also
// while other processes append to the same file.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "core/platform/FileIo.h"

namespace mametan {
namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
// The ledger's writers let a rewrite rename a new file over the one they
// hold open; their turn then notices and opens the new one.
constexpr DWORD kShareAll = kShareReadWrite | FILE_SHARE_DELETE;
// Append-only writing (no FILE_WRITE_DATA), plus what Size(), the append
// lock and the cut-back need.
constexpr DWORD kAppendAccess =
    FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// The portable interface keeps a handle as an integer.
HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);  // NOLINT(performance-no-int-to-ptr)
}

// UTF-8 to UTF-16; empty for an empty or malformed name, which opens nothing.
std::wstring Wide(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > 0x7FFFFFFF) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
  // A NUL inside the name would silently shorten it.
  if (wide.find(L'\0') != std::wstring::npos) return std::wstring();
  return wide;
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  const std::wstring wide = Wide(path);
  if (wide.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

std::optional<std::uint64_t> SizeOf(HANDLE h) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::optional<char> LastByte(HANDLE h) {
  const auto size = SizeOf(h);
  if (!size || *size == 0) return std::nullopt;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>((*size - 1) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>((*size - 1) >> 32);
  char byte = 0;
  DWORD read = 0;
  if (!ReadFile(h, &byte, 1, &read, &at) || read != 1) return std::nullopt;
  return byte;
}

// Windows puts each write of an append-only handle at the end in one step,
// but Wine finds the end and writes there in two, so two writers can land on
// the same place. Our writers therefore also take turns through a lock on one
// byte far beyond any file's end, which no reader ever touches; a rewrite
// takes the same lock.
OVERLAPPED TurnByte() {
  OVERLAPPED where{};
  where.Offset = 0xFFFFFFFE;
  where.OffsetHigh = 0x3FFFFFFF;
  return where;
}

using Clock = std::chrono::steady_clock;

enum class Lock { Held, Busy, None };

Lock LockBefore(HANDLE h, Clock::time_point deadline) {
  for (;;) {
    OVERLAPPED where = TurnByte();
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
      return Lock::Held;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) return Lock::None;
    if (Clock::now() >= deadline) return Lock::Busy;
    Sleep(5);
  }
}

void Unlock(HANDLE h) {
  OVERLAPPED where = TurnByte();
  UnlockFileEx(h, 0, 1, 0, &where);
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Whether the open file is the one the path names now.
bool IsFileAt(HANDLE h, const std::wstring& path) {
  const HANDLE named = CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  const bool same =
      GetFileInformationByHandle(h, &a) && GetFileInformationByHandle(named, &b) && SameFile(a, b);
  CloseHandle(named);
  return same;
}

bool WriteAll(HANDLE h, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD n = 0;
    if (!WriteFile(h, bytes.data(), want, &n, nullptr) || n == 0) return false;
    bytes.remove_prefix(n);
  }
  return true;
}

// Copies `from`'s bytes from `offset` on (to `end`, or to its end) to `to`.
bool CopyBytes(HANDLE from, std::uint64_t offset, std::optional<std::uint64_t> end, HANDLE to) {
  char buffer[65536];
  while (!end || offset < *end) {
    DWORD want = sizeof buffer;
    if (end && *end - offset < want) want = static_cast<DWORD>(*end - offset);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    if (!ReadFile(from, buffer, want, &n, &at) && GetLastError() != ERROR_HANDLE_EOF) return false;
    if (n == 0) return !end;
    if (!WriteAll(to, std::string_view(buffer, n))) return false;
    offset += n;
  }
  return true;
}

// The path from the root, or empty. ReplaceFileW looks for the replaced
// file's folder in its name (Wine's finds none in a bare "kakeibo.csv").
std::wstring FullPathOf(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return {};
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
  return full;
}

// Renames `file` over `target` also while others hold the target open
// (sharing deletion), as Windows 10's POSIX rename allows; those keep the
// old file. False where the system or its file system lacks it.
bool RenameOver(const std::wstring& file, const std::wstring& target) {
  const std::wstring full = FullPathOf(target);
  if (full.empty()) return false;
  const std::size_t bytes = full.size() * sizeof(wchar_t);
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, full.data(), bytes);
  const HANDLE h = CreateFileW(file.c_str(), DELETE | SYNCHRONIZE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // FileRenameInfoEx, which the headers name only for newer targets.
  constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
  const bool renamed =
      SetFileInformationByHandle(h, kRenameInfoEx, info, static_cast<DWORD>(buffer.size()));
  CloseHandle(h);
  return renamed;
}

bool NotFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Devices (CON, NUL, COM1) and pipes open like files but are none.
bool IsDiskFile(HANDLE h) { return GetFileType(h) == FILE_TYPE_DISK; }

}  // namespace

bool IsRegularFile(const std::string& path) {
  // Opening follows links; no access is asked, so files that are locked or
  // unreadable still count as there. Folders only open with backup semantics.
  const HANDLE h =
      Open(path, 0, kShareReadWrite | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool regular = IsDiskFile(h) && GetFileInformationByHandle(h, &info) &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(h);
  return regular;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const HANDLE h = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> content;
  if (IsDiskFile(h)) {
    content.emplace();
    if (const auto size = SizeOf(h); size && *size < 0x7FFFFFFF) {
      content->reserve(static_cast<std::size_t>(*size));
    }
    char buffer[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
        content.reset();
        break;
      }
      if (n == 0) break;
      content->append(buffer, n);
    }
  }
  CloseHandle(h);
  return content;
}

bool IsReadableFile(const std::string& path) {
  const HANDLE h = Open(path, GENERIC_READ, kShareReadWrite, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) return false;
  const bool disk = IsDiskFile(h);
  CloseHandle(h);
  return disk;
}

bool ReplaceFileContent(const std::string& path, std::string_view bytes) {
  const std::wstring wide = Wide(path);
  if (wide.empty() || bytes.size() > 0xFFFFFFFFu) return false;
  // A file the user may not write is not replaced behind its back: neither
  // one marked read-only nor one this user has no right to write.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    const HANDLE probe = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) return false;
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  }
  const std::wstring temp = wide + L".new";
  const HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  if (ok &&
      MoveFileExW(temp.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileW(temp.c_str());
  return false;
}

bool RemoveFile(const std::string& path) {
  const std::wstring wide = Wide(path);
  return !wide.empty() && DeleteFileW(wide.c_str());
}

SpliceOutcome SpliceFile(const std::string& path, std::uint64_t offset, std::string_view expected,
                         std::string_view replacement, int waitMs) {
  const std::wstring wide = FullPathOf(Wide(path));
  if (wide.empty()) return SpliceOutcome::Failed;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return NotFound(GetLastError()) ? SpliceOutcome::Changed : SpliceOutcome::Failed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SpliceOutcome::Failed;
  if (attributes & FILE_ATTRIBUTE_READONLY) return SpliceOutcome::ReadOnly;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  HANDLE h = INVALID_HANDLE_VALUE;
  for (;;) {
    h = CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (NotFound(error)) return SpliceOutcome::Changed;
      if (error != ERROR_SHARING_VIOLATION) return SpliceOutcome::Failed;
      if (Clock::now() >= deadline) return SpliceOutcome::Busy;
      Sleep(5);
      continue;
    }
    if (!IsDiskFile(h)) {
      CloseHandle(h);
      return SpliceOutcome::Failed;
    }
    const Lock lock = LockBefore(h, deadline);
    if (lock == Lock::Busy) {
      CloseHandle(h);
      return SpliceOutcome::Busy;
    }
    if (IsFileAt(h, wide)) break;
    // Another rewrite came first: its file is the one to check.
    if (lock == Lock::Held) Unlock(h);
    CloseHandle(h);
  }
  // In the turn from here on; the lock goes before the handle.
  const auto finish = [h](SpliceOutcome outcome) {
    Unlock(h);
    CloseHandle(h);
    return outcome;
  };
  const HANDLE probe = CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    return finish(SpliceOutcome::ReadOnly);
  }
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  const auto size = SizeOf(h);
  if (!size) return finish(SpliceOutcome::Failed);
  if (offset > *size || expected.size() > *size - offset) return finish(SpliceOutcome::Changed);
  std::string found(expected.size(), '\0');
  for (std::size_t got = 0; got < found.size();) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((offset + got) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(found.size() - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(h, found.data() + got, want, &n, &at) || n == 0) {
      return finish(SpliceOutcome::Changed);
    }
    got += n;
  }
  if (found != expected) return finish(SpliceOutcome::Changed);

  // The new file carries the old one's attributes (hidden, archive, ...).
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const std::wstring temp = wide + L".edit";
  SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  const HANDLE out = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 (attributes & kKept) | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return finish(SpliceOutcome::Failed);
  bool ok = CopyBytes(h, 0, offset, out) && WriteAll(out, replacement) &&
            CopyBytes(h, offset + expected.size(), std::nullopt, out);
  ok = FlushFileBuffers(out) && ok;
  ok = CloseHandle(out) && ok;
  // Our own handle holds the lock on the old file and the tray program's
  // may be open too, so a plain rename cannot replace it. ReplaceFileW takes
  // the place of a file open elsewhere (sharing deletion) and keeps its
  // attributes and security; failing that, the POSIX rename.
  ok = ok && (ReplaceFileW(wide.c_str(), temp.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                           nullptr) ||
              RenameOver(temp, wide));
  if (!ok) {
    DeleteFileW(temp.c_str());
    return finish(SpliceOutcome::Failed);
  }
  return finish(SpliceOutcome::Done);
}

ByteFile::~ByteFile() {
  if (!IsOpen()) return;
  EndTurn();
  CloseHandle(AsHandle(m_handle));
}

ByteFile::Create ByteFile::CreateNew(const std::string& path) {
  if (IsOpen()) return Create::Failed;
  // CREATE_NEW: a file that another process created meanwhile is left alone
  // instead of being truncated under its records.
  const HANDLE h = Open(path, kAppendAccess, kShareReadWrite, CREATE_NEW);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Create::Exists;
    // A folder of that name is refused with "access denied": still something there.
    const std::wstring wide = Wide(path);
    if (!wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) {
      return Create::Exists;
    }
    return Create::Failed;
  }
  m_handle = reinterpret_cast<std::intptr_t>(h);
  m_path = path;
  return Create::Created;
}

bool ByteFile::OpenAppend(const std::string& path) {
  if (IsOpen()) return false;
  const HANDLE h = Open(path, kAppendAccess, kShareAll, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<std::intptr_t>(h);
  m_path = path;
  return true;
}

ByteFile::Turn ByteFile::TakeTurn(int waitMs) {
  if (!IsOpen()) return Turn::Gone;
  if (m_turn) return Turn::Taken;
  const std::wstring wide = Wide(m_path);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    const HANDLE h = AsHandle(m_handle);
    const Lock lock = LockBefore(h, deadline);
    if (lock == Lock::Busy) return Turn::Busy;
    if (lock == Lock::None || IsFileAt(h, wide)) break;
    // Replaced since it was opened; OPEN_EXISTING: a ledger that is gone is
    // not made anew without its header.
    const HANDLE again = Open(m_path, kAppendAccess, kShareAll, OPEN_EXISTING);
    Unlock(h);
    if (again == INVALID_HANDLE_VALUE) return Turn::Gone;
    CloseHandle(h);
    m_handle = reinterpret_cast<std::intptr_t>(again);
  }
  m_turn = true;
  return Turn::Taken;
}

void ByteFile::EndTurn() {
  if (m_turn && IsOpen()) Unlock(AsHandle(m_handle));
  m_turn = false;
}

bool ByteFile::Append(std::string_view bytes, bool onNewLine) {
  if (!IsOpen()) return false;
  // Every append takes its turn here, for the end that Wine finds apart
  // from the write.
  const bool ownTurn = !m_turn;
  if (ownTurn && TakeTurn() != Turn::Taken) return false;
  const bool written = AppendInTurn(bytes, onNewLine);
  if (ownTurn) EndTurn();
  return written;
}

bool ByteFile::AppendInTurn(std::string_view bytes, bool onNewLine) {
  const HANDLE h = AsHandle(m_handle);
  std::string withBreak;
  if (onNewLine) {
    const auto last = LastByte(h);
    if (last && *last != '\n') {
      withBreak = "\r\n";
      withBreak += bytes;
      bytes = withBreak;
    }
  }
  if (bytes.empty()) return true;
  if (bytes.size() > MAXDWORD) return false;
  const std::optional<std::uint64_t> before = SizeOf(h);
  // One WriteFile only: the append-only handle makes it land in one piece at
  // the end; writing the rest of a short write separately would not.
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (ok && written == bytes.size()) return true;
  // A short write (a full disk): cut the partial line off again, unless the
  // file has grown by more than our bytes, which would mean another writer
  // appended meanwhile and the cut would take its data. The append-only
  // handle may not change the file's length, so a writing one is opened.
  if (written > 0 && before && SizeOf(h) == *before + written) {
    const HANDLE writer = ReOpenFile(h, GENERIC_WRITE, kShareReadWrite, 0);
    if (writer != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER end{};
      end.QuadPart = static_cast<LONGLONG>(*before);
      if (SetFilePointerEx(writer, end, nullptr, FILE_BEGIN)) SetEndOfFile(writer);
      CloseHandle(writer);
    }
  }
  return false;
}

std::optional<std::uint64_t> ByteFile::Size() const {
  if (!IsOpen()) return std::nullopt;
  return SizeOf(AsHandle(m_handle));
}

bool ByteFile::Close() {
  if (!IsOpen()) return false;
  EndTurn();
  const HANDLE h = AsHandle(m_handle);
  m_handle = kNoHandle;
  return CloseHandle(h) != 0;
}

std::string ByteFile::Head(std::size_t count) const {
  std::string head(count, '\0');
  OVERLAPPED at{};
  DWORD read = 0;
  if (!IsOpen() || count > MAXDWORD ||
      !::ReadFile(AsHandle(m_handle), head.data(), static_cast<DWORD>(count), &read, &at)) {
    read = 0;
  }
  head.resize(read);
  return head;
}

ReadOnlyFile::~ReadOnlyFile() {
  if (m_handle != kNoHandle) CloseHandle(AsHandle(m_handle));
}

ReadOnlyFile::Open ReadOnlyFile::OpenRead(const std::string& path) {
  if (m_handle != kNoHandle) return Open::Failed;
  const std::wstring wide = Wide(path);
  if (wide.empty()) return Open::Missing;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Open::Missing
                                                                          : Open::Failed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Open::Folder;
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Open::Missing
                                                                          : Open::Failed;
  }
  if (!IsDiskFile(h)) {
    CloseHandle(h);
    return Open::NotAFile;
  }
  m_handle = reinterpret_cast<std::intptr_t>(h);
  return Open::Opened;
}

std::optional<FileStamp> ReadOnlyFile::Stamp() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (m_handle == kNoHandle || !GetFileInformationByHandle(AsHandle(m_handle), &info)) {
    return std::nullopt;
  }
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  // FILETIME counts 100 ns from 1601-01-01.
  constexpr std::int64_t k1601To1970 = 11644473600LL * 10000000;
  FileStamp stamp;
  stamp.size = join(info.nFileSizeHigh, info.nFileSizeLow);
  stamp.modified = (static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime,
                                                   info.ftLastWriteTime.dwLowDateTime)) -
                    k1601To1970) *
                   100;
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = join(info.nFileIndexHigh, info.nFileIndexLow);
  return stamp;
}

std::optional<std::size_t> ReadOnlyFile::ReadAt(std::uint64_t offset, char* out,
                                                std::size_t count) const {
  if (m_handle == kNoHandle) return std::nullopt;
  std::size_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((offset + done) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
    DWORD n = 0;
    if (!::ReadFile(AsHandle(m_handle), out + done, want, &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return std::nullopt;
    }
    if (n == 0) break;
    done += n;
  }
  return done;
}

}  // namespace mametan
