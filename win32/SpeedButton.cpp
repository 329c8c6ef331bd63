#include "win32/SpeedButton.h"

#include <windowsx.h>

#include <exception>

#include "core/controls/SpinRules.h"
#include "win32/Boxes.h"
#include "win32/Dpi.h"

namespace mametan::win32 {
namespace {

constexpr wchar_t kClassName[] = L"MametanSpeedButton";

}  // namespace

void SpeedButton::RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &SpeedButton::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

namespace {

// The arrow glyph: a black triangle of rows 1, 3, 5 and 7 units wide, on a
// 9 x 6 field, pointing up or down, each unit `unit` pixels square.
void DrawArrow(HDC dc, const RECT& r, bool up, int unit, bool shifted) {
  const int width = 9 * unit;
  const int height = 6 * unit;
  const int left = r.left + (r.right - r.left - width) / 2 + (shifted ? 1 : 0);
  const int top = r.top + (r.bottom - r.top - height) / 2 + (shifted ? 1 : 0);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int row = 1; row <= 4; ++row) {
    const int y = up ? row : 5 - row;
    const int x = 4 - (row - 1);
    const RECT line{left + x * unit, top + y * unit, left + (x + 2 * row - 1) * unit,
                    top + (y + 1) * unit};
    FillRect(dc, &line, black);
  }
}

}  // namespace

SpeedButton::~SpeedButton() {
  // The parent may outlive this object: its child then answers by default.
  if (m_hwnd && IsWindow(m_hwnd)) SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
}

void SpeedButton::Create(HWND parent, int id, Glyph glyph) {
  RegisterClassOnce();
  m_glyph = glyph;
  m_hwnd = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), this);
}

void SpeedButton::SetIcon(HICON icon) {
  m_icon = icon;
  if (m_hwnd) InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT CALLBACK SpeedButton::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<SpeedButton*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<SpeedButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->Handle(msg, wParam, lParam);
}

bool SpeedButton::Inside(LPARAM point) const {
  RECT r{};
  GetClientRect(m_hwnd, &r);
  const POINT p{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  return PtInRect(&r, p) != FALSE;
}

void SpeedButton::SetShownDown(bool down) {
  if (down == m_shownDown) return;
  m_shownDown = down;
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

void SpeedButton::Click() {
  if (!OnClick) return;
  try {
    OnClick();
  } catch (const std::exception& e) {
    // A failing click ends the repeat; the error is shown as any other.
    KillTimer(m_hwnd, kRepeatTimer);
    m_held = false;
    if (GetCapture() == m_hwnd) ReleaseCapture();
    ShowStandardErrorBox(e.what());
  }
}

LRESULT SpeedButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEACTIVATE:
      // A press activates the window but leaves the focus where it is.
      return MA_ACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      m_held = true;
      SetCapture(m_hwnd);
      SetShownDown(true);
      if (OnPress) OnPress();
      if (m_repeating) SetTimer(m_hwnd, kRepeatTimer, kSpinFirstRepeatMs, nullptr);
      return 0;
    case WM_MOUSEMOVE: {
      if (!m_hot) {
        m_hot = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(m_hwnd, nullptr, TRUE);
      }
      if (m_held) SetShownDown(Inside(lParam));
      return 0;
    }
    case WM_MOUSELEAVE:
      m_hot = false;
      InvalidateRect(m_hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      const bool click = m_held && Inside(lParam);
      m_held = false;
      KillTimer(m_hwnd, kRepeatTimer);
      if (GetCapture() == m_hwnd) ReleaseCapture();
      SetShownDown(false);
      if (click) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hwnd && m_held) {
        // Taken away (a message box, another press): no click follows.
        m_held = false;
        KillTimer(m_hwnd, kRepeatTimer);
        SetShownDown(false);
      }
      return 0;
    case WM_TIMER:
      if (wParam != kRepeatTimer) return 0;
      SetTimer(m_hwnd, kRepeatTimer, kSpinRepeatMs, nullptr);
      if (m_held && m_shownDown && GetCapture() == m_hwnd) Click();
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      return DefWindowProcW(m_hwnd, msg, wParam, lParam);
  }
}

void SpeedButton::Paint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(m_hwnd, &ps);
  RECT r{};
  GetClientRect(m_hwnd, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  // Flat: a frame only while pressed, or raised while the pointer is over it.
  // The arrows keep theirs always, so the two halves read as buttons.
  const bool arrow = m_glyph != Glyph::Icon;
  if (m_shownDown) {
    DrawEdge(dc, &r, arrow ? EDGE_SUNKEN : BDR_SUNKENOUTER, BF_RECT);
  } else if (m_hot || arrow) {
    DrawEdge(dc, &r, arrow ? EDGE_RAISED : BDR_RAISEDINNER, BF_RECT);
  }
  const int dpi = DpiOf(m_hwnd);
  if (arrow) {
    DrawArrow(dc, r, m_glyph == Glyph::ArrowUp, dpi >= 192 ? dpi / 96 : 1, m_shownDown);
  } else if (m_icon) {
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    const int shift = m_shownDown ? 1 : 0;
    DrawIconEx(dc, r.left + (r.right - r.left - size) / 2 + shift,
               r.top + (r.bottom - r.top - size) / 2 + shift, m_icon, size, size, 0, nullptr,
               DI_NORMAL);
  }
  EndPaint(m_hwnd, &ps);
}

}  // namespace mametan::win32
