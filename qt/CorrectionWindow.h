#pragma once
// The correction window: one purchase of the ledger, opened from the
// viewer's table, with the input window's fields and rules; OK writes it
// back in place of its line.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "core/viewer/CorrectionPresenter.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mametan {

class TMaskEdit;

class Tform_Correction : public QDialog, private CorrectionView {
  Q_OBJECT
 public:
  Tform_Correction(LedgerEditHistory& history, const std::string& kindFile,
                   QWidget* parent = nullptr);

  // Shows the purchase and waits until the window is closed; true when the
  // ledger is to be read again (it was written, or found changed).
  bool Correct(const LedgerLineBytes& purchase);

 protected:
  void reject() override;

 private:
  QWidget* Control(CorrectionControl control);

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

  CorrectionPresenter m_presenter;
  TMaskEdit* medt_Date;
  QComboBox* cbbox_Kind;
  QLineEdit* edt_Goods;
  QLineEdit* edt_Price;
  QLabel* lbl_Line;
  QPushButton* bbtn_Ok;
  QPushButton* bbtn_Cancel;
  bool m_readAgain = false;
};

}  // namespace mametan
