// Windows: GetVersionExA's record through the version table,
// GlobalMemoryStatusEx (so that 4 GiB and more are told right) and the
// FileVersion of the program's own version resource.
#include <windows.h>

#include <vector>

#include "core/platform/Cp932.h"
#include "core/platform/SystemInfo.h"

namespace mametan {
namespace {

// The program's own path, wide, so that any folder name works.
std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::optional<std::string> QueryOsVersionText() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  // A failed query leaves a zeroed record that would read as Win32s.
  if (!GetVersionExA(&info)) return std::nullopt;
  return WindowsVersionText(info.dwPlatformId, info.dwMinorVersion, info.dwBuildNumber);
}

std::uint64_t QueryTotalPhysicalMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullTotalPhys;
}

std::optional<std::string> QueryProgramFileVersion() {
  const std::wstring path = ModulePath();
  if (path.empty()) return std::nullopt;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<char> buffer(size, 0);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, buffer.data())) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(buffer.data(), "\\StringFileInfo\\041103A4\\FileVersion", &value, &length) ||
      !value) {
    return std::nullopt;
  }
  const char* text = static_cast<const char*>(value);
  std::size_t n = 0;
  while (n < length && text[n] != '\0') ++n;
  return cp932::Decode(std::string_view(text, n));
}

}  // namespace mametan
