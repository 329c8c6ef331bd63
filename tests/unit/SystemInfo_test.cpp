#include "core/platform/SystemInfo.h"

#include <gtest/gtest.h>

namespace mametan {
namespace {

TEST(WindowsVersionText, Table) {
  struct Row {
    std::uint32_t platform, minor, build;
    const char* text;
  };
  const Row rows[] = {
      {0, 0, 0, "Win32s on Windows 3.1"},
      {1, 0, 950, "Win32 on Windows 95"},
      {1, 0, 1000, "Win32 on Windows 95"},
      {1, 0, 1001, "Win32 on Windows 95 OSR2"},
      {1, 0, 1111, "Win32 on Windows 95 OSR2"},
      // The 95 family repeats major and minor version in the high word.
      {1, 0, 0x040003B6, "Win32 on Windows 95"},
      {1, 0, 0x04000457, "Win32 on Windows 95 OSR2"},
      {1, 10, 1998, "Win32 on Windows 98"},
      {1, 10, 0x040A08AE, "Win32 on Windows 98"},
      {1, 90, 3000, "Win32 on Windows"},
      {2, 0, 1381, "Windows NT/2000"},
      {2, 0, 2195, "Windows NT/2000"},
      {2, 2, 9200, "Windows NT/2000"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(WindowsVersionText(row.platform, row.minor, row.build),
              std::optional<std::string>(row.text))
        << row.platform << " " << row.minor << " " << row.build;
  }
  EXPECT_EQ(WindowsVersionText(3, 0, 0), std::nullopt) << "the earlier text stays";
}

TEST(OsReleasePrettyName, ShellQuotingAndFallback) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME='Arch \\Linux'", "Arch \\Linux"},
      {"PRETTY_NAME=Alpine\r\n", "Alpine"},
      {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"", "Say \"hi\" \\ $HOME"},
      {"#PRETTY_NAME=\"commented\"\nNAME=x\n", "Linux"},
      {"XPRETTY_NAME=\"other key\"", "Linux"},
      {"PRETTY_NAME=\"\"", "Linux"},
      {"", "Linux"},
      {"PRETTY_NAME=\"unterminated", "unterminated"},
      {"PRETTY_NAME=\"まめ OS 1.0\"", "まめ OS 1.0"},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(OsReleasePrettyName(text), name) << text;
}

}  // namespace
}  // namespace mametan
