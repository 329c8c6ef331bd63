#include "win32/ViewerWindow.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "win32/Clipboard.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"MametanViewer";
constexpr wchar_t kChartClass[] = L"MametanViewerChart";
constexpr wchar_t kLinesClass[] = L"MametanViewerLines";

enum : int {
  kPrev = 100,
  kNext,
  kYear,
  kUnreadable,
  kLinesClose,
};
constexpr UINT_PTR kChangeTimer = 1;
// Changes come in bursts (a write, then a close; a save that replaces the
// file): one read once they are over.
constexpr UINT kChangeDelayMs = 50;
constexpr COLORREF kStatusColour = RGB(176, 0, 0);

// Designed sizes in pixels at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRowHeight = 28;

ViewerWindow* Self(HWND hwnd) {
  return reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void SetText(HWND control, const std::wstring& text) { SetWindowTextW(control, text.c_str()); }

std::wstring Utf16(const std::string& utf8) { return Wide(utf8); }

int FontHeight(HDC dc, HFONT font) {
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  return metrics.tmHeight;
}

int Extent(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT box, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            format | DT_SINGLELINE | DT_NOPREFIX);
}

void AddColumn(HWND list, int index, const wchar_t* title, int width, int format) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(title);
  ListView_InsertColumn(list, index, &column);
}

// The rows selected in a list view, top to bottom.
std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  for (int i = ListView_GetNextItem(list, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(list, i, LVNI_SELECTED)) {
    rows.push_back(i);
  }
  return rows;
}

}  // namespace

ViewerWindow::ViewerWindow(HINSTANCE instance, int today)
    : m_instance(instance), m_presenter(*this, today) {}

