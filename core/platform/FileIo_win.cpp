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
// The ledger's writers let a POSIX rename put a new file in the place of
// the one they hold open.
constexpr DWORD kShareAll = kShareReadWrite | FILE_SHARE_DELETE;
// Append-only writing (no FILE_WRITE_DATA), plus what Size() and the
// cut-back need.
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

using Clock = std::chrono::steady_clock;

// The name resolved against the current folder and drive; empty when it
// cannot be.
std::wstring FullName(const std::wstring& name) {
  if (name.empty()) return name;
  const DWORD length = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::wstring();
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(name.c_str(), length, full.data(), nullptr));
  return full;
}

// The writers' turn at a file is a mutex named after its whole name, taken
// by every writer for the moment it writes: the tray program's appends and
// the viewer's rewrites, and through it two appenders (Wine finds the end of
// an append-only handle apart from its write, so two appends could land on
// the same place). A lock on the file itself would not do: a file open
// anywhere cannot be renamed over (nor under Wine at all), so a rewrite
// must let go of the file while it keeps its turn.
HANDLE TurnMutex(const std::wstring& path) {
  std::wstring full = FullName(path);
  if (full.empty()) return nullptr;
  CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const wchar_t c : full) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
  }
  std::wstring name = L"Local\\MametanLedger-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 15];
  return CreateMutexW(nullptr, FALSE, name.c_str());
}

enum class Lock { Held, Busy, None };

Lock LockBefore(HANDLE mutex, Clock::time_point deadline) {
  if (!mutex) return Lock::None;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  switch (WaitForSingleObject(mutex, static_cast<DWORD>(std::max<long long>(left, 0)))) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended without writing
      return Lock::Held;
    case WAIT_TIMEOUT:
      return Lock::Busy;
    default:
      return Lock::None;
  }
}

// Opens an existing file, waiting out a moment in which a reader that
// shares no writing holds it; INVALID_HANDLE_VALUE with the last error.
HANDLE OpenShared(const std::wstring& path, DWORD access, Clock::time_point deadline) {
  for (;;) {
    const HANDLE h = CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        Clock::now() >= deadline) {
      return h;
    }
    Sleep(5);
  }
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

// Renames `file` over the whole name `full` also while others hold it open
// (sharing deletion), as the POSIX rename of Windows 10's file systems
// allows. False where the system or the file system lacks it.
bool RenameOver(const std::wstring& file, const std::wstring& full) {
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

// Puts `temp` in the place of `full`: the POSIX rename, else a plain one,
// which has to wait for every handle of the old file to close.
bool MoveIntoPlace(const std::wstring& temp, const std::wstring& full, Clock::time_point deadline) {
  if (RenameOver(temp, full)) return true;
  for (;;) {
    if (MoveFileExW(temp.c_str(), full.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD error = GetLastError();
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
        Clock::now() >= deadline) {
      return false;
    }
    Sleep(5);
  }
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
  const std::wstring wide = FullName(Wide(path));
  if (wide.empty()) return SpliceOutcome::Failed;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return NotFound(GetLastError()) ? SpliceOutcome::Changed : SpliceOutcome::Failed;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SpliceOutcome::Failed;
  if (attributes & FILE_ATTRIBUTE_READONLY) return SpliceOutcome::ReadOnly;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  const HANDLE mutex = TurnMutex(wide);
  const Lock lock = LockBefore(mutex, deadline);
  const auto finish = [mutex, lock](SpliceOutcome outcome) {
    if (lock == Lock::Held) ReleaseMutex(mutex);
    if (mutex) CloseHandle(mutex);
    return outcome;
  };
  if (lock == Lock::Busy) return finish(SpliceOutcome::Busy);

  const HANDLE probe = OpenShared(wide, GENERIC_WRITE, deadline);
  if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    return finish(SpliceOutcome::ReadOnly);
  }
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  const HANDLE h = OpenShared(wide, GENERIC_READ, deadline);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return finish(NotFound(error)                    ? SpliceOutcome::Changed
                  : error == ERROR_SHARING_VIOLATION ? SpliceOutcome::Busy
                                                     : SpliceOutcome::Failed);
  }
  const auto size = IsDiskFile(h) ? SizeOf(h) : std::nullopt;
  std::string found(expected.size(), '\0');
  bool same = size && offset <= *size && expected.size() <= *size - offset;
  for (std::size_t got = 0; same && got < found.size();) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>((offset + got) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(found.size() - got, 1u << 30));
    DWORD n = 0;
    same = ReadFile(h, found.data() + got, want, &n, &at) && n > 0;
    got += n;
  }
  if (!size || !same || found != expected) {
    CloseHandle(h);
    return finish(size ? SpliceOutcome::Changed : SpliceOutcome::Failed);
  }

  // The new file carries the old one's attributes (hidden, archive, ...).
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const std::wstring temp = wide + L".edit";
  SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  const HANDLE out = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 (attributes & kKept) | FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE && CopyBytes(h, 0, offset, out) &&
            WriteAll(out, replacement) && CopyBytes(h, offset + expected.size(), std::nullopt, out);
  if (out != INVALID_HANDLE_VALUE) {
    ok = FlushFileBuffers(out) && ok;
    ok = CloseHandle(out) && ok;
  }
  // In our turn no writer has the old file open; our own handle goes too.
  CloseHandle(h);
  if (!ok || !MoveIntoPlace(temp, wide, deadline)) {
    DeleteFileW(temp.c_str());
    return finish(SpliceOutcome::Failed);
  }
  return finish(SpliceOutcome::Done);
}

ByteFile::~ByteFile() {
  // The file closes before the turn ends: a rewrite waiting for the turn
  // then finds no handle of ours on the file it replaces.
  if (IsOpen()) CloseHandle(AsHandle(m_handle));
  EndTurn();
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
  // Let go of the file first: a rewrite in its turn waits for every handle
  // of the old file to close. The turn then opens what is at the path now,
  // which is never a file a rewrite has replaced.
  CloseHandle(AsHandle(m_handle));
  m_handle = kNoHandle;
  const HANDLE mutex = TurnMutex(wide);
  const Lock lock = LockBefore(mutex, deadline);
  if (lock != Lock::Held && mutex) {
    CloseHandle(mutex);
    if (lock == Lock::Busy) return Turn::Busy;
  }
  // OPEN_EXISTING: a ledger that is gone is not made anew without its header.
  const HANDLE h = OpenShared(wide, kAppendAccess, deadline);
  if (h == INVALID_HANDLE_VALUE) {
    if (lock == Lock::Held) {
      ReleaseMutex(mutex);
      CloseHandle(mutex);
    }
    return Turn::Gone;
  }
  m_handle = reinterpret_cast<std::intptr_t>(h);
  m_lock = lock == Lock::Held ? reinterpret_cast<std::intptr_t>(mutex) : kNoHandle;
  m_turn = true;
  return Turn::Taken;
}

void ByteFile::EndTurn() {
  if (m_lock != kNoHandle) {
    ReleaseMutex(AsHandle(m_lock));
    CloseHandle(AsHandle(m_lock));
    m_lock = kNoHandle;
  }
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
  const HANDLE h = AsHandle(m_handle);
  m_handle = kNoHandle;
  const bool closed = CloseHandle(h) != 0;
  EndTurn();
  return closed;
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
