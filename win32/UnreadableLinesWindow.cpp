#include "win32/UnreadableLinesWindow.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "win32/Clipboard.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kLinesClass[] = L"MametanViewerLines";
constexpr int kCloseId = 104;

// Designed sizes in pixels at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRowHeight = 28;

}  // namespace

int UnreadableLinesWindow::Scale(int pixels) const {
  return Scaled(pixels, DpiOf(m_hwnd ? m_hwnd : m_owner));
}

void UnreadableLinesWindow::Show(HINSTANCE instance, HWND owner, HFONT font,
                                 std::vector<ViewerUnreadable> lines, std::uint64_t count) {
  if (m_hwnd) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kLinesClass;
  RegisterClassExW(&windowClass);

  m_owner = owner;
  m_font = font;
  m_lines = std::move(lines);
  const int dpi = DpiOf(owner);
  m_hwnd = CreateWindowExW(
      0, kLinesClass, Wide(viewer_text::kUnreadableTitle).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, CW_USEDEFAULT,
      CW_USEDEFAULT, Scaled(640, dpi), Scaled(360, dpi), owner, nullptr, instance, this);
  if (!m_hwnd) return;
  const auto child = [this, instance](const wchar_t* cls, const std::wstring& text, DWORD style,
                                      int id) {
    HWND control =
        CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
  };
  m_note = child(L"STATIC", Wide(UnreadableNote(count, m_lines.size())), SS_LEFT | SS_NOPREFIX, 0);
  m_list = child(WC_LISTVIEWW, L"",
                 LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_BORDER, 0);
  ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
  m_close = child(L"BUTTON", Wide(viewer_text::kClose), BS_PUSHBUTTON | WS_TABSTOP, kCloseId);
  const int widths[] = {Scale(60), Scale(540)};
  for (std::size_t i = 0; i < kUnreadableColumns.size(); ++i) {
    std::wstring title = Wide(kUnreadableColumns[i].title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    // A list view's first column is always left-aligned.
    column.fmt = kUnreadableColumns[i].alignRight && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = widths[i];
    column.pszText = title.data();
    ListView_InsertColumn(m_list, static_cast<int>(i), &column);
  }
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    std::wstring number = Wide(m_lines[i].lineText);
    std::wstring text = Wide(m_lines[i].text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = number.data();
    ListView_InsertItem(m_list, &item);
    ListView_SetItemText(m_list, static_cast<int>(i), 1, text.data());
  }
  RECT client{};
  GetClientRect(m_hwnd, &client);
  SendMessageW(m_hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  EnableWindow(m_owner, FALSE);
  ShowWindow(m_hwnd, SW_SHOW);
  SetFocus(m_list);
}

void UnreadableLinesWindow::Close() {
  if (!m_hwnd) return;
  EnableWindow(m_owner, TRUE);
  HWND window = m_hwnd;
  m_hwnd = nullptr;
  m_list = m_note = m_close = nullptr;
  DestroyWindow(window);
}

void UnreadableLinesWindow::SetFont(HFONT font) {
  m_font = font;
  for (HWND control : {m_note, m_list, m_close}) {
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

bool UnreadableLinesWindow::PreTranslate(const MSG& msg) {
  if (!m_hwnd || msg.message != WM_KEYDOWN || GetAncestor(msg.hwnd, GA_ROOT) != m_hwnd)
    return false;
  if (msg.wParam == VK_ESCAPE) {
    Close();
    return true;
  }
  if (GetKeyState(VK_CONTROL) >= 0 || msg.hwnd != m_list) return false;
  if (msg.wParam == 'A') {
    ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
  }
  if (msg.wParam == 'C') {
    CopyLines();
    return true;
  }
  return false;
}

void UnreadableLinesWindow::CopyLines() {
  std::vector<std::size_t> chosen;
  for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(m_list, i, LVNI_SELECTED)) {
    chosen.push_back(static_cast<std::size_t>(i));
  }
  if (!PutClipboardText(m_hwnd, Wide(UnreadableText(m_lines, chosen, "\r\n"))))
    MessageBeep(MB_ICONHAND);
}

LRESULT CALLBACK UnreadableLinesWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                   LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<UnreadableLinesWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self || self->m_hwnd != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->OnMessage(msg, wParam, lParam);
}

LRESULT UnreadableLinesWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: {
      const int width = LOWORD(lParam);
      const int height = HIWORD(lParam);
      const int margin = Scale(kMargin);
      const int rowHeight = Scale(kRowHeight);
      const int noteHeight = Scale(20);
      MoveWindow(m_note, margin, margin, width - 2 * margin, noteHeight, TRUE);
      HDC dc = GetDC(m_hwnd);
      const HGDIOBJ old = SelectObject(dc, m_font);
      SIZE text{};
      const std::wstring close = Wide(viewer_text::kClose);
      GetTextExtentPoint32W(dc, close.c_str(), static_cast<int>(close.size()), &text);
      SelectObject(dc, old);
      ReleaseDC(m_hwnd, dc);
      const int buttonWidth = text.cx + Scale(40);
      const int listTop = margin + noteHeight + Scale(kGap);
      const int buttonTop = height - margin - rowHeight;
      MoveWindow(m_list, margin, listTop, width - 2 * margin,
                 std::max(0, buttonTop - Scale(kGap) - listTop), TRUE);
      MoveWindow(m_close, width - margin - buttonWidth, buttonTop, buttonWidth, rowHeight, TRUE);
      RECT listClient{};
      GetClientRect(m_list, &listClient);
      ListView_SetColumnWidth(m_list, 1,
                              std::max(Scale(80), static_cast<int>(listClient.right) -
                                                      ListView_GetColumnWidth(m_list, 0)));
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseId || LOWORD(wParam) == IDCANCEL) {
        Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

}  // namespace mametan::win32
