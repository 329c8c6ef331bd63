#pragma once
// The spin edit: a numeric field with small up and down buttons inside its
// right edge (the setup dialog's tax rate). Three classes:
// - TTimerSpeedButton: a flat button that repeats its click while held:
//   first at 400 ms, then every 100 ms while shown down, and once more on a
//   release inside the button (so a short click clicks once).
// - TCSpinButton: the two buttons stacked; Space, Up and Down click them
//   while it has the focus.
// - TCSpinEdit: the field. Only characters that can form a number may be
//   typed (a refused one beeps); Value reads the text with the program's
//   integer rule and does not clamp; stepping, SetValue and leaving the field
//   bring the value into [MinValue, MaxValue] (no range when they are equal).
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "qt/RepeatTimer.h"

namespace mametan {

class TTimerSpeedButton : public QToolButton {
  Q_OBJECT
 public:
  explicit TTimerSpeedButton(QWidget* parent = nullptr);
  ~TTimerSpeedButton() override;

  bool Repeating() const { return m_repeat; }
  void SetRepeating(bool on) { m_repeat = on; }
  bool FocusRect() const { return m_focusRect; }
  void SetFocusRect(bool on) { m_focusRect = on; }

  void TimerExpired();

 signals:
  // A press of any mouse button, before the repeat starts.
  void MouseDown(Qt::MouseButton button);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<RepeatTimer> m_timer;
  bool m_repeat = false;
  bool m_focusRect = false;
  bool m_held = false;  // the left button went down here and is not yet released
};

class TCSpinButton : public QWidget {
  Q_OBJECT
 public:
  explicit TCSpinButton(QWidget* parent = nullptr);

  TTimerSpeedButton* UpButton() const { return m_up; }
  TTimerSpeedButton* DownButton() const { return m_down; }
  TTimerSpeedButton* FocusedButton() const { return m_focused; }
  void SetFocusBtn(TTimerSpeedButton* button);

  QWidget* FocusControl = nullptr;

 signals:
  void OnUpClick();
  void OnDownClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  TTimerSpeedButton* CreateButton(bool up);
  void AdjustSize(int& width, int& height);
  void BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button);

  TTimerSpeedButton* m_up = nullptr;
  TTimerSpeedButton* m_down = nullptr;
  TTimerSpeedButton* m_focused = nullptr;
};

class TCSpinEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
  Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
  Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
  Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
  Q_PROPERTY(int Value READ GetValue WRITE SetValue)
 public:
  explicit TCSpinEdit(QWidget* parent = nullptr);
  ~TCSpinEdit() override;

  std::int32_t MinValue() const { return m_minValue; }
  void SetMinValue(std::int32_t v) { m_minValue = v; }
  std::int32_t MaxValue() const { return m_maxValue; }
  void SetMaxValue(std::int32_t v) { m_maxValue = v; }
  std::int32_t Increment() const { return m_increment; }
  void SetIncrement(std::int32_t v) { m_increment = v; }
  bool EditorEnabled() const { return m_editorEnabled; }
  void SetEditorEnabled(bool on) { m_editorEnabled = on; }

  // Reading can change the text: one that does not convert becomes MinValue.
  std::int32_t GetValue();
  void SetValue(std::int32_t value);
  std::int32_t CheckValue(std::int32_t value) const;
  virtual bool IsValidChar(char32_t c) const;
  virtual void UpClick();
  virtual void DownClick();

  int GetMinHeight() const;
  TCSpinButton* Button() const { return m_button; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool CanPasteOrCut() const { return m_editorEnabled && !isReadOnly(); }
  void PlaceButton();
  void SetEditRect();

  TCSpinButton* m_button = nullptr;
  std::int32_t m_minValue = 0;
  std::int32_t m_maxValue = 0;
  std::int32_t m_increment = 1;
  bool m_editorEnabled = true;
};

}  // namespace mametan
