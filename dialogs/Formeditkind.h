#pragma once
// The classification file editor: the file named by the setup dialog's
// classification file box, as plain text. Opened modally from the setup
// dialog; OK writes the file (atomically, code page 932, CR LF as held) and
// closes; a failed write keeps the editor open with the typed text.
#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace mametan {

class Tform_EditKindFile : public QDialog {
  Q_OBJECT
 public:
  explicit Tform_EditKindFile(QWidget* parent = nullptr);

  QPlainTextEdit* memo_KindFile = nullptr;
  QPushButton* bbtn_Ok = nullptr;
  QPushButton* bbtn_Cancel = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lbl_KindFile = nullptr;

 public slots:
  void FormShow();
  void bbtn_OkClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString FileName() const;
  bool m_shownOnce = false;
};

extern Tform_EditKindFile* form_EditKindFile;

}  // namespace mametan
