#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <thread>

#include "core/platform/FileIo.h"
#include "tests/support/ScratchFiles.h"

namespace mametan {
namespace {

using test::ReadBytes;
using test::ScratchDir;
using test::WriteBytes;

// The scratch folder as UTF-8, the form the program's paths have.
std::string Utf8Path(const ScratchDir& dir, const std::string& name) {
  const std::u8string base = dir.path().u8string();
  return std::string(base.begin(), base.end()) + "\\" + name;
}

std::wstring WidePath(const ScratchDir& dir, const std::wstring& name) {
  return dir.path().wstring() + L"\\" + name;
}

TEST(FileIoWin, NamesOutsideTheAnsiCodePageWork) {
  ScratchDir dir;
  // Neither the emoji nor the umlaut exists in code page 932.
  const std::string path = Utf8Path(dir, "家計簿😀ü.csv");
  const std::wstring wide = WidePath(dir, L"家計簿\U0001F600ü.csv");
  ByteFile file;
  ASSERT_EQ(file.CreateNew(path), ByteFile::Create::Created);
  EXPECT_TRUE(file.Append("header\r\n"));
  EXPECT_TRUE(file.Close());
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES) << "the name as typed";
  EXPECT_TRUE(IsRegularFile(path));
  ASSERT_TRUE(file.OpenAppend(path));
  EXPECT_TRUE(file.Append("line\r\n"));
  EXPECT_EQ(file.Size(), std::optional<std::uint64_t>(14));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadWholeFile(path), std::optional<std::string>("header\r\nline\r\n"));
  EXPECT_TRUE(RemoveFile(path));
  EXPECT_EQ(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(RemoveFile(path));
}

// A read-only file is not replaced, though the folder would let the new
// file be renamed over it: its content and its attribute stay.
TEST(FileIoWin, ReadOnlyFileIsNotReplaced) {
  ScratchDir dir;
  const std::string path = Utf8Path(dir, "item.txt");
  const std::wstring wide = WidePath(dir, L"item.txt");
  WriteBytes(path, "old\r\n");
  ASSERT_TRUE(SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(ReplaceFileContent(path, "new\r\n"));
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_TRUE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(GetFileAttributesW((wide + L".new").c_str()), INVALID_FILE_ATTRIBUTES);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(ReplaceFileContent(path, "new\r\n"));
  EXPECT_EQ(ReadBytes(path), "new\r\n");
}

TEST(FileIoWin, CreateNewNeverTruncatesWhatIsThere) {
  ScratchDir dir;
  WriteBytes(dir / "ledger.csv", "records");
  std::filesystem::create_directory(dir.path() / "folder");
  struct Case {
    std::string path;
    ByteFile::Create result;
  };
  const Case cases[] = {
      {Utf8Path(dir, "ledger.csv"), ByteFile::Create::Exists},
      {Utf8Path(dir, "folder"), ByteFile::Create::Exists},
      {Utf8Path(dir, "missing\\ledger.csv"), ByteFile::Create::Failed},
      {"", ByteFile::Create::Failed},
      {"\xFF\xFE.csv", ByteFile::Create::Failed},  // not UTF-8
  };
  for (const Case& c : cases) {
    ByteFile file;
    EXPECT_EQ(file.CreateNew(c.path), c.result) << c.path;
    EXPECT_FALSE(file.IsOpen()) << c.path;
  }
  EXPECT_EQ(ReadBytes(dir / "ledger.csv"), "records");
}

TEST(FileIoWin, OnlyDiskFilesAreRegularOrReadable) {
  ScratchDir dir;
  WriteBytes(dir / "item.txt", "食費");
  std::filesystem::create_directory(dir.path() / "folder");
  const std::pair<std::string, bool> cases[] = {
      {Utf8Path(dir, "item.txt"), true},
      {Utf8Path(dir, "folder"), false},
      {Utf8Path(dir, "none.txt"), false},
      {"NUL", false},
      {"", false},
  };
  for (const auto& [path, regular] : cases) {
    EXPECT_EQ(IsRegularFile(path), regular) << path;
    EXPECT_EQ(ReadWholeFile(path).has_value(), regular) << path;
  }
}

TEST(FileIoWin, AnAppendingFileStaysOpenToOthers) {
  ScratchDir dir;
  const std::string path = Utf8Path(dir, "kakeibo.csv");
  ByteFile file;
  ASSERT_TRUE(file.OpenAppend(path));
  ASSERT_TRUE(file.Append("a\r\n"));
  // Another instance, or the user's spreadsheet, may open it meanwhile.
  const std::wstring wide = WidePath(dir, L"kakeibo.csv");
  const HANDLE other =
      CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  // Its write position is the start; ours stays the end.
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(other, "X", 1, &n, nullptr));
  CloseHandle(other);
  ASSERT_TRUE(file.Append("b\r\n"));
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadBytes(dir / "kakeibo.csv"), "X\r\nb\r\n");
}

TEST(FileIoWin, AppendsOfTwoWritersNeverInterleave) {
  ScratchDir dir;
  const std::string path = Utf8Path(dir, "kakeibo.csv");
  constexpr int kLines = 300;
  const auto writer = [&](char tag) {
    ByteFile file;
    ASSERT_TRUE(file.OpenAppend(path));
    for (int i = 0; i < kLines; ++i) {
      ASSERT_TRUE(
          file.Append(std::string(1, tag) + std::string(80, tag) + std::to_string(i) + "\r\n"));
    }
    EXPECT_TRUE(file.Close());
  };
  std::thread a(writer, 'a');
  std::thread b(writer, 'b');
  a.join();
  b.join();
  const std::string content = ReadBytes(dir / "kakeibo.csv");
  std::set<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = content.substr(start, end - start);
    ASSERT_EQ(line.find_first_not_of(line[0]), 81u) << line;
    lines.insert(line);
    start = end + 2;
  }
  EXPECT_EQ(lines.size(), 2u * kLines) << "every line whole, none overwritten";
}

}  // namespace
}  // namespace mametan
