#pragma once
// The ledger viewer's window (Win32): the month chooser, the month's
// purchases in a list view and the charts (`ViewerChart`). It follows the
// ledger's folder through change notification, waited for in its own
// message loop, and takes a ledger dropped on it.
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/viewer/ChangeDelay.h"
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
  void ReadOnLater() override;
  void CloseWindow() override;
  bool AskYesNo(const std::string& question) override;
  void OpenCorrection(const LedgerLineBytes& purchase) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

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
  // `appended`: the page shown before with rows added at its end;
  // `sameMonth`: the month shown before, read again.
  void FillList(bool appended, bool sameMonth);
  void CopyRows();
  // The row the list's keyboard is on, or -1.
  int CurrentRow() const;
  void Noticed();
  // Follows the ledger's folder, or the nearest folder above it that exists
  // while it is gone, and the folder above that (which sees the folder
  // deleted, renamed away or made again); a folder deleted and made again
  // is a new folder and gets a new handle.
  void Rearm();
  void CloseHandles();

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
  // The control the keyboard was last in, given it again when the window
  // has the keyboard back (after the unreadable lines, another program).
  HWND m_lastFocus = nullptr;
  ViewerChart m_chart{m_presenter};
  UnreadableLinesWindow m_lines;
  HFONT m_font = nullptr;
  HFONT m_bigFont = nullptr;
  UINT m_dpi = 96;
  bool m_updating = false;

  ViewerPage m_page;
  // The texts of the row the list last asked for; the list asks for them
  // as it draws, so a month of any size costs only what is on screen.
  int m_cachedRow = -1;
  std::array<std::wstring, 4> m_cached;

  std::wstring m_watchedFile;  // full path; empty: nothing followed
  // The folders followed: what each handle watches, and that folder's
  // identity when the handle was made.
  struct Watch {
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::wstring folder;
    std::uint64_t identity = 0;
  };
  std::array<Watch, 2> m_watches;
  ChangeDelay m_delay{kViewerChangeDelayMs, kViewerChangeLongestDelayMs};
};

}  // namespace mametan::win32
