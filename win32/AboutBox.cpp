#include "win32/AboutBox.h"

#include <shellapi.h>

#include <algorithm>

#include "win32/CommonControls.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

enum : int {
  kComments = 2001,
  kPanel1,
  kIcon,
  kProductName,
  kVersion,
  kCopyright,
  kLabel1,
  kWww,
  kEMail,
  kLabel4,
  kLabel5,
  kPanel2,
  kLabel2,
  kOsVersion,
  kLabel3,
  kMemory,
};

enum FontKind { kPlain, kBold, kLogo, kLogoMincho, kVersionFont, kLink, kFontCount };

struct Item {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  // Place in the box's client area, pixels at 96 dots per inch.
  int left, top, width, height;
  DWORD style;
  FontKind font;
};

constexpr wchar_t kStatic[] = L"STATIC";

// Panel1 lies at 8, 8 and Panel2 inside it at 13, 124: their children's
// places are given here in the box's own coordinates.
const Item kItems[] = {
    {kPanel1, kStatic, L"", 8, 8, 285, 161, SS_ETCHEDFRAME, kPlain},
    {kIcon, kStatic, L"", 24, 32, 37, 37, SS_ICON | SS_REALSIZECONTROL, kPlain},
    {kLabel4, kStatic, L"VelmaroSoftware", 16, 16, 92, 12, SS_LEFT, kBold},
    {kLabel1, kStatic, L"タスクバー常駐家計簿", 168, 16, 114, 12, SS_LEFT, kPlain},
    {kProductName, kStatic, L"まめたん", 64, 36, 109, 27, SS_LEFT, kLogo},
    {kLabel5, kStatic, L"家計簿", 164, 28, 121, 36, SS_LEFT, kLogoMincho},
    {kVersion, kStatic, L"Version --.--.--", 158, 64, 123, 15, SS_RIGHT, kVersionFont},
    {kCopyright, kStatic, L"", 12, 80, 277, 12, SS_CENTER, kPlain},
    {kWww, kStatic, L"", 40, 96, 229, 12, SS_CENTER | SS_NOTIFY, kLink},
    {kEMail, kStatic, L"", 84, 112, 140, 12, SS_CENTER | SS_NOTIFY, kLink},
    {kPanel2, kStatic, L"", 21, 132, 260, 28, SS_ETCHEDFRAME, kPlain},
    {kLabel2, kStatic, L"Windows Version:", 25, 134, 89, 12, SS_LEFT, kPlain},
    {kOsVersion, kStatic, L"-", 113, 134, 157, 12, SS_RIGHT, kPlain},
    {kLabel3, kStatic, L"Total Physical Memory: ", 25, 146, 123, 12, SS_LEFT, kPlain},
    {kMemory, kStatic, L"-", 145, 146, 125, 12, SS_RIGHT, kPlain},
    {kComments, kStatic, L"Comments: TestVersion", 8, 176, 73, 24, SS_CENTER, kBold},
    {IDOK, L"BUTTON", L"OK", 115, 176, 75, 25, BS_DEFPUSHBUTTON | WS_TABSTOP, kPlain},
};

// The logo lies between the icon and the panel's right edge.
constexpr int kLogoLeftmost = 63;
constexpr int kLogoRightmost = 289;

constexpr int kClientWidth = 301;
constexpr int kClientHeight = 209;

}  // namespace

AboutBox::~AboutBox() {
  if (m_hwnd) DestroyWindow(m_hwnd);
  DeleteFonts();
  if (m_icon) DestroyIcon(m_icon);
}

void AboutBox::DeleteFonts() {
  for (HFONT f : m_fonts) DeleteObject(f);
  m_fonts.clear();
}

void AboutBox::Create(HINSTANCE instance) {
  m_presenter.Queries.openUrl = [](const std::string& url) {
    ShellExecuteW(nullptr, L"open", Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  };
  m_instance = instance;
}

HWND AboutBox::Window() {
  if (m_hwnd) return m_hwnd;
  BuildDialog(m_instance, IDD_ABOUT, &DialogProcOf<AboutBox, &AboutBox::m_hwnd, &AboutBox::Handle>,
              reinterpret_cast<LPARAM>(this));
  return m_hwnd;
}

void AboutBox::MakeControls() {
  const int dpi = DpiOf(m_hwnd);
  const auto scale = [dpi](int px) { return Scaled(px, dpi); };
  SizeClientForDpi(m_hwnd, kClientWidth, kClientHeight);

  DeleteFonts();
  const auto font = [dpi](int px, int weight, bool italic, bool underline, const wchar_t* face) {
    return MakeFont(px, dpi,
                    {.weight = weight, .italic = italic, .underline = underline, .face = face});
  };
  m_fonts = {font(12, FW_NORMAL, false, false, kProportionalFace),
             font(12, FW_BOLD, false, false, kProportionalFace),
             font(27, FW_BOLD, true, false, kProportionalFace),
             font(35, FW_BOLD, true, false, L"ＭＳ Ｐ明朝"),
             font(15, FW_BOLD, false, false, kProportionalFace),
             font(12, FW_NORMAL, false, true, kProportionalFace)};

  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const Item& item : kItems) {
    HWND control = GetDlgItem(m_hwnd, item.id);
    if (!control) {
      control = CreateWindowExW(
          0, item.className, item.text, WS_CHILD | WS_VISIBLE | item.style, 0, 0, 0, 0, m_hwnd,
          reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
    }
    SetWindowPos(control, nullptr, scale(item.left), scale(item.top), scale(item.width),
                 scale(item.height), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts[item.font]), FALSE);
  }
  if (m_icon) DestroyIcon(m_icon);
  m_icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAMETAN), IMAGE_ICON, scale(37), scale(37), 0));
  SendDlgItemMessageW(m_hwnd, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
  SetDlgItemTextW(m_hwnd, kWww, Wide(AboutPresenter::kHomePage).c_str());
  SetDlgItemTextW(m_hwnd, kEMail, Wide(AboutPresenter::kSupportAddress).c_str());
  for (const Item& item : kItems) FitToText(GetDlgItem(m_hwnd, item.id));
  PlaceLogo(dpi);
}

