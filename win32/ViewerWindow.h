#pragma once
// The ledger viewer's window (Win32): the month chooser, the month's
// purchases in a list view and the charts (`ViewerChart`). It follows the
// ledger's folder through change notification, waited for in its own
// message loop, and takes a ledger dropped on it.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "core/viewer/ViewerPresenter.h"
#include "win32/UnreadableLinesWindow.h"
#include "win32/ViewerChart.h"

namespace mametan::win32 {

class ViewerWindow : public ViewerView {
 public:
  // `today` is the month shown for a ledger without purchases (a MonthKey).
  ViewerWindow(HINSTANCE instance, int today);
  ~ViewerWindow() override;
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  // Makes the window (hidden); false when it cannot be made.
  bool Create();
  HWND Handle() const { return m_hwnd; }
  ViewerPresenter& presenter() { return m_presenter; }
  // Runs the message loop until the window is closed; the exit code.
  int Run();

  void ShowPage(const ViewerPage& page) override;
  void WatchFile(const std::string& path) override;
  void CloseWindow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(const NMHDR& header, LPARAM lParam);
  // The window's own keys, before the controls see them; true when used.
  bool PreTranslate(const MSG& msg);

  int Scale(int pixels) const;
  void MakeFonts();
  void Layout();
  void FitColumns();
  int TextWidth(HFONT font, const std::wstring& text) const;
  void FillList();
  void CopyRows();

  HINSTANCE m_instance;
  ViewerPresenter m_presenter;
  HWND m_hwnd = nullptr;
  HWND m_prev = nullptr;
  HWND m_month = nullptr;
  HWND m_next = nullptr;
  HWND m_year = nullptr;
  HWND m_yearSpin = nullptr;
  HWND m_yearLabel = nullptr;
  HWND m_total = nullptr;
  HWND m_unreadable = nullptr;
  HWND m_status = nullptr;
  HWND m_list = nullptr;
  ViewerChart m_chart{m_presenter};
  UnreadableLinesWindow m_lines;
  HFONT m_font = nullptr;
  HFONT m_bigFont = nullptr;
  UINT m_dpi = 96;
  bool m_updating = false;

  ViewerPage m_page;
  // The month's rows' texts, in the presenter's order, for the list.
  std::vector<std::array<std::wstring, 4>> m_cells;

  HANDLE m_change = INVALID_HANDLE_VALUE;
};

}  // namespace mametan::win32
