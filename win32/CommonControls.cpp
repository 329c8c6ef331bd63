#include "win32/CommonControls.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "win32/Boxes.h"
#include "win32/DialogWindow.h"

namespace mametan::win32 {
namespace {

struct Library {
  decltype(&InitCommonControlsEx) init = nullptr;
  decltype(&SetWindowSubclass) setSubclass = nullptr;
  decltype(&DefSubclassProc) defSubclass = nullptr;
  decltype(&RemoveWindowSubclass) removeSubclass = nullptr;
};

template <typename Function>
Function Find(HMODULE module, const char* name) {
  // GetProcAddress hands back a generic pointer; the cast names its type.
  auto address = GetProcAddress(module, name);
  if (!address) throw std::runtime_error(std::string("comctl32.dll has no ") + name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

const Library& Loaded() {
  static const Library library = [] {
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    if (!module) throw std::runtime_error("comctl32.dll cannot be loaded");
    Library l;
    l.init = Find<decltype(l.init)>(module, "InitCommonControlsEx");
    l.setSubclass = Find<decltype(l.setSubclass)>(module, "SetWindowSubclass");
    l.defSubclass = Find<decltype(l.defSubclass)>(module, "DefSubclassProc");
    l.removeSubclass = Find<decltype(l.removeSubclass)>(module, "RemoveWindowSubclass");
    // The standard controls and the tooltip of the setup dialog's edit button.
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    l.init(&classes);
    return l;
  }();
  return library;
}

}  // namespace

bool LoadCommonControls() {
  try {
    Loaded();
    return true;
  } catch (const std::exception& e) {
    ShowStandardErrorBox(e.what());
    return false;
  }
}

HWND BuildDialog(HINSTANCE instance, int templateId, DLGPROC procedure, LPARAM param, HWND parent) {
  if (!LoadCommonControls()) return nullptr;
  HWND hwnd = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId),
                                 parent ? parent : WindowOwner(), procedure, param);
  if (!hwnd) {
    ShowStandardErrorBox("ウィンドウを作成できません (" + std::to_string(GetLastError()) + ")");
  }
  return hwnd;
}

BOOL SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  return Loaded().setSubclass(window, proc, id, data);
}

LRESULT DefSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return Loaded().defSubclass(window, msg, wParam, lParam);
}

BOOL RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  return Loaded().removeSubclass(window, proc, id);
}

std::optional<bool> OpenFileName(OPENFILENAMEW* dialog) {
  // The common dialogs import the common controls: loaded only when asked.
  static const auto function = []() -> decltype(&GetOpenFileNameW) {
    HMODULE module = LoadLibraryW(L"comdlg32.dll");
    if (!module) return nullptr;
    auto address = GetProcAddress(module, "GetOpenFileNameW");
    return reinterpret_cast<decltype(&GetOpenFileNameW)>(reinterpret_cast<void*>(address));
  }();
  if (!function) {
    ShowStandardErrorBox("comdlg32.dll cannot be loaded");
    return std::nullopt;
  }
  return function(dialog) != FALSE;
}

}  // namespace mametan::win32
