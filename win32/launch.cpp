// mametan-launch.exe: starts mametan.exe at sign-in (the Run value) in the
// user's account-book folder, Documents\まめたん家計簿. A Run value names no
// working folder, and the program resolves the file names of its settings
// against the folder it starts in. A missing folder is made again with the
// built-in kinds installed beside the program; a folder that is there is left
// as the user keeps it. Its arguments are passed on.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring AccountBookFolder() {
  PWSTR documents = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents))) {
    folder = std::wstring(documents) + L"\\まめたん家計簿";
  }
  CoTaskMemFree(documents);
  return folder;
}

// This program's own arguments as they were written: its command line less
// the program name (quoted or not), with the space before them.
std::wstring OwnArguments() {
  const std::wstring line = GetCommandLineW();
  std::size_t i = 0;
  if (!line.empty() && line[0] == L'"') {
    const std::size_t close = line.find(L'"', 1);
    i = close == std::wstring::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
  }
  std::wstring rest = line.substr(i);
  if (rest.find_first_not_of(L" \t") == std::wstring::npos) return {};
  return rest;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring programFolder = ProgramFolder();
  std::wstring folder = AccountBookFolder();
  if (!folder.empty() && CreateDirectoryW(folder.c_str(), nullptr)) {
    CopyFileW((programFolder + L"\\item.txt").c_str(), (folder + L"\\item.txt").c_str(), TRUE);
  }
  const DWORD attributes =
      folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
  // Without the folder the program starts where it is, and says what it misses.
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    folder.clear();

  const std::wstring program = programFolder + L"\\mametan.exe";
  // The arguments go on as they came (the menu's "/input").
  std::wstring commandLine = L"\"" + program + L"\"" + OwnArguments();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
