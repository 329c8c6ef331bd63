#pragma once
// The setup dialog: the two file names, three window and keyboard options,
// the delete-settings flag and the tax rate. Modeless; it changes only the
// in-memory settings record, on OK. Every showing reloads the controls from
// the record, so edits left by Cancel, Esc or the close box are gone.
#include <QDialog>
#include <memory>

namespace Ui {
class Tform_Setup;
}

namespace mametan {

class Tform_Setup : public QDialog {
  Q_OBJECT
 public:
  explicit Tform_Setup(QWidget* parent = nullptr);
  ~Tform_Setup() override;

  Ui::Tform_Setup* ui() const { return m_ui.get(); }
  // The classification file box as it stands, confirmed or not: the file
  // the editor works on.
  QString KindFileText() const;

 public slots:
  void FormShow();
  void bbtn_OkClick();
  void BitBtn2Click();
  void spbtn_File_KakeiboClick();
  void spbtn_File_KindClick();
  void spbtn_Edit_KindClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  std::unique_ptr<Ui::Tform_Setup> m_ui;
  // Each open-file dialog starts from its own previous choice.
  QString m_kakeiboChoice;
  QString m_kindChoice;
  bool m_shownOnce = false;
};

extern Tform_Setup* form_Setup;

}  // namespace mametan
