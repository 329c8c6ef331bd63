#pragma once
// The about box as a modeless Win32 dialog over the about presenter.
#include <windows.h>

#include <vector>

#include "core/dialogs/AboutPresenter.h"
#include "win32/DialogWindow.h"

namespace mametan::win32 {

class AboutBox : public AboutView, public HostedDialog {
 public:
  AboutBox() : m_presenter(*this) {}
  ~AboutBox() override;
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // The window itself is built when first needed.
  void Create(HINSTANCE instance);
  HWND Handle() const override { return m_hwnd; }
  HWND Window() override;

  // AboutView
  void SetText(AboutLabel label, const std::string& text) override;
  void SetCommentsShown(bool shown) override;
  void PlaceAtDefault() override;
  void FocusOk() override;
  void Hide() override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void MakeControls();
  void PlaceLogo(int dpi);
  void DeleteFonts();

  AboutPresenter m_presenter;
  HINSTANCE m_instance = nullptr;
  HWND m_hwnd = nullptr;
  HICON m_icon = nullptr;
  std::vector<HFONT> m_fonts;
};

}  // namespace mametan::win32
