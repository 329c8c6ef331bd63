#pragma once
// The setup dialog's logic: every showing loads the controls from the
// settings record, OK checks the file names and copies every control back,
// Cancel copies nothing. A tax rate outside the spin edit's range is kept
// at its nearest end. The two file buttons ask the open-file dialog, each
// starting from its own previous choice; the edit button opens the
// classification file editor on the file name as it stands in the box.
#include <cstdint>
#include <optional>
#include <string>

#include "core/common/ApSystem.h"
#include "core/common/Messages.h"

namespace mametan {

enum class SetupControl {
  File_Kakeibo,
  File_Kind,
  SaveWindowPos,
  OpenWindowAtBoot,
  DelRegistry,
  EnterToNext,
  Tax,
};

class SetupView : public MessageSink {
 public:
  // The file name boxes' texts, UTF-8.
  virtual std::string Text(SetupControl control) = 0;
  virtual void SetText(SetupControl control, const std::string& text) = 0;
  virtual bool Checked(SetupControl control) = 0;
  virtual void SetChecked(SetupControl control, bool checked) = 0;
  virtual std::int32_t TaxValue() = 0;
  virtual void SetTaxValue(std::int32_t value) = 0;
  virtual void Focus(SetupControl control) = 0;
  // Centres the dialog on the screen.
  virtual void PlaceAtDefault() = 0;
  // Runs the open-file dialog: `filter` is description and pattern pairs
  // separated by "|"; the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const std::string& filter,
                                                const std::string& previous) = 0;
  // Runs the classification file editor modally on `path`.
  virtual void EditKindFile(const std::string& path) = 0;
  virtual void Hide() = 0;
};

class SetupPresenter {
 public:
  SetupPresenter(SetupView& view, TApSystem& settings) : m_view(view), m_settings(settings) {}

  // The tax rate's spin edit: its range, step and value before any setting.
  static constexpr std::int32_t kTaxMin = 0;
  static constexpr std::int32_t kTaxMax = 100;
  static constexpr std::int32_t kTaxIncrement = 1;
  static constexpr std::int32_t kTaxStart = 5;

  static constexpr const char* kKakeiboFilter = "CSVファイル|*.csv;*.txt|すべてのファイル|*.*";
  static constexpr const char* kKindFilter =
      "設定ファイル（テキストファイル）|*.vkd;*.txt|すべてのファイル|*.*";

  // The dialog was shown anew (not un-minimised).
  void OnShow();
  void FormShow();
  void bbtn_OkClick();
  void BitBtn2Click();
  void spbtn_File_KakeiboClick();
  void spbtn_File_KindClick();
  void spbtn_Edit_KindClick();

 private:
  // False, with the message shown and the box focused, when a file name
  // holds a character no file name can carry through the settings.
  bool CheckFileName(SetupControl box, const char* message);

  SetupView& m_view;
  TApSystem& m_settings;
  bool m_shownOnce = false;
  std::string m_kakeiboChoice;
  std::string m_kindChoice;
};

}  // namespace mametan
