#pragma once
// The classification file editor: the file named by the setup dialog's
// classification file box, as plain text. Opened modally from the setup
// dialog; OK writes the file (atomically, code page 932, CR LF as held) and
// closes; a failed write keeps the editor open with the typed text.
#include <QDialog>
#include <memory>
#include <string>

#include "core/dialogs/KindEditorPresenter.h"

namespace Ui {
class Tform_EditKindFile;
}

namespace mametan {

// The editor's controls and pixels; its logic is KindEditorPresenter.
class Tform_EditKindFile : public QDialog, private KindEditorView {
  Q_OBJECT
 public:
  explicit Tform_EditKindFile(QWidget* parent = nullptr);
  ~Tform_EditKindFile() override;

  // The controls, made on first use.
  Ui::Tform_EditKindFile* ui();
  void setVisible(bool visible) override;
  // Above this many lines the text box holds several lines in a block.
  static constexpr qsizetype kManyLines = 100000;
  // Runs the editor modally on the file at `path`.
  void Edit(const std::string& path);

 public slots:
  void FormShow() { m_presenter.FormShow(); }
  void bbtn_OkClick() { m_presenter.bbtn_OkClick(); }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  // KindEditorView
  void SetFileCaption(const std::string& path) override;
  std::string Text() override;
  void SetText(const std::string& text) override;
  void Close(bool accepted) override;
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

  std::unique_ptr<Ui::Tform_EditKindFile> m_ui;
  KindEditorPresenter m_presenter;
  bool m_shownOnce = false;
};

extern Tform_EditKindFile* form_EditKindFile;

}  // namespace mametan
