// mametan-shortcut.exe: the installer's shortcut writer, run from its
// temporary folder and never installed.
//   mametan-shortcut.exe <link.lnk> <program> <arguments> <working folder>
//                        <icon file> <key> <description>
// <key> is the shortcut key's word (the key's code low, HOTKEYF_* high), 0 for
// none. Exit code 0 when the shortcut is written, 1 for a wrong command line,
// 2 when the shell link cannot be made or saved.
//
// A shortcut keeps its program in three places: the shell's item list, the
// location block (LinkInfo) and, as the working folder and the arguments are
// kept, Unicode strings. Some shells write the location block's path in the
// ANSI code page alone and read it back first: in a profile such as
// C:\users\한é, outside code page 932, the path comes back with '?' for those
// letters and the shortcut cannot start its program. So the shortcut is
// written without that block: asked for with SLDF_FORCE_NO_LINKINFO, and cut
// out of the saved stream by hand for a shell that writes it all the same.
// The item list, with each folder's Unicode name, then names the program.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 0x4C;
constexpr std::size_t kFlagsOffset = 0x14;
constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;

std::uint32_t ReadLittleEndian(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

// Takes the location block out of a saved shell link, marking it as kept
// without one. A link without an item list keeps the block, the only place
// its program is named then; so does one whose sizes do not add up.
void DropLinkInfo(std::vector<unsigned char>& link) {
  if (link.size() < kHeaderSize) return;
  const std::uint32_t flags = ReadLittleEndian(link, kFlagsOffset, 4);
  if (!(flags & kHasIdList) || !(flags & kHasLinkInfo)) return;
  std::size_t at = kHeaderSize;
  if (at + 2 > link.size()) return;
  at += 2 + ReadLittleEndian(link, at, 2);
  if (at + 4 > link.size()) return;
  const std::size_t size = ReadLittleEndian(link, at, 4);
  if (size < 4 || size > link.size() - at) return;
  link.erase(link.begin() + static_cast<std::ptrdiff_t>(at),
             link.begin() + static_cast<std::ptrdiff_t>(at + size));
  const std::uint32_t kept = (flags & ~kHasLinkInfo) | SLDF_FORCE_NO_LINKINFO;
  for (int i = 0; i < 4; ++i) link[kFlagsOffset + i] = static_cast<unsigned char>(kept >> 8 * i);
}

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p) p->Release();
  }
};

// The saved link's bytes, empty when the shell cannot make or save it.
std::vector<unsigned char> SavedLink(const wchar_t* program, const wchar_t* arguments,
                                     const wchar_t* folder, const wchar_t* icon, WORD key,
                                     const wchar_t* description) {
  Released<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link.p))))
    return {};
  if (FAILED(link.p->SetPath(program)) || FAILED(link.p->SetArguments(arguments)) ||
      FAILED(link.p->SetWorkingDirectory(folder)) || FAILED(link.p->SetIconLocation(icon, 0)) ||
      FAILED(link.p->SetHotkey(key)) || FAILED(link.p->SetDescription(description)) ||
      FAILED(link.p->SetShowCmd(SW_SHOWNORMAL)))
    return {};
  Released<IShellLinkDataList> data;
  DWORD flags = 0;
  if (SUCCEEDED(
          link.p->QueryInterface(IID_IShellLinkDataList, reinterpret_cast<void**>(&data.p))) &&
      SUCCEEDED(data.p->GetFlags(&flags)))
    data.p->SetFlags(flags | SLDF_FORCE_NO_LINKINFO);

  Released<IPersistStream> persist;
  Released<IStream> stream;
  if (FAILED(link.p->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist.p))) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) ||
      FAILED(persist.p->Save(stream.p, TRUE)))
    return {};
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (FAILED(GetHGlobalFromStream(stream.p, &memory)) ||
      FAILED(stream.p->Stat(&stat, STATFLAG_NONAME)))
    return {};
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory));
  if (!bytes) return {};
  std::vector<unsigned char> saved(bytes, bytes + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return saved;
}

bool WriteWhole(const wchar_t* path, const std::vector<unsigned char>& bytes) {
  const HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  const bool closed = CloseHandle(file);
  if (!whole || !closed) DeleteFileW(path);
  return whole && closed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count != 8) return 1;
  wchar_t* end = nullptr;
  const unsigned long key = std::wcstoul(args[6], &end, 0);
  if (*end || key > 0xFFFF) return 1;

  int status = 2;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::vector<unsigned char> link =
        SavedLink(args[2], args[3], args[4], args[5], static_cast<WORD>(key), args[7]);
    DropLinkInfo(link);
    if (!link.empty() && WriteWhole(args[1], link)) {
      SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, args[1], nullptr);
      status = 0;
    }
    CoUninitialize();
  }
  LocalFree(args);
  return status;
}
