// A rewritten ledger keeps what the file system knows of it: its mode, and a
// symlink stays a symlink to the rewritten target.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/viewer/LedgerEdit.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

TEST(LedgerEditPosix, KeepsModeAndLink) {
  test::ScratchDir dir;
  std::filesystem::create_directory(dir / "real");
  const std::string target = dir / "real/kakeibo.csv";
  const std::string link = dir / "kakeibo.csv";
  test::WriteBytes(target, "h\r\na\r\nb\r\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real/kakeibo.csv", link.c_str()), 0);

  ASSERT_EQ(ReplaceLedgerLine(link, 3, "a\r\n", "x\r\n").outcome, EditOutcome::Done);
  struct stat st {};
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(test::ReadBytes(target), "h\r\nx\r\nb\r\n");
  // Nothing left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);
}

}  // namespace
}  // namespace mametan