// The logo's two words side by side at their measured widths, inside the
// panel and clear of the icon: with a face wider than designed, 家計簿 moves
// right rather than being drawn over まめたん, the pair moves left as far as
// the icon, and only then are both faces made smaller. An italic glyph leans
// past its advance, so each word gets a little room.
void AboutBox::PlaceLogo(int dpi) {
  HWND first = GetDlgItem(m_hwnd, kProductName);
  HWND second = GetDlgItem(m_hwnd, kLabel5);
  const auto placeOf = [this](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT designed = placeOf(first);
  const RECT designedSecond = placeOf(second);
  const int lean = Scaled(6, dpi);
  const int lowest = Scaled(kLogoLeftmost, dpi);
  const int highest = Scaled(kLogoRightmost, dpi);
  int firstWidth = TextWidthOf(first) + lean;
  int secondWidth = TextWidthOf(second) + lean;
  for (int percent = 95; firstWidth + secondWidth > highest - lowest && percent >= 50;
       percent -= 5) {
    DeleteObject(m_fonts[kLogo]);
    DeleteObject(m_fonts[kLogoMincho]);
    m_fonts[kLogo] = MakeFont(27 * percent / 100, dpi,
                              {.weight = FW_BOLD, .italic = true, .face = kProportionalFace});
    m_fonts[kLogoMincho] = MakeFont(35 * percent / 100, dpi,
                                    {.weight = FW_BOLD, .italic = true, .face = L"ＭＳ Ｐ明朝"});
    SendMessageW(first, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts[kLogo]), TRUE);
    SendMessageW(second, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts[kLogoMincho]), TRUE);
    firstWidth = TextWidthOf(first) + lean;
    secondWidth = TextWidthOf(second) + lean;
  }
  const int left =
      std::max<int>(lowest, std::min<int>(designed.left, highest - firstWidth - secondWidth));
  SetWindowPos(first, nullptr, left, designed.top, firstWidth, designed.bottom - designed.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  const int secondLeft =
      std::max<int>(left + firstWidth, std::min<int>(designedSecond.left, highest - secondWidth));
  SetWindowPos(second, nullptr, secondLeft, designedSecond.top, secondWidth,
               designedSecond.bottom - designedSecond.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR AboutBox::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      MakeControls();
      ShowWindow(GetDlgItem(m_hwnd, kComments), SW_HIDE);
      return FALSE;
    case WM_DPICHANGED: {
      TakeSuggestedRect(m_hwnd, lParam);
      MakeControls();
      return TRUE;
    }
    case WM_SHOWWINDOW:
      if (wParam && lParam == 0) m_presenter.OnShow();
      return FALSE;
    case WM_CLOSE:
      Hide();
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      auto* dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, id == kWww || id == kEMail ? RGB(0, 0, 255) : GetSysColor(COLOR_WINDOWTEXT));
      // Transparent labels: the logo's two words overlap by design, and a
      // label widened for its text must not paint over its neighbour. Their
      // texts change only while the box is hidden.
      return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_SETCURSOR: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kWww || id == kEMail) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          m_presenter.OKButtonClick();
          return TRUE;
        case IDCANCEL:
          // No cancel button: Esc leaves the box open.
          if (AboutPresenter::kEscapeCloses) Hide();
          return TRUE;
        case kWww:
          if (HIWORD(wParam) == STN_CLICKED) m_presenter.lbl_WWWClick();
          return TRUE;
        case kEMail:
          if (HIWORD(wParam) == STN_CLICKED) m_presenter.lbl_EMailClick();
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void AboutBox::SetText(AboutLabel label, const std::string& text) {
  int id = kCopyright;
  switch (label) {
    case AboutLabel::Comments:
      id = kComments;
      break;
    case AboutLabel::OsVersion:
      id = kOsVersion;
      break;
    case AboutLabel::Memory:
      id = kMemory;
      break;
    case AboutLabel::Version:
      id = kVersion;
      break;
    case AboutLabel::Copyright:
      id = kCopyright;
      break;
  }
  SetDlgItemTextW(m_hwnd, id, Wide(text).c_str());
  FitToText(GetDlgItem(m_hwnd, id));
}

void AboutBox::SetCommentsShown(bool shown) {
  ShowWindow(GetDlgItem(m_hwnd, kComments), shown ? SW_SHOW : SW_HIDE);
}

void AboutBox::PlaceAtDefault() { CentreOnScreen(m_hwnd); }

void AboutBox::FocusOk() {
  SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hwnd, IDOK)), TRUE);
}

void AboutBox::Hide() {
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

}  // namespace mametan::win32
