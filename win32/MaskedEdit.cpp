#include "win32/MaskedEdit.h"

#include <algorithm>
#include <cstring>

#include "core/controls/EDBEditError.h"
#include "core/platform/Cp932.h"
#include "win32/Boxes.h"
#include "win32/Clipboard.h"
#include "win32/CommonControls.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

// Posted to the field: the invalid-input box, shown once the focus change
// that found the fault is over.
constexpr UINT kReportInvalid = WM_APP + 1;

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string Bytes(std::wstring_view text) {
  // Characters without a code page 932 form count as one unfilled byte.
  std::string out;
  for (wchar_t c : text) {
    const auto b = cp932::Encode(Utf8(std::wstring_view(&c, 1)));
    out += b && !b->empty() ? *b : std::string(" ");
  }
  return out;
}

bool IsDown(int key) { return GetKeyState(key) < 0; }

MaskKey ToMaskKey(WPARAM key) {
  switch (key) {
    case VK_LEFT:
      return MaskKey::Left;
    case VK_RIGHT:
      return MaskKey::Right;
    case VK_UP:
      return MaskKey::Up;
    case VK_DOWN:
      return MaskKey::Down;
    case VK_HOME:
      return MaskKey::Home;
    case VK_END:
      return MaskKey::End;
    case VK_DELETE:
      return MaskKey::Delete;
    case VK_BACK:
      return MaskKey::Backspace;
    default:
      return MaskKey::Other;
  }
}

}  // namespace

void MaskedEdit::Attach(HWND edit) {
  m_hwnd = edit;
  SetSubclass(edit, &MaskedEdit::Proc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK MaskedEdit::Proc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
  return reinterpret_cast<MaskedEdit*>(self)->Handle(msg, wParam, lParam);
}

LRESULT MaskedEdit::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclass(m_hwnd, msg, wParam, lParam);
}

LRESULT MaskedEdit::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!m_engine.IsMasked() && msg != kReportInvalid) return Default(msg, wParam, lParam);
  try {
    switch (msg) {
      case WM_GETDLGCODE: {
        LRESULT code = Default(msg, wParam, lParam);
        // A modified field takes Esc for itself (it reverts); otherwise Esc
        // is the window's Cancel.
        auto* m = reinterpret_cast<MSG*>(lParam);
        if (m && m->message == WM_KEYDOWN && m->wParam == VK_ESCAPE && m_engine.WantsEscape()) {
          code |= DLGC_WANTMESSAGE;
        }
        return code;
      }
      case WM_KEYDOWN: {
        if (wParam == VK_ESCAPE) {
          if (m_engine.WantsEscape()) m_engine.Revert();
          return 0;
        }
        const MaskKey key = ToMaskKey(wParam);
        if (key == MaskKey::Other) return Default(msg, wParam, lParam);
        const MaskShift shift{IsDown(VK_SHIFT), IsDown(VK_CONTROL), IsDown(VK_MENU)};
        if (m_engine.KeyDown(key, shift)) {
          Default(msg, wParam, lParam);
          if (key == MaskKey::Left || key == MaskKey::Right) m_engine.KeyUp(key, shift);
        }
        return 0;
      }
      case WM_CHAR:
        Char(static_cast<wchar_t>(wParam));
        return 0;
      case WM_PASTE:
        Char(22);
        return 0;
      case WM_CUT:
        Char(24);
        return 0;
      case WM_CLEAR:
        m_engine.HandleDeleteKey(MaskKey::Delete);
        return 0;
      case WM_SETFOCUS: {
        const LRESULT r = Default(msg, wParam, lParam);
        if (m_returnAfterReport) {
          // Back from the invalid-input box: on the first position still to
          // fill, not the whole text selected as a fresh entry would have it.
          m_returnAfterReport = false;
          PlaceAtFirstUnfilled();
          return r;
        }
        if (m_engine.BeginFocusEntry()) SendMessageW(m_hwnd, EM_SETSEL, 0, -1);
        m_engine.FocusGained();
        m_engine.EndFocusEntry();
        return r;
      }
      case WM_KILLFOCUS: {
        const LRESULT r = Default(msg, wParam, lParam);
        // Only a move to another control of the same window leaves the field:
        // a message box, another window or another program taking the
        // keyboard does not, nor does anything while the field's own box is up.
        const auto next = reinterpret_cast<HWND>(wParam);
        if (!m_reportPending && next &&
            GetAncestor(next, GA_ROOT) == GetAncestor(m_hwnd, GA_ROOT)) {
          m_engine.FocusExit();
        }
        return r;
      }
      case WM_LBUTTONUP: {
        int s = 0, e = 0;
        FieldSelection(s, e);
        const LRESULT r = Default(msg, wParam, lParam);
        int s2 = 0, e2 = 0;
        FieldSelection(s2, e2);
        m_engine.MouseRelease(e2 > s);
        return r;
      }
      case kReportInvalid:
        // One box at a time: the report stays pending until the box is closed
        // and the field has the keyboard again.
        ShowStandardErrorBox(kInvalidInputMessage, GetAncestor(m_hwnd, GA_ROOT));
        // The dialog gives the focus back when the box closes, now or a moment
        // later, and selects the whole text as it does.
        m_returnAfterReport = true;
        FieldTakeFocus();
        if (GetFocus() == m_hwnd) {
          m_returnAfterReport = false;
          PlaceAtFirstUnfilled();
        }
        m_reportPending = false;
        return 0;
      default:
        return Default(msg, wParam, lParam);
    }
  } catch (const EDBEditError&) {
    Report();
    return 0;
  }
}

