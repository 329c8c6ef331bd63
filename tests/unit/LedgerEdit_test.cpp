// Single lines of the ledger rewritten in place: only their bytes change, the
// file's others stay byte for byte, and a file that no longer holds what was
// shown is never written. Also the writers' turn the tray program shares.
#include "core/viewer/LedgerEdit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <optional>
#include <thread>

#include "core/platform/FileIo.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

// 食費 in code page 932, and a kind in UTF-8 (日用品).
const std::string kFood = "\x90\x48\x94\xEF";
const std::string kUtf8Kind = "\xE6\x97\xA5\xE7\x94\xA8\xE5\x93\x81";
// 2001/11/30,食費,パン,200 with "パン" in code page 932.
const LedgerRecord kBread{"2001/11/30", kFood, "\x83\x70\x83\x93", 200};

TEST(LedgerEdit, ReplacesOnlyTheLineShown) {
  struct Case {
    const char* what;
    std::string file;
    std::string oldLine;                 // found in `file`
    std::optional<LedgerRecord> record;  // nothing: deleted
    std::string expected;
  };
  const std::string quoted = "\"2001/11/01\",\"k\",\"a, b\",\"1,050\"\r\n";
  const Case cases[] = {
      {"CR LF file, a spreadsheet's quoted line before it kept", quoted + "2001/11/29,k,g,1\r\n",
       "2001/11/29,k,g,1\r\n", kBread,
       quoted + "2001/11/30," + kFood + ",\x83\x70\x83\x93,200\r\n"},
      {"LF line keeps its LF, the CR LF after it stays", "a\n2001/11/29,k,g,1\nz\r\n",
       "2001/11/29,k,g,1\n", LedgerRecord{"2001/11/29", "k", "x,y", 2},
       "a\n2001/11/29,k,\"x,y\",2\nz\r\n"},
      {"CR alone", "h\r2001/11/29,k,g,1\rz", "2001/11/29,k,g,1\r",
       LedgerRecord{"2001/11/29", "k", "g", 3}, "h\r2001/11/29,k,g,3\rz"},
      {"a last line without a line end gets none", "h\r\n2001/11/29,k,g,1", "2001/11/29,k,g,1",
       LedgerRecord{"2001/11/29", "k", "g", -4}, "h\r\n2001/11/29,k,g,-4"},
      {"deleted with its line end", "h\r\n2001/11/29,k,g,1\r\n" + quoted, "2001/11/29,k,g,1\r\n",
       std::nullopt, "h\r\n" + quoted},
      {"UTF-8 marked file", "\xEF\xBB\xBFh\r\n2001/11/29,k,g,1\r\n", "2001/11/29,k,g,1\r\n",
       LedgerRecord{"2001/11/29", kUtf8Kind, "g", 5},
       "\xEF\xBB\xBFh\r\n2001/11/29," + kUtf8Kind + ",g,5\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string path = dir / "kakeibo.csv";
    WriteBytes(path, c.file);
    const std::string newLine = c.record ? CorrectedLine(*c.record, c.oldLine) : std::string();
    const EditResult result = ReplaceLedgerLine(path, c.file.find(c.oldLine), c.oldLine, newLine);
    EXPECT_EQ(result.outcome, EditOutcome::Done) << result.message;
    EXPECT_EQ(ReadBytes(path), c.expected);
  }
}

TEST(LedgerEdit, ChangedFileIsNotWritten) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  const std::string file = "h\r\n2001/11/29,k,g,1\r\n";
  WriteBytes(path, file);
  struct Case {
    const char* what;
    std::uint64_t offset;
    std::string expected;
  } const cases[] = {
      {"other bytes there", 3, "2001/11/29,k,g,2\r\n"},
      {"moved by a line", 0, "2001/11/29,k,g,1\r\n"},
      {"the line cut short", 3, "2001/11/29,k,g,1\r\nmore"},
      {"beyond the end", 99, "x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const EditResult result = ReplaceLedgerLine(path, c.offset, c.expected, "new\r\n");
    EXPECT_EQ(result.outcome, EditOutcome::Changed);
    EXPECT_EQ(result.message, kLedgerChangedMessage);
    EXPECT_EQ(ReadBytes(path), file);
  }
  const EditResult gone = ReplaceLedgerLine(dir / "none.csv", 0, "a", "b");
  EXPECT_EQ(gone.outcome, EditOutcome::Changed);
}

TEST(LedgerEdit, ReadOnlyFileIsRefused) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  WriteBytes(path, "a\r\n");
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const EditResult result = ReplaceLedgerLine(path, 0, "a\r\n", "b\r\n");
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(result.outcome, EditOutcome::Failed);
  EXPECT_EQ(result.message, "家計簿ファイルは読み取り専用です。修正できません。");
  EXPECT_EQ(ReadBytes(path), "a\r\n");
}

