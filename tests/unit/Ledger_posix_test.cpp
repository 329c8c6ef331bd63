// Ledger faults that need the operating system's help: a read-only file, a
// file system that runs full, and two processes appending at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "core/entry/Ledger.h"
#include "tests/support/FileRights_posix.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

const LedgerRecord kRecord{"2001/11/29", "k", "g", 105};

TEST(LedgerPosix, ReadOnlyFileCannotBeOpened) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  WriteBytes(path, "old\r\n");
  chmod(path.c_str(), 0444);
  test::WithoutFileRightsOverride asUser;
  if (asUser.CanOpen(path, O_WRONLY)) GTEST_SKIP() << "SKIP: this user can write read-only files";
  EXPECT_EQ(WriteLedgerRecord(kRecord, path), LedgerOutcome::CannotOpen);
  EXPECT_EQ(ReadBytes(path), "old\r\n");
}

TEST(LedgerPosix, FolderWithoutWriteRightsCannotCreate) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "locked");
  chmod((dir / "locked").c_str(), 0555);
  test::WithoutFileRightsOverride asUser;
  const std::string path = dir / "locked/kakeibo.csv";
  if (asUser.CanOpen(path, O_WRONLY | O_CREAT))
    GTEST_SKIP() << "SKIP: this user can write anywhere";
  EXPECT_EQ(WriteLedgerRecord(kRecord, path), LedgerOutcome::CannotCreate);
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A small tmpfs mounted in the private mount namespace of a child process,
// which lives as long as this object. This process reaches it through
// /proc/<child>/root, which resolves paths in the child's namespace.
class PrivateTmpfs {
 public:
  explicit PrivateTmpfs(const std::string& mountPoint) : m_mountPoint(mountPoint) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) {
      m_why = "no pipe";
      return;
    }
    m_child = fork();
    if (m_child == 0) {
      close(ready[0]);
      close(release[1]);
      int result[2] = {0, 0};  // step that failed, errno
      if (unshare(CLONE_NEWNS) != 0) {
        result[0] = 1;
      } else if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        result[0] = 2;
      } else if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0) {
        result[0] = 3;
      }
      result[1] = errno;
      (void)!write(ready[1], result, sizeof result);
      char c;
      while (read(release[0], &c, 1) > 0) {
      }
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    m_release = release[1];
    int result[2] = {-1, 0};
    if (m_child < 0 || read(ready[0], result, sizeof result) != sizeof result) {
      m_why = "the helper process did not start";
    } else if (result[0] != 0) {
      static const char* const steps[] = {"", "unshare(CLONE_NEWNS)", "making mounts private",
                                          "mount -t tmpfs"};
      m_why = std::string(steps[result[0]]) + " failed: " + std::strerror(result[1]) +
              " (needs root with CAP_SYS_ADMIN)";
    }
    close(ready[0]);
  }
  ~PrivateTmpfs() {
    if (m_release >= 0) close(m_release);
    if (m_child > 0) waitpid(m_child, nullptr, 0);
  }

  bool ok() const { return m_why.empty(); }
  const std::string& why() const { return m_why; }
  std::string operator/(const std::string& name) const {
    return "/proc/" + std::to_string(m_child) + "/root" + m_mountPoint + "/" + name;
  }

 private:
  std::string m_mountPoint;
  std::string m_why;
  pid_t m_child = -1;
  int m_release = -1;
};

// Fills the file system that holds `path` to the last byte.
void FillUp(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const std::string chunk(4096, 'x');
  while (write(fd, chunk.data(), chunk.size()) > 0) {
  }
  while (write(fd, "x", 1) > 0) {
  }
  close(fd);
}

