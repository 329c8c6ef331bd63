#include "win32/HostWindow.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "core/common/AppError.h"
#include "core/common/CommandLine.h"
#include "core/platform/Cp932.h"
#include "win32/Boxes.h"
#include "win32/Dpi.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"Tform_Main";
// Marks the host window of a copy that takes requests for the input window;
// debug copies run beside the normal one and are never asked.
constexpr wchar_t kTakesInputRequests[] = L"Mametan.TakesInputRequests";

UINT InputRequestMessage() { return RegisterWindowMessageW(L"Mametan.InputWindow"); }

BOOL CALLBACK FindAskableHost(HWND hwnd, LPARAM found) {
  wchar_t name[64] = {};
  if (GetClassNameW(hwnd, name, 64) > 0 && std::wstring(name) == kClassName &&
      GetPropW(hwnd, kTakesInputRequests)) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}
constexpr UINT kTrayIconId = 1;
constexpr UINT_PTR kAnimateTimer = 1;
constexpr wchar_t kHelpFileName[] = L"mametan.html";

// A menu image: the icon's pixels as a 32-bit bitmap with premultiplied
// alpha, which menus blend over their own background. The pixels are copied,
// not drawn: drawing an icon into a bitmap leaves its alpha to the system,
// and some leave it opaque, a black square around the picture. The resource
// is named by the picture's name in capitals.
HBITMAP MenuBitmap(HINSTANCE instance, const char* image, int size) {
  std::wstring name = Wide(image);
  for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
  const auto icon =
      static_cast<HICON>(LoadImageW(instance, name.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) return nullptr;
  ICONINFO parts{};
  const bool split = GetIconInfo(icon, &parts) && parts.hbmColor;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  std::vector<std::uint32_t> colour(count), mask(count);
  HDC screen = GetDC(nullptr);
  bool read = split && GetDIBits(screen, parts.hbmColor, 0, static_cast<UINT>(size), colour.data(),
                                 &info, DIB_RGB_COLORS) == size;
  read = read && parts.hbmMask &&
         GetDIBits(screen, parts.hbmMask, 0, static_cast<UINT>(size), mask.data(), &info,
                   DIB_RGB_COLORS) == size;
  void* bits = nullptr;
  HBITMAP bitmap =
      read ? CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  ReleaseDC(nullptr, screen);
  if (bitmap) {
    // An icon without alpha says what is transparent with its mask.
    const bool hasAlpha =
        std::any_of(colour.begin(), colour.end(), [](std::uint32_t p) { return p >> 24; });
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t p = colour[i];
      const std::uint32_t a = hasAlpha ? p >> 24 : ((mask[i] & 0xFFFFFFu) ? 0u : 255u);
      const auto channel = [&](int shift) { return ((p >> shift) & 0xFFu) * a / 255u; };
      out[i] = (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
    }
  }
  if (parts.hbmColor) DeleteObject(parts.hbmColor);
  if (parts.hbmMask) DeleteObject(parts.hbmMask);
  DestroyIcon(icon);
  return bitmap;
}

}  // namespace

HostWindow::HostWindow(HINSTANCE instance, RegistryBackend& registry, TApSystem& settings)
    : m_instance(instance), m_presenter(*this, registry, settings) {}

HostWindow::~HostWindow() {
  // The icon goes while its window still exists.
  m_tray.reset();
  if (m_hwnd) DestroyWindow(m_hwnd);
  if (m_menu) DestroyMenu(m_menu);
  for (HBITMAP b : m_menuImages) DeleteObject(b);
  if (m_trayImage) DestroyIcon(m_trayImage);
  if (m_appIcon) DestroyIcon(m_appIcon);
}

