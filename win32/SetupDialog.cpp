#include "win32/SetupDialog.h"

#include <vector>

#include "win32/Boxes.h"
#include "win32/CommonControls.h"
#include "win32/DialogWindow.h"
#include "win32/Dpi.h"
#include "win32/KindEditorDialog.h"
#include "win32/Resource.h"
#include "win32/WideText.h"

namespace mametan::win32 {
namespace {

constexpr int kClientWidth = 385;
constexpr int kClientHeight = 173;

// The controls' places in pixels at 96 dots per inch.
constexpr ControlPlace kPlaces[] = {
    {IDC_LABEL_KAKEIBO, 12, 16, 77, 12},    {IDC_CHOOSE_KAKEIBO, 328, 12, 23, 22},
    {IDC_LABEL_KIND_FILE, 12, 44, 89, 12},  {IDC_CHOOSE_KIND, 328, 40, 23, 22},
    {IDC_EDIT_KIND, 352, 40, 23, 22},       {IDC_LABEL_TAX, 200, 76, 24, 12},
    {IDC_LABEL_PERCENT, 288, 76, 6, 12},    {IDC_FILE_KAKEIBO, 108, 12, 213, 20},
    {IDC_DEL_REGISTRY, 200, 112, 173, 17},  {IDOK, 216, 140, 75, 25},
    {IDCANCEL, 296, 140, 75, 25},           {IDC_FILE_KIND, 108, 40, 213, 20},
    {IDC_SAVE_WINDOW_POS, 12, 72, 129, 17}, {IDC_OPEN_AT_BOOT, 12, 92, 169, 17},
    {IDC_ENTER_TO_NEXT, 12, 112, 177, 17},  {IDC_TAX, 232, 72, 49, 21},
};

}  // namespace

SetupDialog::~SetupDialog() {
  if (m_tooltip) DestroyWindow(m_tooltip);
  if (m_hwnd) DestroyWindow(m_hwnd);
  if (m_font) DeleteObject(m_font);
  DeleteImages();
}

void SetupDialog::DeleteImages() {
  for (HICON* i : {&m_okIcon, &m_cancelIcon, &m_folderIcon, &m_editIcon}) {
    if (*i) DestroyIcon(*i);
    *i = nullptr;
  }
}

HWND SetupDialog::Window() {
  if (m_hwnd) return m_hwnd;
  BuildDialog(m_instance, IDD_SETUP,
              &DialogProcOf<SetupDialog, &SetupDialog::m_hwnd, &SetupDialog::Handle>,
              reinterpret_cast<LPARAM>(this));
  return m_hwnd;
}

void SetupDialog::Layout() {
  const int dpi = DpiOf(m_hwnd);
  const auto scale = [dpi](int px) { return Scaled(px, dpi); };
  SizeClientForDpi(m_hwnd, kClientWidth, kClientHeight);

  if (m_font) DeleteObject(m_font);
  m_font = MakeFont(12, dpi);
  for (const ControlPlace& p : kPlaces) {
    HWND control = GetDlgItem(m_hwnd, p.id);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    SetWindowPos(control, nullptr, scale(p.left), scale(p.top), scale(p.width), scale(p.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  for (int id : {IDC_LABEL_KAKEIBO, IDC_LABEL_KIND_FILE, IDC_LABEL_TAX, IDC_LABEL_PERCENT,
                 IDC_DEL_REGISTRY, IDC_SAVE_WINDOW_POS, IDC_OPEN_AT_BOOT, IDC_ENTER_TO_NEXT}) {
    FitToText(GetDlgItem(m_hwnd, id));
  }

  DeleteImages();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const int glyph = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
  const auto icon = [&](int id) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, glyph, glyph, 0));
  };
  m_okIcon = icon(IDI_OK);
  m_cancelIcon = icon(IDI_CANCEL);
  m_folderIcon = icon(IDI_FOLDER_OPEN);
  m_editIcon = icon(IDI_KIND_EDIT);
  SendDlgItemMessageW(m_hwnd, IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_okIcon));
  SendDlgItemMessageW(m_hwnd, IDCANCEL, BM_SETIMAGE, IMAGE_ICON,
                      reinterpret_cast<LPARAM>(m_cancelIcon));
  m_chooseKakeibo.SetIcon(m_folderIcon);
  m_chooseKind.SetIcon(m_folderIcon);
  m_editKind.SetIcon(m_editIcon);
}

