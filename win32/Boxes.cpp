#include "win32/Boxes.h"

#include "core/common/AppError.h"
#include "win32/WideText.h"

namespace mametan::win32 {

void ShowProgramMessage(HWND owner, const std::string& text, MessageIcon icon) {
  const UINT style = icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION;
  MessageBoxW(owner, Wide(text).c_str(), L"Message", MB_OK | style);
}

void ShowStandardErrorBox(const std::string& message, HWND owner) {
  MessageBoxW(owner, Wide(ErrorBoxText(message)).c_str(), kApplicationTitle,
              MB_OK | MB_ICONSTOP | (owner ? 0 : MB_TASKMODAL));
}

}  // namespace mametan::win32