void HostWindow::Create() {
  m_appIcon = static_cast<HICON>(
      LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_MAMETAN), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &HostWindow::WindowProc;
  wc.hInstance = m_instance;
  wc.hIcon = m_appIcon;
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  m_inputRequest = InputRequestMessage();

  const int dpi = DpiOf(nullptr);
  m_hwnd = CreateWindowExW(0, kClassName, L"form_Main", WS_OVERLAPPEDWINDOW, kHostWindowPlace.left,
                           kHostWindowPlace.top, Scaled(kHostWindowPlace.width, dpi),
                           Scaled(kHostWindowPlace.height, dpi), WindowOwner(), nullptr, m_instance,
                           this);
  if (!m_hwnd) throw AppError("form_Main を作成できません");
  CreateMenu();
  if (!DebugMode) SetPropW(m_hwnd, kTakesInputRequests, reinterpret_cast<HANDLE>(1));

  const int small = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
  m_trayImage = static_cast<HICON>(
      LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_TASKTRAY), IMAGE_ICON, small, small, 0));
  m_tray = std::make_unique<TrayIconRules>(static_cast<TrayEnvironment&>(*this));
  LoadHostTrayIcon(*m_tray, &m_trayImages, m_presenter);
  m_presenter.FormCreate();
  if (DebugMode) ::ShowWindow(m_hwnd, SW_SHOW);
}