INT_PTR SetupDialog::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      // The file names have no length limit of their own.
      SendDlgItemMessageW(m_hwnd, IDC_FILE_KAKEIBO, EM_SETLIMITTEXT, 0, 0);
      SendDlgItemMessageW(m_hwnd, IDC_FILE_KIND, EM_SETLIMITTEXT, 0, 0);
      m_tax.Attach(GetDlgItem(m_hwnd, IDC_TAX));
      m_tax.MinValue = SetupPresenter::kTaxMin;
      m_tax.MaxValue = SetupPresenter::kTaxMax;
      m_tax.Increment = SetupPresenter::kTaxIncrement;
      m_tax.SetValue(SetupPresenter::kTaxStart);
      m_chooseKakeibo.Create(m_hwnd, IDC_CHOOSE_KAKEIBO, SpeedButton::Glyph::Icon);
      m_chooseKind.Create(m_hwnd, IDC_CHOOSE_KIND, SpeedButton::Glyph::Icon);
      m_editKind.Create(m_hwnd, IDC_EDIT_KIND, SpeedButton::Glyph::Icon);
      m_chooseKakeibo.OnClick = [this] { m_presenter.spbtn_File_KakeiboClick(); };
      m_chooseKind.OnClick = [this] { m_presenter.spbtn_File_KindClick(); };
      m_editKind.OnClick = [this] { m_presenter.spbtn_Edit_KindClick(); };
      // The edit button's hint, the only one of the dialog.
      m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof(tool);
      tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
      tool.hwnd = m_hwnd;
      tool.uId = reinterpret_cast<UINT_PTR>(m_editKind.Handle());
      tool.lpszText = const_cast<wchar_t*>(L"分類設定ファイルの編集");
      SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
      Layout();
      return FALSE;
    }
    case WM_DPICHANGED:
      TakeSuggestedRect(m_hwnd, lParam);
      Layout();
      return TRUE;
    case WM_SHOWWINDOW:
      // Shown anew by a program's call, not un-minimised.
      if (wParam && lParam == 0) m_presenter.OnShow();
      return FALSE;
    case WM_CLOSE:
      // The close box, like Cancel, copies nothing.
      m_presenter.BitBtn2Click();
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          m_presenter.bbtn_OkClick();
          return TRUE;
        case IDCANCEL:
          // The Cancel button and Esc.
          m_presenter.BitBtn2Click();
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

bool SetupDialog::PreTranslate(const MSG& msg) {
  if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd))) return false;
  // The tax field keeps the focus, so OK reads the value as typed.
  return OkCancelAccessKey(
      msg, [this] { m_presenter.bbtn_OkClick(); }, [this] { m_presenter.BitBtn2Click(); });
}

HWND SetupDialog::Control(SetupControl control) const {
  switch (control) {
    case SetupControl::File_Kakeibo:
      return GetDlgItem(m_hwnd, IDC_FILE_KAKEIBO);
    case SetupControl::File_Kind:
      return GetDlgItem(m_hwnd, IDC_FILE_KIND);
    case SetupControl::SaveWindowPos:
      return GetDlgItem(m_hwnd, IDC_SAVE_WINDOW_POS);
    case SetupControl::OpenWindowAtBoot:
      return GetDlgItem(m_hwnd, IDC_OPEN_AT_BOOT);
    case SetupControl::DelRegistry:
      return GetDlgItem(m_hwnd, IDC_DEL_REGISTRY);
    case SetupControl::EnterToNext:
      return GetDlgItem(m_hwnd, IDC_ENTER_TO_NEXT);
    case SetupControl::Tax:
      return GetDlgItem(m_hwnd, IDC_TAX);
  }
  return nullptr;
}

std::string SetupDialog::Text(SetupControl control) { return Utf8(WindowTextOf(Control(control))); }

void SetupDialog::SetText(SetupControl control, const std::string& text) {
  SetWindowTextW(Control(control), Wide(text).c_str());
}

bool SetupDialog::Checked(SetupControl control) {
  return SendMessageW(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetupDialog::SetChecked(SetupControl control, bool checked) {
  SendMessageW(Control(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::int32_t SetupDialog::TaxValue() { return m_tax.GetValue(); }

void SetupDialog::SetTaxValue(std::int32_t value) { m_tax.SetValue(value); }

void SetupDialog::Focus(SetupControl control) {
  SendMessageW(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(control)), TRUE);
}

void SetupDialog::PlaceAtDefault() { CentreOnScreen(m_hwnd); }

std::optional<std::string> SetupDialog::ChooseFile(const std::string& filter,
                                                   const std::string& previous) {
  // "description|patterns|..." becomes the double-NUL-ended list Windows reads.
  std::wstring filters = Wide(filter);
  for (wchar_t& c : filters) {
    if (c == L'|') c = L'\0';
  }
  filters.push_back(L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring start = Wide(previous);
  if (start.size() < file.size()) std::copy(start.begin(), start.end(), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = m_hwnd;
  ofn.lpstrFilter = filters.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  // The process's current folder stays where the program was started:
  // relative file names resolve against it.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!OpenFileName(&ofn).value_or(false)) return std::nullopt;
  return Utf8(file.data());
}

void SetupDialog::EditKindFile(const std::string& path) {
  if (m_editor) m_editor->Edit(path);
}

void SetupDialog::Hide() {
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

void SetupDialog::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowProgramMessage(IsWindowVisible(m_hwnd) ? m_hwnd : nullptr, text, icon);
}

void SetupDialog::ShowErrorBox(const std::string& text) { ShowStandardErrorBox(text); }

}  // namespace mametan::win32
