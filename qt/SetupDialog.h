#pragma once
// The setup dialog: the two file names, three window and keyboard options,
// the delete-settings flag and the tax rate. Modeless; it changes only the
// in-memory settings record, on OK. Every showing reloads the controls from
// the record, so edits left by Cancel, Esc or the close box are gone.
#include <QDialog>
#include <memory>

#include "core/dialogs/SetupPresenter.h"

namespace Ui {
class Tform_Setup;
}

namespace mametan {

class Tform_EditKindFile;

// The setup dialog's controls and pixels; its logic is SetupPresenter.
class Tform_Setup : public QDialog, private SetupView {
  Q_OBJECT
 public:
  explicit Tform_Setup(QWidget* parent = nullptr);
  ~Tform_Setup() override;

  // The controls, made on first use.
  Ui::Tform_Setup* ui();
  void setVisible(bool visible) override;
  // The editor the edit button opens, modal over this dialog.
  void SetKindEditor(Tform_EditKindFile* editor) { m_editor = editor; }

 public slots:
  void FormShow() { m_presenter.FormShow(); }
  void bbtn_OkClick() { m_presenter.bbtn_OkClick(); }
  void BitBtn2Click() { m_presenter.BitBtn2Click(); }
  void spbtn_File_KakeiboClick() { m_presenter.spbtn_File_KakeiboClick(); }
  void spbtn_File_KindClick() { m_presenter.spbtn_File_KindClick(); }
  void spbtn_Edit_KindClick() { m_presenter.spbtn_Edit_KindClick(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void BuildControls();
  QWidget* Control(SetupControl control);
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
  void Hide() override { hide(); }
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

  std::unique_ptr<Ui::Tform_Setup> m_ui;
  SetupPresenter m_presenter;
  Tform_EditKindFile* m_editor = nullptr;
};

extern Tform_Setup* form_Setup;

}  // namespace mametan
