#pragma once
// The classification file editor: the file named by the setup dialog's
// classification file box, as plain text. Opened modally from the setup
// dialog; OK writes the file (atomically, code page 932, CR LF as held) and
// closes; a failed write keeps the editor open with the typed text.
#include <QDialog>
#include <memory>

namespace Ui {
class Tform_EditKindFile;
}

namespace mametan {

class Tform_EditKindFile : public QDialog {
  Q_OBJECT
 public:
  explicit Tform_EditKindFile(QWidget* parent = nullptr);
  ~Tform_EditKindFile() override;

  Ui::Tform_EditKindFile* ui() const { return m_ui.get(); }

 public slots:
  void FormShow();
  void bbtn_OkClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString FileName() const;
  std::unique_ptr<Ui::Tform_EditKindFile> m_ui;
  bool m_shownOnce = false;
};

extern Tform_EditKindFile* form_EditKindFile;

}  // namespace mametan
