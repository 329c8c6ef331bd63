#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/entry/Classification.h"
#include "tests/support/FileRights_posix.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ScratchDir;

TEST(ClassificationPosix, UnreadableFile) {
  ScratchDir dir;
  const std::string path = dir / "item.txt";
  test::WriteBytes(path, "a\r\nb\r\n");
  chmod(path.c_str(), 0);
  test::WithoutFileRightsOverride asUser;
  if (asUser.CanOpen(path, O_RDONLY)) GTEST_SKIP() << "SKIP: this user can read any file";
  const ClassificationFile file = ReadClassificationFile(path);
  EXPECT_EQ(file.status, ClassificationFile::Status::Unreadable);
  EXPECT_TRUE(file.kinds.empty());
}

// A named pipe is no regular file: it counts as missing and is never opened
// (opening it would wait for a writer forever).
TEST(ClassificationPosix, PipeCountsAsMissing) {
  ScratchDir dir;
  const std::string path = dir / "item.txt";
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(ReadClassificationFile(path).status, ClassificationFile::Status::Missing);
}

}  // namespace
}  // namespace mametan
