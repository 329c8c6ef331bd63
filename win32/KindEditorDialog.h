#pragma once
// The classification file editor as a Win32 dialog, made hidden at start-up
// and run modally from the setup dialog: the controls of KindEditorView, its
// events forwarded to the editor presenter, which loads, refuses and saves.
#include <windows.h>

#include "core/dialogs/KindEditorPresenter.h"
#include "win32/DialogWindow.h"

namespace mametan::win32 {

class KindEditorDialog : public KindEditorView, public HostedDialog {
 public:
  KindEditorDialog() : m_presenter(*this) {}
  ~KindEditorDialog() override;
  KindEditorDialog(const KindEditorDialog&) = delete;
  KindEditorDialog& operator=(const KindEditorDialog&) = delete;

  // The editor is owned by `owner` (the setup dialog); the window itself is
  // built when first opened.
  void Create(HINSTANCE instance, HostedDialog* owner) {
    m_instance = instance;
    m_owner = owner;
  }
  HWND Handle() const override { return m_hwnd; }
  HWND Window() override;
  KindEditorPresenter& Presenter() { return m_presenter; }
  // Opens the editor on `path` and returns when it closes. Meanwhile the
  // program's other windows take no input.
  void Edit(const std::string& path);
  // The editor's own keys before the dialog manager sees them; true when
  // the message was used up.
  bool PreTranslate(const MSG& msg);
  bool DialogMessage(MSG& msg) override {
    return PreTranslate(msg) || IsDialogMessageW(m_hwnd, &msg);
  }

  // KindEditorView
  void SetFileCaption(const std::string& path) override;
  std::string Text() override;
  void SetText(const std::string& text) override;
  void Close(bool accepted) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Layout();
  void Paint();
  void DeleteResources();

  KindEditorPresenter m_presenter;
  HINSTANCE m_instance = nullptr;
  HostedDialog* m_owner = nullptr;
  HWND m_hwnd = nullptr;
  bool m_open = false;
  bool m_shownOnce = false;
  HFONT m_font = nullptr;
  HFONT m_boldFont = nullptr;
  HFONT m_textFont = nullptr;
  HICON m_okIcon = nullptr;
  HICON m_cancelIcon = nullptr;
};

}  // namespace mametan::win32
