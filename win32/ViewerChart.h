#pragma once
// The ledger viewer's charts (Win32), a control of its own drawn with GDI:
// the caption and the strip of the chosen year's twelve monthly totals (a
// child window whose text is the strip's labels, for screen readers), then
// the caption and the month's totals per kind as bars, largest first. A
// press on a month chooses it; a press anywhere takes the focus, so that
// Ctrl+C copies the bars.
#include <windows.h>

#include <vector>

#include "core/viewer/StripLayout.h"
#include "core/viewer/ViewerPresenter.h"

namespace mametan::win32 {

class ViewerChart {
 public:
  explicit ViewerChart(ViewerPresenter& presenter) : m_presenter(presenter) {}
  ~ViewerChart();
  ViewerChart(const ViewerChart&) = delete;
  ViewerChart& operator=(const ViewerChart&) = delete;

  // Makes the control as a child of `parent`; false when it cannot be made.
  bool Create(HINSTANCE instance, HWND parent, int dpi);
  HWND Handle() const { return m_hwnd; }
  void SetDpi(int dpi);
  void ShowPage(const ViewerPage& page);
  // Ctrl+C: the bars as text (kind, amount, share); false when the
  // clipboard refused them.
  bool CopyBars() const;

 private:
  static LRESULT CALLBACK ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  int Scale(int pixels) const;
  void PlaceStrip();
  std::vector<StripCell> LayOutStrip(HDC dc) const;
  void UpdateStripText();
  void PaintChart(HDC dc, const RECT& area) const;
  void PaintStrip(HDC dc, const RECT& area) const;

  ViewerPresenter& m_presenter;
  HWND m_hwnd = nullptr;
  HWND m_strip = nullptr;
  HFONT m_font = nullptr;
  HFONT m_smallFont = nullptr;
  int m_dpi = 96;
  std::vector<ViewerBar> m_bars;
  std::vector<ViewerMonthCell> m_cells;
};

}  // namespace mametan::win32
