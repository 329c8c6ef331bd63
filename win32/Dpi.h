#pragma once
// Every window's sizes are designed in pixels at 96 DPI and scaled to the
// monitor the window is on; its faces carry the Shift-JIS character set.
#include <windows.h>

#include <string>

namespace mametan::win32 {

inline constexpr wchar_t kProportionalFace[] = L"ＭＳ Ｐゴシック";
inline constexpr wchar_t kFixedFace[] = L"ＭＳ ゴシック";

// The DPI of the window's monitor (the system's before it has one).
inline int DpiOf(HWND hwnd) {
  return static_cast<int>(hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem());
}

// Designed pixels at 96 DPI scaled to a DPI.
inline int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

struct FontStyle {
  int weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  const wchar_t* face = kProportionalFace;
};

// A face at a height in designed pixels, scaled to the DPI.
inline HFONT MakeFont(int designedPixels, int dpi, FontStyle style = {}) {
  return CreateFontW(-Scaled(designedPixels, dpi), 0, 0, 0, style.weight, style.italic,
                     style.underline, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, style.face);
}

// The height of a face's lines, and the width of a text in the face the
// device context holds.
inline int FontHeight(HDC dc, HFONT font) {
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  return metrics.tmHeight;
}

inline int TextExtent(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace mametan::win32