TEST(LedgerEdit, UndoAndRedoRestoreTheBytes) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  const std::string original = "h\r\n2001/11/29,k,g,1\n\"2001/11/30\",\"k\",\"g\",\"1,050\"\r\nt";
  WriteBytes(path, original);
  LedgerEditHistory history(path);
  const std::string first = "2001/11/29,k,g,1\n";
  ASSERT_EQ(history.Apply({3, first, "2001/11/29,k,longer goods,100\n"}).outcome,
            EditOutcome::Done);
  // The deletion's offset is where the line lies after the correction.
  const std::string afterFirst = ReadBytes(path);
  const std::string second = "\"2001/11/30\",\"k\",\"g\",\"1,050\"\r\n";
  ASSERT_EQ(
      DeletePurchase(history, {3, afterFirst.find(second), second, LedgerEncoding::Cp932}).outcome,
      EditOutcome::Done);
  const std::string edited = "h\r\n2001/11/29,k,longer goods,100\nt";
  EXPECT_EQ(ReadBytes(path), edited);

  EXPECT_EQ(history.Undo().outcome, EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), afterFirst);
  EXPECT_EQ(history.Undo().outcome, EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.Redo().outcome, EditOutcome::Done);
  EXPECT_EQ(history.Redo().outcome, EditOutcome::Done);
  EXPECT_EQ(ReadBytes(path), edited);
  EXPECT_FALSE(history.CanRedo());

  // Another program rewrote the file meanwhile, a line before the deleted
  // one now longer: the undo writes nothing (never the line into the middle
  // of another) and stays to be tried.
  const std::string other = "h\r\n2001/11/29,k,other goods, longer than before,1\nt";
  WriteBytes(path, other);
  EXPECT_EQ(history.Undo().outcome, EditOutcome::Changed);
  EXPECT_EQ(ReadBytes(path), other);
  EXPECT_TRUE(history.CanUndo());

  // A line that is not a purchase is never deleted.
  EXPECT_EQ(DeletePurchase(history, {1, 0, "h\r\n", LedgerEncoding::Cp932}).outcome,
            EditOutcome::Failed);
  EXPECT_EQ(ReadBytes(path), other);
}

// The tray program's append, opened before a rewrite replaced the file, goes
// into the new file; a turn another program keeps makes it fail as a file
// that does not open, and keeps a rewrite off too.
TEST(LedgerTurn, AppendFollowsTheRewriteAndWaitsForNoOneTooLong) {
  ScratchDir dir;
  const std::string path = dir / "kakeibo.csv";
  WriteBytes(path, "h\r\na\r\n");
  ByteFile tray;
  ASSERT_TRUE(tray.OpenAppend(path));
  std::filesystem::rename(path, path + ".old");
  WriteBytes(path, "h\r\nb\r\n");
  ASSERT_TRUE(tray.Append("c\r\n", true));
  ASSERT_TRUE(tray.Close());
  EXPECT_EQ(ReadBytes(path), "h\r\nb\r\nc\r\n");
  EXPECT_EQ(ReadBytes(path + ".old"), "h\r\na\r\n");

  // Another program's turn: held by another thread, as a turn belongs to
  // the thread that took it where the system counts turns per thread.
  std::promise<bool> taken;
  std::promise<void> release;
  std::thread other([&] {
    ByteFile file;
    taken.set_value(file.OpenAppend(path) && file.TakeTurn() == ByteFile::Turn::Taken);
    release.get_future().wait();
  });
  EXPECT_TRUE(taken.get_future().get());
  EXPECT_EQ(WriteLedgerRecord({"2001/11/29", "k", "g", 1}, path), LedgerOutcome::CannotOpen);
  EXPECT_EQ(SpliceFile(path, 3, "b\r\n", "x\r\n", 50), SpliceOutcome::Busy);
  EXPECT_EQ(ReadBytes(path), "h\r\nb\r\nc\r\n");
  release.set_value();
  other.join();
  EXPECT_EQ(WriteLedgerRecord({"2001/11/29", "k", "g", 1}, path), LedgerOutcome::Written);
  EXPECT_EQ(ReadBytes(path), "h\r\nb\r\nc\r\n2001/11/29,k,g,1\r\n");
}

}  // namespace
}  // namespace mametan
