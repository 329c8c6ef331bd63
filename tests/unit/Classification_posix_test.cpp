#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/entry/Classification.h"
#include "core/platform/FileIo.h"
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

// The classification editor's save does not replace a kind file the user
// may not write (mode 0444), though the folder would allow the rename.
TEST(ClassificationPosix, ReadOnlyKindFileIsNotReplaced) {
  ScratchDir dir;
  const std::string path = dir / "item.txt";
  test::WriteBytes(path, "a\r\n");
  chmod(path.c_str(), 0444);
  test::WithoutFileRightsOverride asUser;
  if (asUser.CanOpen(path, O_WRONLY)) GTEST_SKIP() << "SKIP: this user can write read-only files";
  EXPECT_FALSE(ReplaceFileContent(path, "b\r\n"));
  EXPECT_EQ(test::ReadBytes(path), "a\r\n");
  struct stat st {};
  stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file left";
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