TEST(LedgerPosix, FullFileSystemLeavesLedgerAsItWas) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.path() / "mnt");
  const PrivateTmpfs fs((dir.path() / "mnt").string());
  if (!fs.ok()) GTEST_SKIP() << "SKIP: no private tmpfs for the full-disk test: " << fs.why();

  struct Case {
    const char* what;
    bool exists;
    std::size_t ledgerSize;
    std::size_t goodsSize;
  };
  const Case cases[] = {
      // Creation succeeds, the header does not fit: the new file is taken back.
      {"absent ledger", false, 0, 10},
      // The line starts in the last page's free room and runs out: a short write.
      {"short write", true, 100, 6000},
      // Not one byte fits.
      {"no room at all", true, 4096, 10},
      {"empty ledger", true, 0, 10},
      // The break put before the record goes with it: no stray CR LF stays.
      {"unfinished last line", true, 4095, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string ledger = fs / "kakeibo.csv";
    const std::string filler = fs / "filler";
    std::string before(c.ledgerSize, 'a');
    if (c.ledgerSize >= 2 && c.ledgerSize % 2 == 0) before.replace(before.size() - 2, 2, "\r\n");
    if (c.exists) WriteBytes(ledger, before);
    FillUp(filler);

    const LedgerRecord record{"2001/11/29", "k", std::string(c.goodsSize, 'g'), 1};
    EXPECT_EQ(WriteLedgerRecord(record, ledger), LedgerOutcome::CannotWrite);
    EXPECT_EQ(LedgerFailureMessage(LedgerOutcome::CannotWrite), "家計簿ファイルに書き込めません。");
    EXPECT_EQ(std::filesystem::exists(ledger), c.exists);
    if (c.exists) {
      const std::string after = ReadBytes(ledger);
      EXPECT_EQ(after.size(), before.size());
      EXPECT_TRUE(after == before) << "byte-identical to before";
    }

    // With room again, the same record goes in whole, after exactly the old content.
    std::filesystem::remove(filler);
    EXPECT_EQ(WriteLedgerRecord(record, ledger), LedgerOutcome::Written);
    const std::string gap = c.exists && !before.empty() && before.back() != '\n' ? "\r\n" : "";
    EXPECT_TRUE(ReadBytes(ledger) ==
                (c.exists ? before : std::string(kLedgerHeader)) + gap + FormatLedgerLine(record));
    std::filesystem::remove(ledger);
  }
}

// Lines of different lengths, some longer than a pipe or page buffer, so that
// any split of a write would show.
LedgerRecord RecordOf(int writer, int n) {
  const std::size_t length = static_cast<std::size_t>((n * 37) % 5000);
  return {"2001/11/29", "writer" + std::to_string(writer),
          std::to_string(n) + ":" + std::string(length, static_cast<char>('a' + writer)), n};
}

TEST(LedgerPosix, TwoProcessesAppendingNeverMixLines) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  constexpr int kWriters = 2;
  constexpr int kRecords = 1000;

  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(start[1]);
      char c;
      (void)!read(start[0], &c, 1);  // returns when the parent lets both go
      for (int n = 0; n < kRecords; ++n) {
        if (WriteLedgerRecord(RecordOf(w, n), path) != LedgerOutcome::Written) _exit(1);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
  }

  // Every line is one whole record, each writer's records in its own order.
  const std::string content = ReadBytes(path);
  std::map<std::string, std::pair<int, int>> expected;  // line -> writer, number
  for (int w = 0; w < kWriters; ++w) {
    for (int n = 0; n < kRecords; ++n) expected[FormatLedgerLine(RecordOf(w, n))] = {w, n};
  }
  int next[kWriters] = {};
  int lines = 0;
  bool header = false;
  for (std::size_t pos = 0; pos < content.size();) {
    std::size_t end = content.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "a line without its end at byte " << pos;
    end += 2;
    const std::string line = content.substr(pos, end - pos);
    pos = end;
    if (line == kLedgerHeader) {
      EXPECT_FALSE(header) << "one header only";
      header = true;
      continue;
    }
    const auto found = expected.find(line);
    ASSERT_NE(found, expected.end()) << "mixed line: " << line.substr(0, 60);
    const auto [w, n] = found->second;
    EXPECT_EQ(n, next[w]) << "writer " << w << " out of order";
    next[w] = n + 1;
    ++lines;
  }
  EXPECT_TRUE(header);
  EXPECT_EQ(lines, kWriters * kRecords);
}

}  // namespace
}  // namespace mametan
