#pragma once
// The input window as a modeless Win32 dialog: the controls of InputView,
// the window's events forwarded to the input presenter. No rule of its own.
#include <windows.h>

#include <string>
#include <vector>

#include "core/entry/InputPresenter.h"
#include "win32/DialogWindow.h"
#include "win32/MaskedEdit.h"

namespace mametan::win32 {

class InputWindow : public InputView, public HostedDialog {
 public:
  explicit InputWindow(TApSystem& settings) : m_presenter(*this, settings) {}
  ~InputWindow() override;
  InputWindow(const InputWindow&) = delete;
  InputWindow& operator=(const InputWindow&) = delete;

  // Runs the creation steps; the window itself is built when first needed.
  // `contextMenu` opens on its background and sends its commands to
  // `menuOwner`.
  void Create(HINSTANCE instance, HMENU contextMenu, HWND menuOwner);
  HWND Handle() const override { return m_hwnd; }
  HWND Window() override;
  InputPresenter& Presenter() { return m_presenter; }
  // The window's key rules, before the dialog manager sees the message.
  // True when the message was used up.
  bool PreTranslate(const MSG& msg);
  bool DialogMessage(MSG& msg) override {
    return (IsChild(m_hwnd, msg.hwnd) && PreTranslate(msg)) || IsDialogMessageW(m_hwnd, &msg);
  }

  // InputView
  std::string Text(InputControl control) override;
  void SetText(InputControl control, const std::string& text) override;
  bool Checked(InputControl control) override;
  void SetChecked(InputControl control, bool checked) override;
  void Focus(InputControl control) override;
  bool DateComplete() override;
  void RefuseUnfinishedDate() override;
  std::optional<std::string> ListedKindBytes() override;
  void ClearKind() override;
  void SetKinds(std::vector<std::string> kinds) override;
  void SetOkDefault(bool isDefault) override;
  void MoveFocus(bool forward) override;
  CivilDate Today() override;
  std::string DateSeparator() override;
  std::vector<ScreenArea> Screens() override;
  int FrameWidth() override;
  int TitleBarHeight() override;
  std::optional<WindowPoint> FramePlace() override;
  void PlaceFrameAt(WindowPoint frameTopLeft) override;
  WindowPoint PlaceAtDefault() override;
  void Show() override;
  void Hide() override;
  bool IsVisible() override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Layout();
  HWND Control(InputControl control);
  int Scale(int pixels) const;

  InputPresenter m_presenter;
  HWND m_hwnd = nullptr;
  HINSTANCE m_instance = nullptr;
  HMENU m_contextMenu = nullptr;
  HWND m_menuOwner = nullptr;
  MaskedEdit m_date;
  HFONT m_labelFont = nullptr;
  HFONT m_fieldFont = nullptr;
  HFONT m_dateFont = nullptr;
  HFONT m_windowFont = nullptr;
  HICON m_okIcon = nullptr;
  HICON m_cancelIcon = nullptr;
  // The kind list's items as the classification file holds them.
  std::vector<std::string> m_kinds;
  // The list is in the kind box; it waits here until the window is built.
  bool m_kindsListed = true;
  bool m_creating = false;
};

}  // namespace mametan::win32
