#include "win32/ViewerWindow.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "win32/Boxes.h"
#include "win32/Clipboard.h"
#include "win32/CorrectionWindow.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"MametanViewer";

enum : int {
  kPrev = 100,
  kNext,
  kYear,
  kUnreadable,
};
constexpr UINT_PTR kChangeTimer = 1;
constexpr UINT_PTR kReadTimer = 2;
constexpr COLORREF kStatusColour = RGB(176, 0, 0);

// Designed sizes in pixels at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRowHeight = 28;

ViewerWindow* Self(HWND hwnd) {
  return reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void SetText(HWND control, const std::wstring& text) { SetWindowTextW(control, text.c_str()); }

}  // namespace

ViewerWindow::ViewerWindow(HINSTANCE instance, int today)
    : m_instance(instance), m_presenter(*this, today) {}

ViewerWindow::~ViewerWindow() {
  CloseHandles();
  m_lines.Close();
  if (m_hwnd) DestroyWindow(m_hwnd);
  for (HFONT font : {m_font, m_bigFont}) {
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

  m_hwnd = CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, L"",
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, this);
  if (!m_hwnd) return false;
  m_dpi = GetDpiForWindow(m_hwnd);
  MakeFonts();

  const auto child = [this](const wchar_t* cls, const std::wstring& text, DWORD style, int id,
                            DWORD exStyle = 0) {
    HWND control = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                                   0, 0, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   m_instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    return control;
  };
  m_prev = child(L"BUTTON", Wide(viewer_text::kPrevious), BS_PUSHBUTTON | WS_TABSTOP, kPrev);
  m_month = child(L"STATIC", L"", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0);
  m_next = child(L"BUTTON", Wide(viewer_text::kNext), BS_PUSHBUTTON | WS_TABSTOP, kNext);
  m_year = child(L"EDIT", L"", ES_NUMBER | ES_RIGHT | WS_TABSTOP, kYear, WS_EX_CLIENTEDGE);
  SendMessageW(m_year, EM_SETLIMITTEXT, 4, 0);
  m_yearSpin = child(UPDOWN_CLASSW, L"",
                     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0);
  SendMessageW(m_yearSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_year), 0);
  SendMessageW(m_yearSpin, UDM_SETRANGE32, kViewerFirstYear, kViewerLastYear);
  m_yearLabel = child(L"STATIC", Wide(viewer_text::kYear), SS_LEFT | SS_CENTERIMAGE, 0);
  m_total = child(L"STATIC", L"", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, 0);
  m_unreadable = child(L"BUTTON", L"", BS_PUSHBUTTON | WS_TABSTOP, kUnreadable);
  m_status = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0);
  m_list = child(WC_LISTVIEWW, L"",
                 LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER, 0);
  ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  if (!m_chart.Create(m_instance, m_hwnd, static_cast<int>(m_dpi))) return false;
  SendMessageW(m_month, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);
  SendMessageW(m_total, WM_SETFONT, reinterpret_cast<WPARAM>(m_bigFont), FALSE);

  for (std::size_t i = 0; i < kViewerColumns.size(); ++i) {
    std::wstring title = Wide(kViewerColumns[i].title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = kViewerColumns[i].alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = Scale(90);  // fitted to the texts as they are shown
    column.pszText = title.data();
    ListView_InsertColumn(m_list, static_cast<int>(i), &column);
  }

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
  for (HFONT font : {m_font, m_bigFont}) {
    if (font) DeleteObject(font);
  }
  const int dpi = static_cast<int>(m_dpi);
  m_font = MakeFont(12, dpi);
  m_bigFont = MakeFont(16, dpi, {.weight = FW_BOLD});
}

int ViewerWindow::TextWidth(HFONT font, const std::wstring& text) const {
  HDC dc = GetDC(m_hwnd);
  const HGDIOBJ old = SelectObject(dc, font);
  const int width = TextExtent(dc, text);
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
  place(m_month, TextWidth(m_bigFont, Wide(viewer_text::kMonthWidest)) + Scale(16));
  place(m_next, width(m_next, m_font) + buttonPadding);
  x += gap;
  const int yearWidth = TextWidth(m_font, L"00000") + Scale(12) + GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(m_year, x, y + Scale(2), yearWidth, rowHeight - Scale(4), TRUE);
  SendMessageW(m_yearSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(m_year), 0);
  x += yearWidth + Scale(4);
  place(m_yearLabel, TextWidth(m_font, Wide(viewer_text::kYear)) + Scale(4));
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
  const int listWidth = inner * 2 / 5;  // the charts three fifths, as in the Qt window
  MoveWindow(m_list, margin, top, listWidth, height, TRUE);
  MoveWindow(m_chart.Handle(), margin + listWidth + gap, top, inner - listWidth, height, TRUE);
  FitColumns();
}

