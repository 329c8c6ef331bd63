#pragma once
// The input window: one purchase typed, checked, taxed and appended to the
// ledger. Created hidden once per run; closing it only hides it.
#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/entry/InputPresenter.h"

class QMenu;

namespace Ui {
class Tform_Input;
}

namespace mametan {

class TMaskEdit;

// The input window's controls and pixels; its logic is InputPresenter.
class Tform_Input : public QDialog, private InputView {
  Q_OBJECT
 public:
  explicit Tform_Input(QWidget* parent = nullptr);
  ~Tform_Input() override;

  // The hide steps: the window's position and two check boxes go into the
  // settings record. The exit command calls it directly, window still open.
  void FormHide() { m_presenter.FormHide(); }
  // The menu shown by a right click on the window's background.
  void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }

  // The controls, made on first use.
  Ui::Tform_Input* ui();
  void setVisible(bool visible) override;

 public slots:
  void bbtn_OkClick() { m_presenter.bbtn_OkClick(); }
  void bbtn_CancelClick() { m_presenter.bbtn_CancelClick(); }
  void cb_NextInputClick() { m_presenter.cb_NextInputClick(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void BuildControls();
  void FillKindBox();
  bool IsKeyHandlingControl(QObject* object) const;
  QWidget* Control(InputControl control);

  // InputView
  std::string Text(InputControl control) override;
  void SetText(InputControl control, const std::string& text) override;
  bool Checked(InputControl control) override;
  void SetChecked(InputControl control, bool checked) override;
  void Focus(InputControl control) override;
  bool DateComplete() override;
  void RefuseUnfinishedDate() override;
  std::optional<std::string> ListedKindBytes() override;
  void ClearKind() override;
  void SetKinds(std::vector<std::string> kinds) override;
  void SetOkDefault(bool isDefault) override;
  void MoveFocus(bool forward) override;
  CivilDate Today() override;
  std::string DateSeparator() override;
  std::vector<ScreenArea> Screens() override;
  int FrameWidth() override;
  int TitleBarHeight() override;
  std::optional<WindowPoint> FramePlace() override;
  void PlaceFrameAt(WindowPoint frameTopLeft) override;
  WindowPoint PlaceAtDefault() override;
  void Show() override { show(); }
  void Hide() override { hide(); }
  bool IsVisible() override { return isVisible(); }
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowErrorBox(const std::string& text) override;

  InputPresenter m_presenter;
  std::unique_ptr<Ui::Tform_Input> m_ui;
  std::optional<std::vector<std::string>> m_kinds;  // read at creation
  QMenu* m_contextMenu = nullptr;
};

extern Tform_Input* form_Input;

}  // namespace mametan
