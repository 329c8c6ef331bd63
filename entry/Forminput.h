#pragma once
// The input window: one purchase typed, checked, taxed and appended to the
// ledger. Created hidden once per run; closing it only hides it.
#include <QDialog>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;

namespace Ui {
class Tform_Input;
}

namespace mametan {

class TMaskEdit;

// The modifiers of the last key-down in one of the window's six key-handling
// controls (Shift, Ctrl, Alt only).
extern Qt::KeyboardModifiers LastKeyShift;

class Tform_Input : public QDialog {
  Q_OBJECT
 public:
  explicit Tform_Input(QWidget* parent = nullptr);
  ~Tform_Input() override;

  // The hide steps: the window's position and two check boxes go into the
  // settings record. The exit command calls it directly, window still open.
  void FormHide();
  // The menu shown by a right click on the window's background.
  void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }

  // The controls, made on first use.
  Ui::Tform_Input* ui();
  void setVisible(bool visible) override;

 public slots:
  void bbtn_OkClick();
  void bbtn_CancelClick();
  void cb_NextInputClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void FormCreate();
  void BuildControls();
  void FillKindBox();
  void FormShow();
  // Centred on the primary screen.
  void PlaceAtDefault();
  bool ValidateEntry(std::int32_t* price);
  bool IsKeyHandlingControl(QObject* object) const;
  // FormKeyDown and FormKeyPress in one: true when the key was consumed.
  bool HandleKey(QKeyEvent* event);
  QByteArray KindBytes() const;

  std::unique_ptr<Ui::Tform_Input> m_ui;
  std::optional<std::vector<std::string>> m_kinds;  // read at creation
  QMenu* m_contextMenu = nullptr;
  bool m_shownOnce = false;
  // Where the window was put instead of an unusable stored place; while it
  // stays there the stored place is kept.
  std::optional<QPoint> m_defaultPlace;
};

extern Tform_Input* form_Input;

}  // namespace mametan
