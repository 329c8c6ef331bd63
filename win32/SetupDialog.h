#pragma once
// The setup dialog as a modeless Win32 dialog: the controls of SetupView,
// its events forwarded to the setup presenter. No rule of its own.
#include <windows.h>

#include "core/dialogs/SetupPresenter.h"
#include "win32/DialogWindow.h"
#include "win32/SpeedButton.h"
#include "win32/SpinEdit.h"

namespace mametan::win32 {

class KindEditorDialog;

class SetupDialog : public SetupView, public HostedDialog {
 public:
  explicit SetupDialog(TApSystem& settings) : m_presenter(*this, settings) {}
  ~SetupDialog() override;
  SetupDialog(const SetupDialog&) = delete;
  SetupDialog& operator=(const SetupDialog&) = delete;

  // The window itself is built when first needed.
  void Create(HINSTANCE instance) { m_instance = instance; }
  // The editor its edit button opens; made after this dialog.
  void SetEditor(KindEditorDialog* editor) { m_editor = editor; }
  HWND Handle() const override { return m_hwnd; }
  HWND Window() override;
  SetupPresenter& Presenter() { return m_presenter; }
  SpinEdit& TaxField() { return m_tax; }
  // The dialog's own keys before the dialog manager sees them: the buttons'
  // accelerators click without taking the focus. True when the message was
  // used up.
  bool PreTranslate(const MSG& msg);
  bool DialogMessage(MSG& msg) override {
    return PreTranslate(msg) || IsDialogMessageW(m_hwnd, &msg);
  }

  // SetupView
  std::string Text(SetupControl control) override;
  void SetText(SetupControl control, const std::string& text) override;
  bool Checked(SetupControl control) override;
  void SetChecked(SetupControl control, bool checked) override;
  std::int32_t TaxValue() override;
  void SetTaxValue(std::int32_t value) override;
  void Focus(SetupControl control) override;
  void PlaceAtDefault() override;
  std::optional<std::string> ChooseFile(const std::string& filter,
                                        const std::string& previous) override;
  void EditKindFile(const std::string& path) override;
  void Hide() override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void Layout();
  void DeleteImages();
  HWND Control(SetupControl control) const;

  SetupPresenter m_presenter;
  KindEditorDialog* m_editor = nullptr;
  HINSTANCE m_instance = nullptr;
  HWND m_hwnd = nullptr;
  HWND m_tooltip = nullptr;
  SpinEdit m_tax;
  SpeedButton m_chooseKakeibo;
  SpeedButton m_chooseKind;
  SpeedButton m_editKind;
  HFONT m_font = nullptr;
  HICON m_okIcon = nullptr;
  HICON m_cancelIcon = nullptr;
  HICON m_folderIcon = nullptr;
  HICON m_editIcon = nullptr;
};

}  // namespace mametan::win32