ViewerWindow::~ViewerWindow() {
  if (m_change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(m_change);
  if (m_lines) DestroyWindow(m_lines);
  if (m_hwnd) DestroyWindow(m_hwnd);
  for (HFONT font : {m_font, m_bigFont, m_smallFont}) {
    if (font) DeleteObject(font);
  }
}

bool ViewerWindow::Create() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = m_instance;
  windowClass.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(1));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = ChartProc;
  windowClass.hbrBackground = nullptr;
  windowClass.lpszClassName = kChartClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = LinesProc;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kLinesClass;
  RegisterClassExW(&windowClass);

  m_hwnd = CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, L"まめたん家計簿 一覧",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, this);
  if (!m_hwnd) return false;
  m_dpi = GetDpiForWindow(m_hwnd);
  MakeFonts();

  const auto child = [this](const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                            DWORD exStyle = 0) {
    HWND control =
        CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
  };
  m_prev = child(L"BUTTON", L"◀ 前の月", BS_PUSHBUTTON | WS_TABSTOP, kPrev);
  m_month = child(L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0);
  m_next = child(L"BUTTON", L"次の月 ▶", BS_PUSHBUTTON | WS_TABSTOP, kNext);
  m_year = child(L"EDIT", L"", ES_NUMBER | ES_RIGHT | WS_TABSTOP, kYear, WS_EX_CLIENTEDGE);
  SendMessageW(m_year, EM_SETLIMITTEXT, 4, 0);
  m_yearSpin = child(UPDOWN_CLASSW, L"",
                     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0);
  SendMessageW(m_yearSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_year), 0);
  SendMessageW(m_yearSpin, UDM_SETRANGE32, 1, 9999);
  m_yearLabel = child(L"STATIC", L"年", SS_LEFT | SS_CENTERIMAGE, 0);
  m_total = child(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0);
  m_unreadable = child(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP, kUnreadable);
  m_status = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0);
  m_list = child(WC_LISTVIEWW, L"",
                 LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER, 0);
  ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  m_chart = child(kChartClass, L"", WS_TABSTOP, 0);
  SetWindowLongPtrW(m_chart, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(m_month, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);
  SendMessageW(m_total, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);

  AddColumn(m_list, 0, L"日付", Scale(90), LVCFMT_LEFT);
  AddColumn(m_list, 1, L"種類", Scale(110), LVCFMT_LEFT);
  AddColumn(m_list, 2, L"商品名", Scale(200), LVCFMT_LEFT);
  AddColumn(m_list, 3, L"価格", Scale(90), LVCFMT_RIGHT);

  // The designed size, but never larger than the monitor's work area.
  RECT frame{0, 0, Scale(1000), Scale(640)};
  AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_ACCEPTFILES, m_dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int frameWidth = std::min(frame.right - frame.left, work.right - work.left);
  const int frameHeight = std::min(frame.bottom - frame.top, work.bottom - work.top);
  RECT placed{};
  GetWindowRect(m_hwnd, &placed);
  const int left = std::clamp(static_cast<int>(placed.left), static_cast<int>(work.left),
                              static_cast<int>(work.right) - frameWidth);
  const int top = std::clamp(static_cast<int>(placed.top), static_cast<int>(work.top),
                             static_cast<int>(work.bottom) - frameHeight);
  SetWindowPos(m_hwnd, nullptr, left, top, frameWidth, frameHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  return true;
}

int ViewerWindow::Scale(int pixels) const { return Scaled(pixels, static_cast<int>(m_dpi)); }

void ViewerWindow::MakeFonts() {
  for (HFONT font : {m_font, m_bigFont, m_smallFont}) {
    if (font) DeleteObject(font);
  }
  const int dpi = static_cast<int>(m_dpi);
  m_font = MakeFont(12, dpi);
  m_bigFont = MakeFont(16, dpi, {.weight = FW_BOLD});
  m_smallFont = MakeFont(11, dpi);
}

int ViewerWindow::TextWidth(HFONT font, const std::wstring& text) const {
  HDC dc = GetDC(m_hwnd);
  const HGDIOBJ old = SelectObject(dc, font);
  const int width = Extent(dc, text);
  SelectObject(dc, old);
  ReleaseDC(m_hwnd, dc);
  return width;
}

// The controls' places for the window's size: the chooser's row at the top,
// every control as wide as its text needs, the status below it when there
// is one, then the list on the left and the charts on the right.
void ViewerWindow::Layout() {
  if (!m_hwnd) return;
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int margin = Scale(kMargin);
  const int gap = Scale(kGap);
  const int rowHeight = Scale(kRowHeight);
  const int buttonPadding = Scale(20);
  const auto width = [this](HWND control, HFONT font) {
    wchar_t text[256] = {};
    GetWindowTextW(control, text, 256);
    return TextWidth(font, text);
  };
  int x = margin;
  const int y = margin;
  const auto place = [&](HWND control, int w) {
    MoveWindow(control, x, y, w, rowHeight, TRUE);
    x += w + gap;
  };
  place(m_prev, width(m_prev, m_font) + buttonPadding);
  place(m_month, TextWidth(m_bigFont, L"0000年00月") + Scale(16));
  place(m_next, width(m_next, m_font) + buttonPadding);
  x += gap;
  const int yearWidth = TextWidth(m_font, L"00000") + Scale(12) + GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(m_year, x, y + Scale(2), yearWidth, rowHeight - Scale(4), TRUE);
  SendMessageW(m_yearSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_year), 0);
  x += yearWidth + Scale(4);
  place(m_yearLabel, TextWidth(m_font, L"年") + Scale(4));
  x += 3 * gap;
  const int unreadableWidth = width(m_unreadable, m_font) + buttonPadding;
  const int unreadableLeft = std::max(x, static_cast<int>(client.right) - margin - unreadableWidth);
  const int totalWidth = width(m_total, m_bigFont) + Scale(8);
  int top = y + rowHeight + gap;
  if (x + totalWidth + gap <= unreadableLeft) {
    place(m_total, unreadableLeft - gap - x);
  } else {
    // A narrow window: the total goes to a row of its own.
    MoveWindow(m_total, margin, top, client.right - 2 * margin, rowHeight, TRUE);
    top += rowHeight + gap;
  }
  x = unreadableLeft;
  place(m_unreadable, unreadableWidth);

  if (!m_page.status.empty()) {
    HDC dc = GetDC(m_hwnd);
    const int lineHeight = FontHeight(dc, m_font);
    ReleaseDC(m_hwnd, dc);
    MoveWindow(m_status, margin, top, client.right - 2 * margin, lineHeight * 2, TRUE);
    top += lineHeight * 2 + gap;
  }
  ShowWindow(m_status, m_page.status.empty() ? SW_HIDE : SW_SHOW);
  const int height = std::max(0, static_cast<int>(client.bottom) - margin - top);
  const int inner = std::max(0, static_cast<int>(client.right) - 2 * margin - gap);
  const int listWidth = inner * 5 / 9;
  MoveWindow(m_list, margin, top, listWidth, height, TRUE);
  MoveWindow(m_chart, margin + listWidth + gap, top, inner - listWidth, height, TRUE);
  FitColumns();
  InvalidateRect(m_chart, nullptr, FALSE);
}

