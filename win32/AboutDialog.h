#pragma once
// The about box as a modeless Win32 dialog over the about presenter.
#include <windows.h>

#include <vector>

#include "dialogs/AboutPresenter.h"

namespace mametan::win32 {

class AboutDialog : public AboutView {
 public:
  AboutDialog() : m_presenter(*this) {}
  ~AboutDialog() override;
  AboutDialog(const AboutDialog&) = delete;
  AboutDialog& operator=(const AboutDialog&) = delete;

  void Create(HINSTANCE instance);
  HWND Handle() const { return m_hwnd; }

  // AboutView
  void SetText(AboutLabel label, const std::string& text) override;
  void SetCommentsShown(bool shown) override;
  void PlaceAtDefault() override;
  void FocusOk() override;
  void Hide() override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void MakeControls();
  void DeleteFonts();

  AboutPresenter m_presenter;
  HWND m_hwnd = nullptr;
  HICON m_icon = nullptr;
  std::vector<HFONT> m_fonts;
};

}  // namespace mametan::win32
