#include "win32/SpinEdit.h"

#include <imm.h>

#include <algorithm>

#include "core/common/IntegerText.h"
#include "core/controls/SpinRules.h"
#include "win32/CommonControls.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr UINT_PTR kSubclassId = 2;
// The buttons' width in pixels at 96 dots per inch.
constexpr int kButtonWidth = 15;

char32_t DecimalSeparator() {
  wchar_t sep[8] = L".";
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, sep, 8) <= 0) return U'.';
  return sep[0];
}

}  // namespace

SpinEdit::~SpinEdit() {
  if (m_hwnd && IsWindow(m_hwnd)) RemoveSubclass(m_hwnd, &SpinEdit::Proc, kSubclassId);
}

void SpinEdit::Attach(HWND edit) {
  m_hwnd = edit;
  // Digits only: no Japanese input here.
  ImmAssociateContextEx(edit, nullptr, 0);
  m_up.Create(edit, 1, SpeedButton::Glyph::ArrowUp);
  m_down.Create(edit, 2, SpeedButton::Glyph::ArrowDown);
  for (SpeedButton* b : {&m_up, &m_down}) {
    b->SetRepeating(true);
    // A press on a button puts the focus into the field.
    b->OnPress = [this] {
      if (GetFocus() != m_hwnd && IsWindowEnabled(m_hwnd) && IsWindowVisible(m_hwnd)) {
        SetFocus(m_hwnd);
      }
    };
  }
  m_up.OnClick = [this] { UpClick(); };
  m_down.OnClick = [this] { DownClick(); };
  SetSubclass(edit, &SpinEdit::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SetWindowTextW(edit, L"0");
  FitHeightAndPlaceButtons();
}

std::int32_t SpinEdit::GetValue() {
  const SpinRead read = ReadSpinText(Utf8(WindowTextOf(m_hwnd)), MinValue);
  if (read.replaced) SetWindowTextW(m_hwnd, Wide(IntToStr(MinValue)).c_str());
  return read.value;
}

void SpinEdit::SetValue(std::int32_t value) {
  SetWindowTextW(m_hwnd, Wide(IntToStr(CheckSpinValue(value, MinValue, MaxValue))).c_str());
}

bool SpinEdit::ReadOnly() const { return (GetWindowLongW(m_hwnd, GWL_STYLE) & ES_READONLY) != 0; }

void SpinEdit::Step(bool up) {
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetValue(StepSpinValue(GetValue(), Increment, up));
}

void SpinEdit::UpClick() { Step(true); }
void SpinEdit::DownClick() { Step(false); }

int SpinEdit::GetMinHeight() const {
  HDC dc = GetDC(nullptr);
  const int screen = FontHeight(dc, static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  const int field = FontHeight(dc, reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0)));
  ReleaseDC(nullptr, dc);
  const int border = GetSystemMetricsForDpi(SM_CYBORDER, GetDpiForWindow(m_hwnd));
  return field + std::min(screen, field) / 4 + 4 * border + 2;
}

void SpinEdit::FitHeightAndPlaceButtons() {
  RECT frame{};
  GetWindowRect(m_hwnd, &frame);
  const int minHeight = GetMinHeight();
  if (frame.bottom - frame.top < minHeight) {
    // The size message that follows places the buttons.
    SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, minHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT client{};
  GetClientRect(m_hwnd, &client);
  const int width = Scaled(kButtonWidth, DpiOf(m_hwnd));
  const int height = client.bottom - client.top;
  const int left = client.right - width;
  // The two halves overlap by one pixel.
  const int upHeight = height / 2;
  SetWindowPos(m_up.Handle(), nullptr, left, 0, width, upHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(m_down.Handle(), nullptr, left, upHeight - 1, width, height - upHeight + 1,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The text stops short of the buttons.
  SendMessageW(m_hwnd, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width + 2));
}

void SpinEdit::ExitCheck() {
  const std::int32_t value = GetValue();
  if (CheckSpinValue(value, MinValue, MaxValue) != value) SetValue(value);
}

LRESULT CALLBACK SpinEdit::Proc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR self) {
  return reinterpret_cast<SpinEdit*>(self)->Handle(msg, wParam, lParam);
}

LRESULT SpinEdit::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclass(m_hwnd, msg, wParam, lParam);
}

LRESULT SpinEdit::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE: {
      // Enter is the field's own, to be refused, not the default button's.
      LRESULT code = Default(msg, wParam, lParam);
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == VK_UP || wParam == VK_DOWN) {
        Step(wParam == VK_UP);
        return 0;
      }
      // The EDIT class would hand Enter to the dialog's default button; its
      // character is refused below instead.
      if (wParam == VK_RETURN) return 0;
      break;
    case WM_CHAR:
      if (!IsValidSpinChar(static_cast<char32_t>(wParam), DecimalSeparator(), EditorEnabled)) {
        MessageBeep(0);
        return 0;
      }
      break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (!EditorEnabled || ReadOnly()) return 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = Default(msg, wParam, lParam);
      // Only a move to another control of the same window checks the range:
      // a message box or another program taking the keyboard does not.
      const auto to = reinterpret_cast<HWND>(wParam);
      if (to && GetAncestor(to, GA_ROOT) == GetAncestor(m_hwnd, GA_ROOT)) ExitCheck();
      return result;
    }
    case WM_PAINT: {
      // The EDIT class paints with its parent's device context, which does
      // not leave out the field's own children: the buttons are drawn again
      // over it.
      const LRESULT result = Default(msg, wParam, lParam);
      for (SpeedButton* b : {&m_up, &m_down}) {
        RedrawWindow(b->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      }
      return result;
    }
    case WM_SIZE: {
      const LRESULT result = Default(msg, wParam, lParam);
      FitHeightAndPlaceButtons();
      return result;
    }
    case WM_SETFONT: {
      const LRESULT result = Default(msg, wParam, lParam);
      FitHeightAndPlaceButtons();
      return result;
    }
    default:
      break;
  }
  return Default(msg, wParam, lParam);
}

}  // namespace mametan::win32
