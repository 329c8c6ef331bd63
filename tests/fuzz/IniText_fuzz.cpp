// Any bytes as a settings file: writing back the values it holds changes no
// byte; a value written reads back the same (up to its first line break,
// without leading blanks) and leaves the other values as they were; removing
// the section leaves no trace of it and no other value changed.
// Input: one byte picking the key, one byte giving the value's length, the
// value, then the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform/IniText.h"

namespace {

const char* const kKeys[] = {"File_Kakeibo",     "File_Kind",        "SaveWindowPos",
                             "OpenWindowAtBoot", "InputWindow_Left", "InputWindow_Top",
                             "AutoTax",          "NextInput",        "Tax",
                             "EnterToNext"};
constexpr std::size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string key = kKeys[static_cast<std::uint8_t>(input[0]) % kKeyCount];
  const std::size_t length = std::min<std::size_t>(static_cast<std::uint8_t>(input[1]), size - 2);
  const std::string value = input.substr(2, length);
  const std::string file = input.substr(2 + length);

  mametan::IniText ini(file);
  std::optional<std::string> before[kKeyCount];
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    before[i] = ini.Value("Mametan", kKeys[i]);
    if (before[i]) ini.SetValue("Mametan", kKeys[i], *before[i]);
  }
  Check(ini.bytes() == file);
  const auto other = ini.Value("Other", key);

  ini.SetValue("Mametan", key, value);
  std::string expected = value.substr(0, value.find_first_of("\r\n"));
  expected.erase(0, expected.find_first_not_of(" \t") == std::string::npos
                        ? expected.size()
                        : expected.find_first_not_of(" \t"));
  Check(ini.Value("Mametan", key) == expected);
  for (std::size_t i = 0; i < kKeyCount; ++i) {
    if (kKeys[i] != key) Check(ini.Value("Mametan", kKeys[i]) == before[i]);
  }
  Check(ini.Value("Other", key) == other);

  ini.RemoveSection("Mametan");
  Check(!ini.HasSection("Mametan") && !ini.Value("Mametan", key));
  Check(ini.Value("Other", key) == other);
  return 0;
}