// The date, kind and price columns as wide as their texts (the kind's at
// most a third of the list), the goods column what they leave.
void ViewerWindow::FitColumns() {
  RECT listClient{};
  GetClientRect(m_list, &listClient);
  const int pad = Scale(14);
  int kindWidth = ListView_GetStringWidth(m_list, Wide(kViewerColumns[1].title).c_str()) + pad;
  // The month's kinds are its bars' labels: measured once each, not once a row.
  for (const ViewerBar& bar : m_page.bars) {
    kindWidth = std::max(kindWidth, ListView_GetStringWidth(m_list, Wide(bar.label).c_str()) + pad);
  }
  const std::wstring widestPrice = L"-" + Wide(GroupThousands(m_page.largestPrice));
  const int priceWidth = std::max(ListView_GetStringWidth(m_list, L"0,000,000"),
                                  ListView_GetStringWidth(m_list, widestPrice.c_str())) +
                         pad;
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
  // The same month in the file's order with more rows: the rows shown are
  // still there, with appends; the selection stays.
  const bool sameMonth = page.year == m_page.year && page.month == m_page.month;
  const bool appended =
      sameMonth && page.sortColumn < 0 && m_page.sortColumn < 0 && page.rowCount >= m_page.rowCount;
  m_page = page;
  SetText(m_hwnd, Wide(page.title));
  SetText(m_month, Wide(page.monthText));
  m_updating = true;
  SendMessageW(m_yearSpin, UDM_SETPOS32, 0, page.year);
  m_updating = false;
  SetText(m_total, Wide(page.totalText));
  SetText(m_status, Wide(page.status));
  const std::wstring unreadable = Wide(page.unreadableText);
  wchar_t shown[256] = {};
  GetWindowTextW(m_unreadable, shown, 256);
  SetText(m_unreadable, unreadable);
  EnableWindow(m_unreadable, page.unreadableCount > 0);
  if (statusChanged || unreadable != shown) Layout();

  m_cachedRow = -1;
  // The heading of the column the rows are sorted by shows which way.
  HWND header = ListView_GetHeader(m_list);
  for (int i = 0; i < static_cast<int>(kViewerColumns.size()); ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == page.sortColumn) item.fmt |= page.sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, i, &item);
  }
  FillList(appended, sameMonth);
  FitColumns();
  m_chart.ShowPage(m_page);
}

void ViewerWindow::FillList(bool appended, bool sameMonth) {
  // A month read again (after a deletion, say) keeps the keyboard's row.
  int keep = -1;
  if (!appended) {
    // One by one while few: the list's "every item" goes through all rows.
    if (ListView_GetSelectedCount(m_list) > 64) {
      ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    } else {
      for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0;
           i = ListView_GetNextItem(m_list, i, LVNI_SELECTED)) {
        ListView_SetItemState(m_list, i, 0, LVIS_SELECTED);
      }
    }
    const int focused = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
    if (focused >= 0) ListView_SetItemState(m_list, focused, 0, LVIS_FOCUSED);
    if (sameMonth) keep = focused;
  }
  ListView_SetItemCountEx(m_list, static_cast<int>(m_page.rowCount), LVSICF_NOSCROLL);
  if (keep >= 0 && m_page.rowCount > 0) {
    const int row = std::min(keep, static_cast<int>(m_page.rowCount) - 1);
    ListView_SetItemState(m_list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  }
  InvalidateRect(m_list, nullptr, FALSE);
}

void ViewerWindow::WatchFile(const std::string& path) {
  m_watchedFile.clear();
  if (!path.empty()) {
    const std::wstring wide = Wide(path);
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH * 4, full, nullptr);
    if (length > 0 && length < MAX_PATH * 4) m_watchedFile = full;
  }
  Rearm();
}

