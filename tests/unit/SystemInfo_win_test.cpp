#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "BuildInfo.h"
#include "core/platform/SystemInfo.h"

namespace mametan {
namespace {

// The version information of this test program, which carries the program's
// version resource like every program of the Windows build.
std::vector<char> OwnVersionInfo() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  std::vector<char> buffer(size);
  if (size == 0 || !GetFileVersionInfoA(path, 0, size, buffer.data())) buffer.clear();
  return buffer;
}

TEST(VersionResource, FileVersionThroughTheAnsiQuery) {
  std::vector<char> info = OwnVersionInfo();
  ASSERT_FALSE(info.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(
      VerQueryValueA(info.data(), "\\StringFileInfo\\041103A4\\FileVersion", &value, &length));
  EXPECT_STREQ(static_cast<const char*>(value), MAMETAN_FILE_VERSION);
  EXPECT_EQ(QueryProgramFileVersion(), std::optional<std::string>(MAMETAN_FILE_VERSION));
}

TEST(VersionResource, FixedPartTranslationAndJapaneseStrings) {
  std::vector<char> info = OwnVersionInfo();
  ASSERT_FALSE(info.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000006u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000006u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
  EXPECT_EQ(static_cast<const WORD*>(value)[1], 0x03A4);

  const std::pair<const wchar_t*, const wchar_t*> strings[] = {
      {L"CompanyName", L"VelmaroSoftware"},
      {L"FileDescription", L"タスクバー常駐家計簿「まめたん家計簿」"},
      {L"InternalName", L"Mametan"},
      {L"LegalTrademarks", L"まめたん家計簿"},
      {L"OriginalFilename", L"Mametan.exe"},
      {L"ProductName", L"まめたん家計簿"},
      {L"ProductVersion", L"1.2.0.0"},
      {L"Comments", L"VelmaroSoftware Application Software."},
  };
  for (const auto& [key, text] : strings) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041103A4\\") + key;
    ASSERT_TRUE(VerQueryValueW(info.data(), path.c_str(), &value, &length)) << key;
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), text) << key;
  }
}

TEST(SystemInfoWin, OperatingSystemAndMemory) {
  // Wine, like every system since, reports the NT family.
  EXPECT_EQ(QueryOsVersionText(), std::optional<std::string>("Windows NT/2000"));
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  EXPECT_GT(QueryTotalPhysicalMemory(), 0u);
  EXPECT_EQ(QueryTotalPhysicalMemory(), status.ullTotalPhys) << "not cut to 32 bits";
}

}  // namespace
}  // namespace mametan
