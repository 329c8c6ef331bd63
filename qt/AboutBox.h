#pragma once
// The about box: product name and logo, maker, file version, copyright, the
// two links, the operating system and the machine's memory. Created hidden
// once per run and shown modeless; every showing gathers the facts afresh.
#include <QDialog>
#include <memory>

#include "core/dialogs/AboutPresenter.h"

namespace Ui {
class Tform_About;
}

namespace mametan {

// The about box's labels and pixels; its logic is AboutPresenter.
class Tform_About : public QDialog, private AboutView {
  Q_OBJECT
 public:
  explicit Tform_About(QWidget* parent = nullptr);
  ~Tform_About() override;

  // The labels, made on first use.
  Ui::Tform_About* ui();
  void setVisible(bool visible) override;

 private:
  std::unique_ptr<Ui::Tform_About> m_ui;
  AboutPresenter m_presenter;

 public:
  AboutQueries& Queries = m_presenter.Queries;

 public slots:
  void OKButtonClick() { m_presenter.OKButtonClick(); }
  void lbl_WWWClick() { m_presenter.lbl_WWWClick(); }
  void lbl_EMailClick() { m_presenter.lbl_EMailClick(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  // AboutView
  void SetText(AboutLabel label, const std::string& text) override;
  void SetCommentsShown(bool shown) override;
  void PlaceAtDefault() override;
  void FocusOk() override;
  void Hide() override { hide(); }
};

extern Tform_About* form_About;

}  // namespace mametan