// The date, kind and price columns as wide as their texts (the kind's at
// most a third of the list), the goods column what they leave.
void ViewerWindow::FitColumns() {
  RECT listClient{};
  GetClientRect(m_list, &listClient);
  const int pad = Scale(14);
  int kindWidth = ListView_GetStringWidth(m_list, L"種類") + pad;
  int priceWidth = ListView_GetStringWidth(m_list, L"0,000,000") + pad;
  for (const Row& row : m_rows) {
    kindWidth = std::max(kindWidth, ListView_GetStringWidth(m_list, row.cells[1].c_str()) + pad);
    priceWidth = std::max(priceWidth, ListView_GetStringWidth(m_list, row.cells[3].c_str()) + pad);
  }
  ListView_SetColumnWidth(m_list, 0, ListView_GetStringWidth(m_list, L"0000/00/00") + pad);
  ListView_SetColumnWidth(m_list, 1, std::min(kindWidth, static_cast<int>(listClient.right) / 3));
  ListView_SetColumnWidth(m_list, 3, priceWidth);
  int others = 0;
  for (int column : {0, 1, 3}) others += ListView_GetColumnWidth(m_list, column);
  ListView_SetColumnWidth(m_list, 2,
                          std::max(Scale(80), static_cast<int>(listClient.right) - others));
}

void ViewerWindow::ShowPage(const ViewerPage& page) {
  const bool statusChanged = page.status.empty() != m_page.status.empty();
  m_page = page;
  SetText(m_hwnd, Utf16(page.title));
  SetText(m_month, Utf16(page.monthText));
  m_updating = true;
  SendMessageW(m_yearSpin, UDM_SETPOS32, 0, page.year);
  m_updating = false;
  SetText(m_total, Utf16(page.totalText));
  SetText(m_status, Utf16(page.status));
  const std::wstring unreadable = Utf16(page.unreadableText);
  wchar_t shown[256] = {};
  GetWindowTextW(m_unreadable, shown, 256);
  SetText(m_unreadable, unreadable);
  EnableWindow(m_unreadable, page.unreadableCount > 0);
  if (statusChanged || unreadable != shown) Layout();

  m_rows.clear();
  m_rows.reserve(m_page.rows.size());
  for (std::size_t i = 0; i < m_page.rows.size(); ++i) {
    const ViewerRow& row = m_page.rows[i];
    m_rows.push_back(
        {&row, i, {Utf16(row.date), Utf16(row.kind), Utf16(row.goods), Utf16(row.priceText)}});
  }
  SortRows();
  FitColumns();
  InvalidateRect(m_chart, nullptr, FALSE);
}

void ViewerWindow::SortRows() {
  const int column = m_sortColumn;
  const bool ascending = m_sortAscending;
  // Equal keys keep the file's order.
  std::stable_sort(m_rows.begin(), m_rows.end(), [column, ascending](const Row& a, const Row& b) {
    const auto less = [column](const Row& x, const Row& y) {
      switch (column) {
        case 0:
          return x.row->dateOrder < y.row->dateOrder;
        case 1:
          return x.row->kind < y.row->kind;
        case 2:
          return x.row->goods < y.row->goods;
        case 3:
          return x.row->price < y.row->price;
        default:
          return x.fileOrder < y.fileOrder;
      }
    };
    return ascending ? less(a, b) : less(b, a);
  });
  HWND header = ListView_GetHeader(m_list);
  for (int i = 0; i < 4; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, i, &item);
  }
  FillList();
}

void ViewerWindow::FillList() {
  ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(m_list, static_cast<int>(m_rows.size()), 0);
  InvalidateRect(m_list, nullptr, FALSE);
}

