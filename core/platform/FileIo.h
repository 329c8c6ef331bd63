#pragma once
// Byte files for the ledger and the classification file. Paths are UTF-8 and
// used as given: a relative path resolves against the directory the program
// was started in (the program never changes it). Every result is reported to
// the caller; nothing here shows a message.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mametan {

// True when `path` names an existing regular file (links followed). An empty
// path, a directory, a device or nothing at all gives false.
bool IsRegularFile(const std::string& path);

// The whole content of the file, read from start to end. Other programs may
// read the file meanwhile but not write it (where the system has share modes).
// Nothing when the file cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// True when `path` names a regular file this process may read.
bool IsReadableFile(const std::string& path);

// Replaces the file's whole content with `bytes`: written to a new file
// beside it, flushed to the disk, then renamed over it. A failure at any step
// leaves the old file (or no file) exactly as it was. A replaced file keeps
// its permissions. A file the user may not write (read-only, or no write
// permission) is left alone. False when the content did not reach its place.
bool ReplaceFileContent(const std::string& path, std::string_view bytes);

// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& path);

// How long a writer of the ledger waits for another program's turn before
// giving up, in milliseconds.
inline constexpr int kLedgerTurnWaitMs = 2000;

enum class SpliceOutcome {
  Done,      // the new content is in place
  Changed,   // the file no longer holds `expected` there (or is gone): untouched
  ReadOnly,  // the user may not write the file: untouched
  Busy,      // another program kept its turn at the file all the wait: untouched
  Failed,    // reading or writing failed: the file is as it was
};

// Replaces the `expected` bytes at `offset` of the file at `path` with
// `replacement`, in the writers' turn at the file (see ByteFile::TakeTurn),
// so that no append lands in between. Every other byte stays. The new
// content goes to a file beside the old one, is flushed and renamed over it:
// a failure at any step leaves the old file whole. The file keeps its
// permissions (attributes on Windows); a symlink's target is replaced and
// the link stays.
SpliceOutcome SpliceFile(const std::string& path, std::uint64_t offset, std::string_view expected,
                         std::string_view replacement, int waitMs = kLedgerTurnWaitMs);

// A byte file open for writing. Opens let other programs read and write the
// same file meanwhile. The destructor closes an open file without telling
// anyone the result; call Close() to learn it.
class ByteFile {
 public:
  enum class Create { Created, Exists, Failed };
  enum class Turn { Taken, Busy, Gone };

  ByteFile() = default;
  ~ByteFile();
  ByteFile(const ByteFile&) = delete;
  ByteFile& operator=(const ByteFile&) = delete;

  // Creates a new, empty file. Exists when anything (a file, a directory, a
  // dangling link) is already there; nothing existing is ever truncated.
  Create CreateNew(const std::string& path);

  // Opens for appending, creating the file when it is absent. Every Append
  // lands at the file's end at that moment, also when other processes append.
  bool OpenAppend(const std::string& path);

  // Writes all of `bytes` at the end of the file as one operation, so that
  // appends of two processes never interleave. When fewer bytes reach the file
  // (a full disk), the file is cut back to its size before the call and false
  // is returned: a failed append leaves no partial data behind.
  // With `onNewLine`, CR LF goes first when the file's last byte is not LF
  // (an unfinished last line); our writers take turns around that test and
  // the write, so none sees another's line half written (TakeTurn, unless
  // the turn is held already; false when it cannot be had). A file that
  // cannot be read through this handle is taken to end its line.
  bool Append(std::string_view bytes, bool onNewLine = false);

  // Takes this process's turn at writing the file opened with OpenAppend:
  // an exclusive lock that every writer of the ledger takes, waited for at
  // most `waitMs`. In its turn the handle is made to name the file at the
  // path now: a file that a rewrite replaced is left for the new one, opened
  // afresh, so that nothing goes into a file nobody reads any more.
  // Busy: another program held its turn all the time; Gone: the path no
  // longer opens (on Windows, where every turn opens the file afresh, the
  // file is then closed). On a file system without locks the turn is taken
  // without one. The turn lasts until EndTurn or Close.
  Turn TakeTurn(int waitMs = kLedgerTurnWaitMs);
  void EndTurn();

  // The file's current size in bytes; nothing when it cannot be read.
  std::optional<std::uint64_t> Size() const;

  // The file's first bytes, at most `count`; empty when it is shorter or
  // cannot be read through this handle.
  std::string Head(std::size_t count) const;

  // Closes the file. False when the system reports an error, which may mean
  // that written data did not reach the disk.
  bool Close();

  bool IsOpen() const { return m_handle != kNoHandle; }

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  bool AppendInTurn(std::string_view bytes, bool onNewLine);

  std::intptr_t m_handle = kNoHandle;
  std::string m_path;  // as opened, to open it again in a turn
  bool m_turn = false;
  std::intptr_t m_lock = kNoHandle;  // Windows: the turn's mutex
};

// What a file is like at a moment: two stamps differ when the file was
// written, replaced or moved meanwhile.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds since 1970-01-01 UTC
  std::uint64_t volume = 0;   // the file's identity: its device and its
  std::uint64_t index = 0;    // number there (inode, file index)

  bool operator==(const FileStamp&) const = default;
};

// A file open for reading at any offset, for files that other programs
// append to meanwhile (they may read, write, rename and delete it). Opening
// never waits: a pipe or a device at the path is reported, not read.
class ReadOnlyFile {
 public:
  enum class Open { Opened, Missing, Folder, NotAFile, Failed };

  ReadOnlyFile() = default;
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  Open OpenRead(const std::string& path);
  std::optional<FileStamp> Stamp() const;
  // Reads up to `count` bytes at `offset` into `out`, fewer only at the
  // file's end; nothing on a read error.
  std::optional<std::size_t> ReadAt(std::uint64_t offset, char* out, std::size_t count) const;

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t m_handle = kNoHandle;
};

}  // namespace mametan
