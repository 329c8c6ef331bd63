#include "win32/ViewerChart.h"

#include <algorithm>
#include <string>

#include "win32/Clipboard.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kChartClass[] = L"MametanViewerChart";
constexpr wchar_t kStripClass[] = L"MametanViewerStrip";

// Designed sizes in pixels at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kPad = 4;
constexpr int kMarkFrame = 1;
constexpr int kStripMargin = 4;

ViewerChart* Self(HWND hwnd) {
  return reinterpret_cast<ViewerChart*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void DrawTextIn(HDC dc, const std::wstring& text, RECT box, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
            format | DT_SINGLELINE | DT_NOPREFIX);
}

RECT Win(const StripRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Paints a window's content off screen first, so that a change does not flicker.
template <typename Paint>
void PaintBuffered(HWND hwnd, Paint paint) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  RECT area{};
  GetClientRect(hwnd, &area);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
  const HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  paint(memory, area);
  BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(hwnd, &ps);
}

}  // namespace

ViewerChart::~ViewerChart() {
  for (HFONT font : {m_font, m_smallFont}) {
    if (font) DeleteObject(font);
  }
}

bool ViewerChart::Create(HINSTANCE instance, HWND parent, int dpi) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ChartProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kChartClass;
  RegisterClassExW(&windowClass);
  windowClass.lpfnWndProc = StripProc;
  windowClass.lpszClassName = kStripClass;
  RegisterClassExW(&windowClass);

  SetDpi(dpi);
  m_hwnd =
      CreateWindowExW(0, kChartClass, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0,
                      0, 0, 0, parent, nullptr, instance, this);
  if (!m_hwnd) return false;
  m_strip = CreateWindowExW(0, kStripClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hwnd, nullptr,
                            instance, this);
  return m_strip != nullptr;
}

int ViewerChart::Scale(int pixels) const { return Scaled(pixels, m_dpi); }

void ViewerChart::SetDpi(int dpi) {
  m_dpi = dpi;
  for (HFONT font : {m_font, m_smallFont}) {
    if (font) DeleteObject(font);
  }
  m_font = MakeFont(12, dpi);
  m_smallFont = MakeFont(11, dpi);
  PlaceStrip();
}

void ViewerChart::ShowPage(const ViewerPage& page) {
  m_bars = page.bars;
  m_cells = page.strip;
  UpdateStripText();
  InvalidateRect(m_hwnd, nullptr, FALSE);
  InvalidateRect(m_strip, nullptr, FALSE);
}

bool ViewerChart::CopyBars() const {
  return PutClipboardText(m_hwnd, Wide(m_presenter.BarsText("\r\n")));
}

// The strip lies below its caption, across the control.
void ViewerChart::PlaceStrip() {
  if (!m_hwnd || !m_strip) return;
  RECT area{};
  GetClientRect(m_hwnd, &area);
  HDC dc = GetDC(m_hwnd);
  const int lineHeight = FontHeight(dc, m_font);
  ReleaseDC(m_hwnd, dc);
  const int top = Scale(kPad) + lineHeight + Scale(kPad);
  MoveWindow(m_strip, 0, top, area.right, lineHeight * 6, TRUE);
  UpdateStripText();
}

std::vector<StripCell> ViewerChart::LayOutStrip(HDC dc) const {
  RECT area{};
  GetClientRect(m_strip, &area);
  const int pad = Scale(kPad);
  const StripMetrics metrics{area.right,
                             area.bottom,
                             FontHeight(dc, m_smallFont) + pad,
                             FontHeight(dc, m_font) + pad / 2,
                             Scale(kStripMargin),
                             pad,
                             Scale(kMarkFrame),
                             Scale(4)};
  const auto measure = [dc](HFONT font) {
    return [dc, font](const std::string& text) {
      const HGDIOBJ old = SelectObject(dc, font);
      const int width = TextExtent(dc, Wide(text));
      SelectObject(dc, old);
      return width;
    };
  };
  return LayOutMonthStrip(m_cells, metrics, measure(m_smallFont), measure(m_font));
}

// The strip's labels as its window text, tab between the months, so that
// what it shows can be read without its pixels.
void ViewerChart::UpdateStripText() {
  if (!m_strip) return;
  HDC dc = GetDC(m_strip);
  const std::wstring text = Wide(StripText(LayOutStrip(dc)));
  ReleaseDC(m_strip, dc);
  SetWindowTextW(m_strip, text.c_str());
}