void ViewerWindow::WatchFile(const std::string& path) {
  if (m_change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(m_change);
  m_change = INVALID_HANDLE_VALUE;
  if (path.empty()) return;
  // The folder is followed, not the file: the file may be created, or
  // replaced by a program that saves it again.
  const std::wstring wide = Wide(path);
  wchar_t full[MAX_PATH * 4] = {};
  wchar_t* name = nullptr;
  const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 4, full, &name);
  if (length == 0 || length >= MAX_PATH * 4 || !name) return;
  *name = L'\0';
  m_change = FindFirstChangeNotificationW(
      full, FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
}

void ViewerWindow::CloseWindow() {
  if (m_hwnd) PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

int ViewerWindow::Run() {
  for (;;) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      if (PreTranslate(msg)) continue;
      const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
      if (root && (root == m_hwnd || root == m_lines) && IsDialogMessageW(root, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // Waits for a message or a change in the ledger's folder, whichever
    // comes first.
    const bool watching = m_change != INVALID_HANDLE_VALUE;
    const DWORD woke = MsgWaitForMultipleObjectsEx(watching ? 1 : 0, &m_change, INFINITE,
                                                   QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (watching && woke == WAIT_OBJECT_0) {
      if (!FindNextChangeNotification(m_change)) {
        FindCloseChangeNotification(m_change);
        m_change = INVALID_HANDLE_VALUE;
      }
      SetTimer(m_hwnd, kChangeTimer, kChangeDelayMs, nullptr);
    } else if (woke == WAIT_FAILED) {
      return 1;
    }
  }
}

bool ViewerWindow::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (m_lines && root == m_lines) {
    if (msg.wParam == VK_ESCAPE) {
      CloseUnreadableLines();
      return true;
    }
    if (control && msg.hwnd == m_linesList && msg.wParam == 'A') {
      ListView_SetItemState(m_linesList, -1, LVIS_SELECTED, LVIS_SELECTED);
      return true;
    }
    if (control && msg.hwnd == m_linesList && msg.wParam == 'C') {
      CopyLines();
      return true;
    }
    return false;
  }
  if (root != m_hwnd) return false;
  // The month keys work wherever the focus is, the list included.
  switch (msg.wParam) {
    case VK_PRIOR:
      return m_presenter.KeyDown(ViewerKey::PageUp);
    case VK_NEXT:
      return m_presenter.KeyDown(ViewerKey::PageDown);
    case VK_ESCAPE:
      return m_presenter.KeyDown(ViewerKey::Escape);
    default:
      break;
  }
  if (!control) return false;
  if (msg.hwnd == m_list && msg.wParam == 'A') {
    ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
  }
  if (msg.hwnd == m_list && msg.wParam == 'C') {
    CopyRows();
    return true;
  }
  if (msg.hwnd == m_chart && msg.wParam == 'C') {
    CopyBars();
    return true;
  }
  return false;
}

void ViewerWindow::CopyRows() {
  std::wstring text;
  for (const int i : SelectedRows(m_list)) {
    const Row& row = m_rows[static_cast<std::size_t>(i)];
    text +=
        row.cells[0] + L'\t' + row.cells[1] + L'\t' + row.cells[2] + L'\t' + row.cells[3] + L"\r\n";
  }
  if (!PutClipboardText(m_hwnd, text)) MessageBeep(MB_ICONHAND);
}

void ViewerWindow::CopyBars() {
  std::wstring text;
  for (const ViewerBar& bar : m_page.bars) {
    text +=
        Utf16(bar.label) + L'\t' + Utf16(bar.amountText) + L'\t' + Utf16(bar.shareText) + L"\r\n";
  }
  if (!PutClipboardText(m_hwnd, text)) MessageBeep(MB_ICONHAND);
}

LRESULT CALLBACK ViewerWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<ViewerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_hwnd = hwnd;
  }
  ViewerWindow* self = Self(hwnd);
  return self ? self->OnMessage(msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT ViewerWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SETFOCUS:
      // The keyboard starts in the list.
      SetFocus(m_list);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Scale(640), Scale(360)};
      return 0;
    }
    case WM_DPICHANGED:
      m_dpi = HIWORD(wParam);
      MakeFonts();
      // The old fonts are gone: every control that used them takes the new
      // ones, the unreadable lines' window's too.
      for (HWND control : {m_prev, m_next, m_year, m_yearLabel, m_unreadable, m_status, m_list,
                           m_linesNote, m_linesList, m_linesClose}) {
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
      }
      SendMessageW(m_month, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);
      SendMessageW(m_total, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);
      {
        const auto* r = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      Layout();
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kPrev:
          m_presenter.PreviousMonth();
          return 0;
        case kNext:
          m_presenter.NextMonth();
          return 0;
        case kUnreadable:
          ShowUnreadableLines();
          return 0;
        case kYear:
          if (HIWORD(wParam) == EN_CHANGE && !m_updating) {
            BOOL failed = FALSE;
            const LRESULT year =
                SendMessageW(m_yearSpin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed));
            if (!failed && year >= 1 && year != m_page.year) {
              m_presenter.SetYear(static_cast<int>(year));
            }
          }
          return 0;
        default:
          break;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != m_list) break;
      if (header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        const auto row = static_cast<std::size_t>(info->item.iItem);
        const auto column = static_cast<std::size_t>(info->item.iSubItem);
        if ((info->item.mask & LVIF_TEXT) && row < m_rows.size() && column < 4) {
          info->item.pszText = const_cast<wchar_t*>(m_rows[row].cells[column].c_str());
        }
        return 0;
      }
      if (header->code == LVN_COLUMNCLICK) {
        const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
        m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
        m_sortColumn = column;
        SortRows();
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == m_status) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, kStatusColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_TIMER:
      if (wParam == kChangeTimer) {
        KillTimer(m_hwnd, kChangeTimer);
        m_presenter.FileChanged();
        return 0;
      }
      break;
    case WM_DROPFILES: {
      const auto drop = reinterpret_cast<HDROP>(wParam);
      wchar_t name[MAX_PATH * 4] = {};
      const UINT length = DragQueryFileW(drop, 0, name, MAX_PATH * 4);
      DragFinish(drop);
      if (length > 0) m_presenter.Open(Utf8(std::wstring_view(name, length)));
      return 0;
    }
    case WM_CLOSE:
      CloseUnreadableLines();
      DestroyWindow(m_hwnd);
      return 0;
    case WM_DESTROY:
      m_hwnd = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK ViewerWindow::ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ViewerWindow* self = Self(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(hwnd, &paint);
      RECT area{};
      GetClientRect(hwnd, &area);
      // Drawn off screen first, so that a change does not flicker.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
      const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
      if (self) self->PaintChart(memory, area);
      BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      // A press takes the focus, so that Ctrl+C copies the bars.
      SetFocus(hwnd);
      if (self)
        self->ChartClicked(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The chart: the caption and the strip of the year's twelve monthly totals,
// the chosen month marked, then the caption and the month's totals per kind
// as bars, largest first, each with its amount and share.
void ViewerWindow::PaintChart(HDC dc, const RECT& area) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
  if (GetFocus() == m_chart) DrawFocusRect(dc, &area);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldFont = SelectObject(dc, m_font);
  const int lineHeight = FontHeight(dc, m_font);
  const int smallHeight = FontHeight(dc, m_smallFont);
  const int pad = Scale(4);
  const int margin = Scale(kMargin);
  const int width = area.right - area.left;
  const HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  const HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);

  int y = pad;
  DrawTextIn(dc, L"月ごとの合計", {margin, y, width - margin, y + lineHeight}, DT_LEFT);
  y += lineHeight + pad;

  // The strip: each month a column, its total above its bar, the month below.
  const int stripTop = y;
  const int stripHeight = lineHeight * 6;
  m_stripArea = {0, stripTop, width, stripTop + stripHeight};
  const int n = static_cast<int>(m_page.strip.size());
  // The monthly totals stand above their columns, in full where they fit:
  // on one line, else on two (every other month on the lower one, so that
  // each has two columns' room), else as "12万" on one line or two.
  const int room = (width - 2 * margin) / std::max(1, n) - Scale(3);
  SelectObject(dc, m_smallFont);
  const auto widest = [dc](const std::vector<std::wstring>& texts) {
    int most = 0;
    for (const std::wstring& text : texts) most = std::max(most, Extent(dc, text));
    return most;
  };
  std::vector<std::wstring> amounts;
  for (const ViewerMonthCell& cell : m_page.strip) amounts.push_back(Utf16(cell.amountText));
  if (widest(amounts) > 2 * room) {
    for (std::size_t i = 0; i < amounts.size(); ++i) {
      const std::int64_t amount = m_page.strip[i].amount;
      if (amount >= 10000) amounts[i] = std::to_wstring(amount / 10000) + L"万";
    }
  }
  const bool staggered = widest(amounts) > room;
  const int barTop = stripTop + (staggered ? 2 : 1) * smallHeight + pad;
  const int barBottom = stripTop + stripHeight - lineHeight - pad;
  for (int i = 0; i < n; ++i) {
    const ViewerMonthCell& cell = m_page.strip[static_cast<std::size_t>(i)];
    const int left = margin + (width - 2 * margin) * i / n;
    const int right = margin + (width - 2 * margin) * (i + 1) / n;
    const int column = right - left;
    if (cell.chosen) {
      RECT mark{left + 1, stripTop, right - 1, stripTop + stripHeight};
      FillRect(dc, &mark, GetSysColorBrush(COLOR_BTNFACE));
      FrameRect(dc, &mark, highlight);
    }
    const int barHeight = static_cast<int>((barBottom - barTop) * cell.length);
    const int barWidth = std::max(Scale(4), column / 2);
    const int barLeft = left + (column - barWidth) / 2;
    RECT bar{barLeft, barBottom - barHeight, barLeft + barWidth, barBottom};
    FillRect(dc, &bar, cell.chosen ? highlight : shadow);
    // A total that does not fit even so is left out rather than run into
    // its neighbours; a month too wide for its column loses its "月".
    SelectObject(dc, m_smallFont);
    const std::wstring& amount = amounts[static_cast<std::size_t>(i)];
    if (!staggered) {
      DrawTextIn(dc, amount, {left, stripTop, right, barTop}, DT_CENTER | DT_VCENTER);
    } else if (Extent(dc, amount) <= 2 * room) {
      const int line = stripTop + (i % 2) * smallHeight;
      DrawTextIn(dc, amount, {left - column / 2, line, right + column / 2, line + smallHeight},
                 DT_CENTER | DT_VCENTER);
    }
    SelectObject(dc, m_font);
    std::wstring month = std::to_wstring(cell.month) + L"月";
    if (Extent(dc, month) > room) month = std::to_wstring(cell.month);
    DrawTextIn(dc, month, {left, barBottom + pad / 2, right, barBottom + pad / 2 + lineHeight},
               DT_CENTER | DT_VCENTER);
  }
  y = stripTop + stripHeight + 2 * pad;

  DrawTextIn(dc, L"種類ごとの合計", {margin, y, width - margin, y + lineHeight}, DT_LEFT);
  y += lineHeight + pad;

  // The bars: labels right-aligned before them, amount and share after.
  int labelWidth = 0;
  int textWidth = 0;
  std::vector<std::pair<std::wstring, std::wstring>> texts;
  for (const ViewerBar& bar : m_page.bars) {
    std::wstring amount = Utf16(bar.amountText);
    if (!bar.shareText.empty()) amount += L"  " + Utf16(bar.shareText);
    texts.emplace_back(Utf16(bar.label), amount);
    labelWidth = std::max(labelWidth, Extent(dc, texts.back().first));
    textWidth = std::max(textWidth, Extent(dc, texts.back().second));
  }
  labelWidth = std::min(labelWidth, width * 2 / 5);
  const int barLeft = margin + labelWidth + margin;
  const int barSpace = std::max(0, width - barLeft - textWidth - 2 * margin);
  const int rowHeight = lineHeight + Scale(8);
  for (std::size_t i = 0; i < m_page.bars.size(); ++i) {
    if (y >= area.bottom) break;
    DrawTextIn(dc, texts[i].first, {margin, y, margin + labelWidth, y + rowHeight},
               DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS);
    const int length = static_cast<int>(barSpace * m_page.bars[i].length);
    RECT bar{barLeft, y + Scale(3), barLeft + length, y + rowHeight - Scale(3)};
    FillRect(dc, &bar, highlight);
    DrawTextIn(dc, texts[i].second,
               {barLeft + length + margin, y, barLeft + length + margin + textWidth + margin,
                y + rowHeight},
               DT_LEFT | DT_VCENTER);
    y += rowHeight;
  }
  SelectObject(dc, oldFont);
}