namespace {

// The folder above `path` ("C:\a\b" -> "C:\a\"), or empty at a root.
std::wstring FolderAbove(const std::wstring& path) {
  std::wstring folder = path;
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  const std::size_t slash = folder.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  folder.resize(slash + 1);
  // "C:" alone is not a folder; a root keeps its slash.
  return folder;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Which folder is at `path` now: one deleted and made again is another.
std::uint64_t FolderIdentity(const std::wstring& path) {
  HANDLE folder =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL got = GetFileInformationByHandle(folder, &info);
  CloseHandle(folder);
  if (!got) return 0;
  return (std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow) ^
         (std::uint64_t{info.dwVolumeSerialNumber} << 48);
}

}  // namespace

void ViewerWindow::CloseHandles() {
  for (Watch& watch : m_watches) {
    if (watch.handle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(watch.handle);
    watch = {};
  }
}

void ViewerWindow::Rearm() {
  std::array<std::wstring, 2> wanted;
  if (!m_watchedFile.empty()) {
    std::wstring folder = FolderAbove(m_watchedFile);
    while (!folder.empty() && !IsFolder(folder)) folder = FolderAbove(folder);
    if (!folder.empty()) {
      wanted[0] = folder;
      const std::wstring above = FolderAbove(folder);
      if (!above.empty() && IsFolder(above)) wanted[1] = above;
    }
  }
  for (std::size_t i = 0; i < m_watches.size(); ++i) {
    Watch& watch = m_watches[i];
    const std::uint64_t identity = wanted[i].empty() ? 0 : FolderIdentity(wanted[i]);
    if (watch.handle != INVALID_HANDLE_VALUE && watch.folder == wanted[i] &&
        watch.identity == identity)
      continue;
    if (watch.handle != INVALID_HANDLE_VALUE) FindCloseChangeNotification(watch.handle);
    watch = {};
    if (wanted[i].empty()) continue;
    // The folder itself: its files written, made, deleted or renamed; the
    // one above: only folders, which is where the ledger's folder goes.
    const DWORD filter = i == 0 ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                      FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE
                                : FILE_NOTIFY_CHANGE_DIR_NAME;
    watch.handle = FindFirstChangeNotificationW(wanted[i].c_str(), FALSE, filter);
    if (watch.handle == INVALID_HANDLE_VALUE) continue;
    watch.folder = wanted[i];
    watch.identity = identity;
  }
}

void ViewerWindow::Noticed() {
  // Waits for quiet, but a steady stream of notices is read within the bound.
  const std::int64_t wait = m_delay.Notice(static_cast<std::int64_t>(GetTickCount64()));
  SetTimer(m_hwnd, kChangeTimer,
           static_cast<UINT>(std::max<std::int64_t>(wait, USER_TIMER_MINIMUM)), nullptr);
}

void ViewerWindow::ReadOnLater() {
  // A timer, not a posted message: WM_TIMER comes after input and WM_PAINT,
  // so the window stays alive between the steps of a long read.
  SetTimer(m_hwnd, kReadTimer, USER_TIMER_MINIMUM, nullptr);
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
      if (root && (root == m_hwnd || root == m_lines.Handle()) && IsDialogMessageW(root, &msg))
        continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const HWND focus = GetFocus();
    if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
    // Waits for a message or a change in the ledger's folders, whichever
    // comes first.
    HANDLE handles[2];
    std::size_t watches[2];
    DWORD count = 0;
    for (std::size_t i = 0; i < m_watches.size(); ++i) {
      if (m_watches[i].handle == INVALID_HANDLE_VALUE) continue;
      handles[count] = m_watches[i].handle;
      watches[count] = i;
      ++count;
    }
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(count, handles, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke >= WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count) {
      Watch& watch = m_watches[watches[woke - WAIT_OBJECT_0]];
      if (!FindNextChangeNotification(watch.handle)) {
        // The folder is gone: the next read watches what is there then.
        FindCloseChangeNotification(watch.handle);
        watch = {};
      }
      Noticed();
    } else if (woke == WAIT_FAILED) {
      return 1;
    }
  }
}

bool ViewerWindow::PreTranslate(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  if (m_lines.PreTranslate(msg)) return true;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  const bool control = GetKeyState(VK_CONTROL) < 0;
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
  // Enter corrects the purchase the list is on, Delete deletes it; Ctrl+Z
  // and Ctrl+Y take back and do again wherever the focus is but in the
  // year, which has its own.
  if (msg.hwnd == m_list && !control && (msg.wParam == VK_RETURN || msg.wParam == VK_DELETE)) {
    if (const int row = CurrentRow(); row >= 0) {
      if (msg.wParam == VK_RETURN) {
        m_presenter.CorrectRow(static_cast<std::size_t>(row));
      } else {
        m_presenter.DeleteRow(static_cast<std::size_t>(row));
      }
    }
    return true;
  }
  if (!control) return false;
  if (msg.hwnd != m_year && (msg.wParam == 'Z' || msg.wParam == 'Y')) {
    if (msg.wParam == 'Y' || GetKeyState(VK_SHIFT) < 0) {
      m_presenter.Redo();
    } else {
      m_presenter.Undo();
    }
    return true;
  }
  if (msg.hwnd == m_list && msg.wParam == 'A') {
    ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
  }
  if (msg.hwnd == m_list && msg.wParam == 'C') {
    CopyRows();
    return true;
  }
  if (msg.hwnd == m_chart.Handle() && msg.wParam == 'C') {
    if (!m_chart.CopyBars()) MessageBeep(MB_ICONHAND);
    return true;
  }
  return false;
}

int ViewerWindow::CurrentRow() const {
  const int row = ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
  return row >= 0 && static_cast<std::size_t>(row) < m_page.rowCount ? row : -1;
}

bool ViewerWindow::AskYesNo(const std::string& question) {
  return MessageBoxW(m_hwnd, Wide(question).c_str(), kApplicationTitle,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void ViewerWindow::OpenCorrection(const LedgerLineBytes& purchase) {
  CorrectionWindow window(m_instance, m_hwnd, m_presenter.history(), m_presenter.kindFile());
  if (window.Correct(purchase)) m_presenter.FileChanged();
}

void ViewerWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowProgramMessage(m_hwnd, text, icon);
}

void ViewerWindow::ShowErrorBox(const std::string& text) { ShowStandardErrorBox(text, m_hwnd); }

void ViewerWindow::CopyRows() {
  std::vector<std::size_t> rows;
  for (int i = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); i >= 0;
       i = ListView_GetNextItem(m_list, i, LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(i));
  }
  if (!PutClipboardText(m_hwnd, Wide(m_presenter.RowsText(rows, "\r\n")))) MessageBeep(MB_ICONHAND);
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
      // The keyboard starts in the list, and comes back where it was.
      SetFocus(m_lastFocus && IsChild(m_hwnd, m_lastFocus) && IsWindowVisible(m_lastFocus) &&
                       IsWindowEnabled(m_lastFocus)
                   ? m_lastFocus
                   : m_list);
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
      for (HWND control : {m_prev, m_next, m_year, m_yearLabel, m_unreadable, m_status, m_list}) {
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
      }
      m_lines.SetFont(m_font);
      m_chart.SetDpi(static_cast<int>(m_dpi));
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
          m_lines.Show(m_instance, m_hwnd, m_font, m_presenter.UnreadableLines(),
                       m_page.unreadableCount);
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
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam), lParam);
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == m_status) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        // A fault in red; how far a read has come in the usual colour.
        SetTextColor(dc, m_page.reading ? GetSysColor(COLOR_WINDOWTEXT) : kStatusColour);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_TIMER:
      if (wParam == kChangeTimer) {
        KillTimer(m_hwnd, kChangeTimer);
        m_delay.Read();
        Rearm();
        m_presenter.FileChanged();
        return 0;
      }
      if (wParam == kReadTimer) {
        KillTimer(m_hwnd, kReadTimer);
        m_presenter.ReadOn();
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
      m_lines.Close();
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

LRESULT ViewerWindow::OnNotify(const NMHDR& header, LPARAM lParam) {
  if (header.hwndFrom == m_list && header.code == LVN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
    const auto row = static_cast<std::size_t>(info->item.iItem);
    const auto column = static_cast<std::size_t>(info->item.iSubItem);
    if ((info->item.mask & LVIF_TEXT) && row < m_page.rowCount && column < 4) {
      if (info->item.iItem != m_cachedRow) {
        const ViewerRow shown = m_presenter.Row(row);
        m_cached = {Wide(shown.date), Wide(shown.kind), Wide(shown.goods), Wide(shown.priceText)};
        m_cachedRow = info->item.iItem;
      }
      info->item.pszText = const_cast<wchar_t*>(m_cached[column].c_str());
    }
    return 0;
  }
  if (header.hwndFrom == m_list && header.code == LVN_ITEMACTIVATE) {
    // A double click on a row; Enter is taken before the list sees it.
    const int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
    if (row >= 0 && static_cast<std::size_t>(row) < m_page.rowCount) {
      m_presenter.CorrectRow(static_cast<std::size_t>(row));
    }
    return 0;
  }
  if (header.hwndFrom == m_list && header.code == LVN_COLUMNCLICK) {
    m_presenter.SortBy(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    return 0;
  }
  return 0;
}

}  // namespace mametan::win32