// The captions and the bars: labels right-aligned before them, amount and
// share after. The strip paints itself between the captions.
void ViewerChart::PaintChart(HDC dc, const RECT& area) const {
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
  if (GetFocus() == m_hwnd) DrawFocusRect(dc, &area);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldFont = SelectObject(dc, m_font);
  const int lineHeight = FontHeight(dc, m_font);
  const int pad = Scale(kPad);
  const int margin = Scale(kMargin);
  const int width = area.right - area.left;

  int y = pad;
  DrawTextIn(dc, Wide(viewer_text::kStripCaption), {margin, y, width - margin, y + lineHeight},
             DT_LEFT);
  RECT strip{};
  GetWindowRect(m_strip, &strip);
  MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&strip), 2);
  y = strip.bottom + 2 * pad;
  DrawTextIn(dc, Wide(viewer_text::kKindsCaption), {margin, y, width - margin, y + lineHeight},
             DT_LEFT);
  y += lineHeight + pad;

  int labelWidth = 0;
  int textWidth = 0;
  std::vector<std::pair<std::wstring, std::wstring>> texts;
  for (const ViewerBar& bar : m_bars) {
    std::wstring amount = Wide(bar.amountText);
    if (!bar.shareText.empty()) amount += L"  " + Wide(bar.shareText);
    texts.emplace_back(Wide(bar.label), amount);
    labelWidth = std::max(labelWidth, TextExtent(dc, texts.back().first));
    textWidth = std::max(textWidth, TextExtent(dc, texts.back().second));
  }
  labelWidth = std::min(labelWidth, width * 2 / 5);
  const int barLeft = margin + labelWidth + margin;
  const int barSpace = std::max(0, width - barLeft - textWidth - 2 * margin);
  const int rowHeight = lineHeight + Scale(8);
  const HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  for (std::size_t i = 0; i < m_bars.size(); ++i) {
    if (y >= area.bottom) break;
    DrawTextIn(dc, texts[i].first, {margin, y, margin + labelWidth, y + rowHeight},
               DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS);
    const int length = static_cast<int>(barSpace * m_bars[i].length);
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

// Each month a column, its total above its bar and the month below, as the
// core's strip layout places and fits them.
void ViewerChart::PaintStrip(HDC dc, const RECT& area) const {
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldFont = SelectObject(dc, m_font);
  const HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
  const HBRUSH shadow = GetSysColorBrush(COLOR_BTNSHADOW);
  const int frame = Scale(kMarkFrame);
  for (const StripCell& cell : LayOutStrip(dc)) {
    if (cell.chosen) {
      const StripRect& m = cell.mark;
      RECT mark = Win(m);
      FillRect(dc, &mark, GetSysColorBrush(COLOR_BTNFACE));
      for (const RECT edge : {RECT{m.left, m.top, m.right, m.top + frame},
                              RECT{m.left, m.bottom - frame, m.right, m.bottom},
                              RECT{m.left, m.top, m.left + frame, m.bottom},
                              RECT{m.right - frame, m.top, m.right, m.bottom}}) {
        FillRect(dc, &edge, highlight);
      }
    }
    RECT bar = Win(cell.bar);
    FillRect(dc, &bar, cell.chosen ? highlight : shadow);
    SelectObject(dc, m_smallFont);
    DrawTextIn(dc, Wide(cell.amount), Win(cell.amountBox), DT_CENTER | DT_VCENTER);
    SelectObject(dc, m_font);
    DrawTextIn(dc, Wide(cell.monthText), Win(cell.monthBox), DT_CENTER | DT_VCENTER);
  }
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK ViewerChart::ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  ViewerChart* self = Self(hwnd);
  switch (msg) {
    case WM_PAINT:
      PaintBuffered(hwnd, [self](HDC dc, const RECT& area) {
        if (self) self->PaintChart(dc, area);
      });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (self && self->m_hwnd == hwnd) self->PlaceStrip();
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      // A press takes the focus, so that Ctrl+C copies the bars.
      SetFocus(hwnd);
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

LRESULT CALLBACK ViewerChart::StripProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  ViewerChart* self = Self(hwnd);
  switch (msg) {
    case WM_PAINT:
      PaintBuffered(hwnd, [self](HDC dc, const RECT& area) {
        if (self) self->PaintStrip(dc, area);
      });
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      if (!self) return 0;
      SetFocus(self->m_hwnd);
      HDC dc = GetDC(hwnd);
      const int month = StripMonthAt(self->LayOutStrip(dc), static_cast<short>(LOWORD(lParam)),
                                     static_cast<short>(HIWORD(lParam)));
      ReleaseDC(hwnd, dc);
      if (month > 0) self->m_presenter.ChooseMonth(month);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace mametan::win32
