#pragma once
// The correction window (Win32): one purchase of the ledger, opened from the
// viewer's list, with the input window's fields and rules; OK writes it back
// in place of its line. Modal over the viewer while it is open.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/viewer/CorrectionPresenter.h"
#include "win32/MaskedEdit.h"

namespace mametan::win32 {

class CorrectionWindow : public CorrectionView {
 public:
  CorrectionWindow(HINSTANCE instance, HWND owner, LedgerEditHistory& history,
                   const std::string& kindFile)
      : m_instance(instance), m_owner(owner), m_presenter(*this, history, kindFile) {}
  ~CorrectionWindow() override;
  CorrectionWindow(const CorrectionWindow&) = delete;
  CorrectionWindow& operator=(const CorrectionWindow&) = delete;

  // Shows the purchase and returns once the window is closed; true when the
  // ledger is to be read again (it was written, or found changed).
  bool Correct(const LedgerLineBytes& purchase);

  // CorrectionView
  std::string Text(CorrectionControl control) override;
  void SetText(CorrectionControl control, const std::string& text) override;
  void Focus(CorrectionControl control) override;
  bool DateComplete() override;
  void RefuseUnfinishedDate() override;
  std::optional<std::string> ListedKindBytes() override;
  void SetKinds(std::vector<std::string> kinds) override;
  std::string DateSeparator() override;
  void Close(bool readAgain) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

 private:
  INT_PTR Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  // The window's own keys before the dialog manager sees them; true when
  // the message was used up.
  bool PreTranslate(const MSG& msg);
  void Layout();
  void PlaceOverOwner();
  HWND Control(CorrectionControl control);
  // The window that owns the boxes: this one while it is shown.
  HWND BoxOwner() const;
  void DeleteResources();

  HINSTANCE m_instance;
  HWND m_owner;
  CorrectionPresenter m_presenter;
  HWND m_hwnd = nullptr;
  MaskedEdit m_date;
  // The kind list's items as the classification file holds them.
  std::vector<std::string> m_kinds;
  bool m_open = false;
  bool m_readAgain = false;
  HFONT m_windowFont = nullptr;
  HFONT m_labelFont = nullptr;
  HFONT m_fieldFont = nullptr;
  HFONT m_dateFont = nullptr;
  HICON m_okIcon = nullptr;
  HICON m_cancelIcon = nullptr;
};

}  // namespace mametan::win32