void HostWindow::CreateMenu() {
  m_menu = CreatePopupMenu();
  const int size = GetSystemMetricsForDpi(SM_CXSMICON, GetDpiForSystem());
  for (const MenuItem& item : kHostMenu) {
    if (!item.caption) {
      AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    // A Win32 menu has no hidden items: a hidden one is left out.
    if (!item.visible) continue;
    const std::wstring caption = Wide(item.caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
    info.wID = static_cast<UINT>(item.command);
    info.dwTypeData = const_cast<wchar_t*>(caption.c_str());
    info.hbmpItem = MenuBitmap(m_instance, item.image, size);
    if (info.hbmpItem) m_menuImages.push_back(info.hbmpItem);
    InsertMenuItemW(m_menu, GetMenuItemCount(m_menu), TRUE, &info);
  }
}

void HostWindow::SetHostedWindows(HostedWindows windows) {
  m_windows = std::move(windows);
  m_presenter.SetInputFormHide(m_windows.inputFormHide);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<HostWindow*>(create->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->HandleMessage(msg, wParam, lParam);
}

LRESULT HostWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == m_taskbarCreated && m_taskbarCreated != 0) {
    // A new shell has no icons: ours goes in again.
    if (m_tray && m_tray->Visible()) AddIcon(m_tray->NotifyData());
    return 0;
  }
  if (msg == m_inputRequest && m_inputRequest != 0 && !DebugMode) {
    // The asking start allowed this process to take the foreground.
    m_presenter.TrayIconMouseDown(mbLeft, 0, 0);
    return 1;
  }
  switch (msg) {
    case traymsg::kCallback: {
      if (!m_tray) return 0;
      TMessage message{msg, wParam, lParam, 0};
      m_tray->DoMessage(message);
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == 0) Command(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kAnimateTimer && m_tray) m_tray->DoOnAnimate();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam && !m_presenter.Closed()) {
        // The process may end as soon as this returns: the settings are
        // saved now and the icon taken away.
        m_presenter.EndSessionRequested();
        if (m_tray) {
          TMessage message{msg, wParam, lParam, 0};
          m_tray->DoMessage(message);
        }
      }
      return 0;
    case WM_SHOWWINDOW:
      if (lParam == 0) WindowShownOrHidden(m_hwnd, wParam != FALSE);
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
    case WM_CLOSE:
      if (m_presenter.FormClose()) {
        m_tray.reset();
        ::ShowWindow(m_hwnd, SW_HIDE);
      }
      return 0;
    default:
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

void HostWindow::Command(UINT id) {
  for (const MenuItem& item : kHostMenu) {
    if (item.caption && static_cast<UINT>(item.command) == id) {
      m_presenter.MenuCommandChosen(item.command);
      return;
    }
  }
}

void HostWindow::ShowWindow(HostedWindow window) {
  HostedDialog* dialog =
      WindowIn(m_windows.windows, window == HostedWindow::Input   ? ProgramWindow::Input
                                  : window == HostedWindow::Setup ? ProgramWindow::Setup
                                                                  : ProgramWindow::About);
  if (!dialog) return;
  HWND hwnd = dialog->Window();
  if (!hwnd) return;
  ::ShowWindow(hwnd, SW_SHOW);
  if (IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
}

void HostWindow::PopupMenu(int x, int y) {
  // A menu of a window that is not in the foreground stays open when the
  // user clicks elsewhere; the empty message afterwards lets a second press
  // on the icon open it again.
  SetForegroundWindow(m_hwnd);
  TrackPopupMenuEx(m_menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, m_hwnd, nullptr);
  PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

std::string HostWindow::HelpFilePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  path.erase(path.find_last_of(L'\\') + 1);
  return Utf8(path + kHelpFileName);
}

void HostWindow::OpenHelpPage(const std::string& path) {
  ShellExecuteW(m_hwnd, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void HostWindow::CloseHost() { SendMessageW(m_hwnd, WM_CLOSE, 0, 0); }

void HostWindow::Quit(int exitCode) {
  m_exitCode = exitCode;
  PostQuitMessage(exitCode);
}

void HostWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowProgramMessage(IsWindowVisible(m_hwnd) ? m_hwnd : nullptr, text, icon);
}

void HostWindow::ShowErrorBox(const std::string& text) { ShowStandardErrorBox(text); }

bool HostWindow::NotifyIcon(DWORD action, const TrayNotifyData& data) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = m_hwnd;
  nid.uID = kTrayIconId;
  if (action != NIM_DELETE) {
    nid.uFlags = NIF_MESSAGE | NIF_ICON;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = data.icon == TrayNotifyData::kApplicationIcon ? m_appIcon
                : data.icon == TrayNotifyData::kNoIcon        ? nullptr
                                                              : m_trayImage;
    if (data.uFlags & TrayNotifyData::kFlagTip) {
      nid.uFlags |= NIF_TIP;
      const std::wstring tip = Wide(data.szTip);
      wcsncpy(nid.szTip, tip.c_str(), std::size(nid.szTip) - 1);
    }
  }
  return Shell_NotifyIconW(action, &nid) != FALSE;
}

bool HostWindow::AddIcon(const TrayNotifyData& data) { return NotifyIcon(NIM_ADD, data); }
bool HostWindow::ModifyIcon(const TrayNotifyData& data) { return NotifyIcon(NIM_MODIFY, data); }
bool HostWindow::DeleteIcon() { return NotifyIcon(NIM_DELETE, TrayNotifyData{}); }

TPoint HostWindow::CursorPos() {
  // The pointer now, not the callback's message position: Wine's shell
  // posts the callback with a position of 0, 0.
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

TShiftState HostWindow::KeyShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

void HostWindow::RestoreApplication() {
  if (m_windows.entry) m_windows.entry->SetShown(true);
  ForegroundOpenWindow();
}

void HostWindow::MinimizeApplication() {
  if (m_windows.entry) m_windows.entry->SetShown(false);
}

void HostWindow::ForegroundOpenWindow() {
  const auto handle = [this](ProgramWindow which) {
    HostedDialog* window = WindowIn(m_windows.windows, which);
    return window ? window->Handle() : nullptr;
  };
  const auto forward = m_presenter.WindowToRestore([&](ProgramWindow which) {
    HWND hwnd = handle(which);
    return hwnd && IsWindowVisible(hwnd);
  });
  if (forward) SetForegroundWindow(handle(*forward));
}

void HostWindow::SetTimerEnabled(bool enabled) {
  m_timerEnabled = enabled;
  if (!m_hwnd) return;
  if (enabled) {
    SetTimer(m_hwnd, kAnimateTimer, static_cast<UINT>(m_timerInterval), nullptr);
  } else {
    KillTimer(m_hwnd, kAnimateTimer);
  }
}

void HostWindow::SetTimerInterval(int milliseconds) {
  m_timerInterval = milliseconds;
  if (m_timerEnabled) SetTimerEnabled(true);
}

bool AskRunningCopyForInput(unsigned timeoutMs, std::string& problem) {
  HWND host = nullptr;
  EnumWindows(&FindAskableHost, reinterpret_cast<LPARAM>(&host));
  if (!host) {
    problem = "no window of the running copy takes the request";
    return false;
  }
  DWORD process = 0;
  GetWindowThreadProcessId(host, &process);
  AllowSetForegroundWindow(process);
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(host, InputRequestMessage(), 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                           timeoutMs, &answer) ||
      answer != 1) {
    problem = "no answer within " + std::to_string(timeoutMs / 1000) + " s";
    return false;
  }
  return true;
}

}  // namespace mametan::win32
