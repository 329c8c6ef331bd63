#pragma once
// The common controls library, loaded when the first dialog is built rather
// than with the program: a program resting in the tray never loads it. Its
// functions are reached through here only, so that the executable does not
// import the library (a test checks the import table).
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>

#include <optional>

namespace mametan::win32 {

// Loads the library (the version the manifest names) and registers its
// window classes; later calls do nothing. False, after the error box told
// the user why, when the library cannot be loaded.
bool LoadCommonControls();

// Builds a dialog from the program's resources over the common controls,
// owned by `parent`, or else by the application window; null, after the
// error box told the user, when it cannot be built. `param` reaches
// WM_INITDIALOG.
HWND BuildDialog(HINSTANCE instance, int templateId, DLGPROC procedure, LPARAM param,
                 HWND parent = nullptr);

BOOL SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
LRESULT DefSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);

// Runs the open-file dialog (the common dialogs library, loaded when first
// asked): whether the user chose a file; nothing, after the error box, when
// the library cannot be loaded.
std::optional<bool> OpenFileName(OPENFILENAMEW* dialog);

}  // namespace mametan::win32