void MaskedEdit::PlaceAtFirstUnfilled() {
  const int p = m_engine.FirstUnfilledPosition();
  if (p >= 0) m_engine.PlaceCursor(p);
}

void MaskedEdit::Report() {
  if (m_reportPending) return;
  m_reportPending = true;
  PostMessageW(m_hwnd, kReportInvalid, 0, 0);
}

void MaskedEdit::RefuseUnfinished() {
  if (m_engine.FirstUnfilledPosition() < 0 || m_reportPending) return;
  try {
    if (GetFocus() != m_hwnd) FieldTakeFocus();
    m_engine.CheckComplete();
  } catch (const EDBEditError&) {
    Report();
  }
}

void MaskedEdit::Char(wchar_t c) {
  switch (c) {
    case 22:
      m_engine.Paste(Bytes(ClipboardText(m_hwnd).c_str()));
      return;
    case 24: {
      const std::wstring cut = Wide(cp932::Decode(m_engine.Cut()));
      if (!PutClipboardText(m_hwnd, cut)) MessageBeep(MB_ICONHAND);
      return;
    }
    case 3:
      Default(WM_COPY, 0, 0);
      return;
    case 27:
      return;
    default:
      break;
  }
  const auto bytes = cp932::Encode(Utf8(std::wstring_view(&c, 1)));
  if (!bytes || bytes->empty()) {
    FieldBeep();
    return;
  }
  m_engine.KeyPress(*bytes);
}

int MaskedEdit::ByteOffset(int utf16Index) const {
  const std::wstring text = WindowText(m_hwnd);
  return static_cast<int>(
      Bytes(std::wstring_view(text).substr(0, static_cast<std::size_t>(std::max(0, utf16Index))))
          .size());
}

int MaskedEdit::Utf16Index(int byteOffset) const {
  const std::wstring text = WindowText(m_hwnd);
  int bytes = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (bytes >= byteOffset) return static_cast<int>(i);
    bytes += static_cast<int>(Bytes(std::wstring_view(&text[i], 1)).size());
  }
  return static_cast<int>(text.size());
}

std::string MaskedEdit::FieldText() const { return Bytes(WindowText(m_hwnd)); }

void MaskedEdit::FieldSelection(int& start, int& end) const {
  DWORD s = 0, e = 0;
  SendMessageW(m_hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  start = ByteOffset(static_cast<int>(s));
  end = ByteOffset(static_cast<int>(e));
}

int MaskedEdit::FieldCaret() const {
  int s = 0, e = 0;
  FieldSelection(s, e);
  // The EDIT does not tell the active end: the one set last, while the
  // selection is still the one set.
  if (std::min(m_anchor, m_caret) == s && std::max(m_anchor, m_caret) == e) return m_caret;
  return e;
}

void MaskedEdit::FieldSetSelection(int anchor, int caret) {
  m_anchor = anchor;
  m_caret = caret;
  DefSubclass(m_hwnd, EM_SETSEL, static_cast<WPARAM>(Utf16Index(anchor)),
              static_cast<LPARAM>(Utf16Index(caret)));
}

void MaskedEdit::FieldReplaceSelection(const std::string& bytes) {
  DefSubclass(m_hwnd, EM_REPLACESEL, TRUE,
              reinterpret_cast<LPARAM>(Wide(cp932::Decode(bytes)).c_str()));
}

void MaskedEdit::FieldSetText(const std::string& bytes) {
  DefSubclass(m_hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(cp932::Decode(bytes)).c_str()));
  DefSubclass(m_hwnd, EM_SETMODIFY, FALSE, 0);
  FieldSetSelection(0, 0);
}

bool MaskedEdit::FieldModified() const { return SendMessageW(m_hwnd, EM_GETMODIFY, 0, 0) != 0; }

void MaskedEdit::FieldSetModified(bool modified) {
  DefSubclass(m_hwnd, EM_SETMODIFY, modified ? TRUE : FALSE, 0);
}

bool MaskedEdit::FieldHasFocus() const { return GetFocus() == m_hwnd; }

bool MaskedEdit::FieldReadOnly() const {
  return (GetWindowLongW(m_hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

void MaskedEdit::FieldSetMaxLength(int length) {
  DefSubclass(m_hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(length), 0);
}

void MaskedEdit::FieldTakeFocus() {
  HWND dialog = GetParent(m_hwnd);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hwnd), TRUE);
}

void MaskedEdit::FieldBeep() { MessageBeep(MB_OK); }

}  // namespace mametan::win32