void ViewerWindow::ChartClicked(int x, int y) {
  if (m_page.strip.empty() || y < m_stripArea.top || y >= m_stripArea.bottom) return;
  const int margin = Scale(kMargin);
  const int inner = m_stripArea.right - 2 * margin;
  if (inner <= 0 || x < margin || x >= margin + inner) return;
  m_presenter.ChooseMonth((x - margin) * static_cast<int>(m_page.strip.size()) / inner + 1);
}

// The lines that could not be read, listed with their numbers in a window
// of their own over the viewer, which waits until it is closed.
void ViewerWindow::ShowUnreadableLines() {
  if (m_lines) return;
  m_lines = CreateWindowExW(
      0, kLinesClass, L"読めなかった行",
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, CW_USEDEFAULT,
      CW_USEDEFAULT, Scale(640), Scale(360), m_hwnd, nullptr, m_instance, this);
  if (!m_lines) return;
  const auto child = [this](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
    HWND control =
        CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, m_lines,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
  };
  const std::vector<ViewerUnreadable> lines = m_presenter.UnreadableLines();
  const std::uint64_t count = m_page.unreadableCount;
  const std::wstring note = count > lines.size() ? std::to_wstring(count) + L" 行のうち最初の " +
                                                       std::to_wstring(lines.size()) + L" 行"
                                                 : std::to_wstring(count) + L" 行";
  m_linesNote = child(L"STATIC", note.c_str(), SS_LEFT | SS_NOPREFIX, 0);
  m_linesList =
      child(WC_LISTVIEWW, L"",
            LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_BORDER, 0);
  ListView_SetExtendedListViewStyle(m_linesList, LVS_EX_FULLROWSELECT);
  m_linesClose = child(L"BUTTON", L"閉じる", BS_PUSHBUTTON | WS_TABSTOP, kLinesClose);
  AddColumn(m_linesList, 0, L"行", Scale(60), LVCFMT_LEFT);
  AddColumn(m_linesList, 1, L"内容", Scale(540), LVCFMT_LEFT);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::wstring number = Utf16(lines[i].lineText);
    std::wstring text = Utf16(lines[i].text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = number.data();
    ListView_InsertItem(m_linesList, &item);
    ListView_SetItemText(m_linesList, static_cast<int>(i), 1, text.data());
  }
  RECT client{};
  GetClientRect(m_lines, &client);
  SendMessageW(m_lines, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  EnableWindow(m_hwnd, FALSE);
  ShowWindow(m_lines, SW_SHOW);
  SetFocus(m_linesList);
}

void ViewerWindow::CloseUnreadableLines() {
  if (!m_lines) return;
  EnableWindow(m_hwnd, TRUE);
  HWND lines = m_lines;
  m_lines = nullptr;
  m_linesList = m_linesNote = m_linesClose = nullptr;
  DestroyWindow(lines);
}

void ViewerWindow::CopyLines() {
  std::wstring text;
  wchar_t cell[2048];
  for (const int i : SelectedRows(m_linesList)) {
    ListView_GetItemText(m_linesList, i, 0, cell, 2048);
    text += cell;
    text += L'\t';
    ListView_GetItemText(m_linesList, i, 1, cell, 2048);
    text += cell;
    text += L"\r\n";
  }
  if (!PutClipboardText(m_lines, text)) MessageBeep(MB_ICONHAND);
}

LRESULT CALLBACK ViewerWindow::LinesProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  ViewerWindow* self = Self(hwnd);
  if (!self || self->m_lines != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->OnLinesMessage(msg, wParam, lParam);
}

LRESULT ViewerWindow::OnLinesMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: {
      const int width = LOWORD(lParam);
      const int height = HIWORD(lParam);
      const int margin = Scale(kMargin);
      const int rowHeight = Scale(kRowHeight);
      const int noteHeight = Scale(20);
      MoveWindow(m_linesNote, margin, margin, width - 2 * margin, noteHeight, TRUE);
      const int buttonWidth = TextWidth(m_font, L"閉じる") + Scale(40);
      const int listTop = margin + noteHeight + Scale(kGap);
      const int buttonTop = height - margin - rowHeight;
      MoveWindow(m_linesList, margin, listTop, width - 2 * margin,
                 std::max(0, buttonTop - Scale(kGap) - listTop), TRUE);
      MoveWindow(m_linesClose, width - margin - buttonWidth, buttonTop, buttonWidth, rowHeight,
                 TRUE);
      RECT listClient{};
      GetClientRect(m_linesList, &listClient);
      ListView_SetColumnWidth(m_linesList, 1,
                              std::max(Scale(80), static_cast<int>(listClient.right) -
                                                      ListView_GetColumnWidth(m_linesList, 0)));
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kLinesClose || LOWORD(wParam) == IDCANCEL) {
        CloseUnreadableLines();
        return 0;
      }
      break;
    case WM_CLOSE:
      CloseUnreadableLines();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_lines, msg, wParam, lParam);
}

}  // namespace mametan::win32
