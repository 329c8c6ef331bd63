#include "qt/SpinEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <algorithm>

#include "core/common/IntegerText.h"
#include "core/controls/SpinRules.h"
#include "qt/MessageBox.h"

namespace mametan {
namespace {

// The 9 x 6 glyphs: a black triangle of rows 1, 3, 5 and 7 pixels wide from
// the second row down (pointing up), or the same rows reversed, on a
// transparent ground.
QIcon SpinGlyph(bool up) {
  QImage image(9, 6, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int row = 1; row <= 4; ++row) {
    const int width = 2 * row - 1;
    const int y = up ? row : 5 - row;
    for (int x = 4 - (row - 1); x < 4 - (row - 1) + width; ++x) image.setPixel(x, y, 0xFF000000);
  }
  QIcon icon;
  icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
  return icon;
}

// The character a key press would type, as the field's filter sees it; 0
// for keys that type nothing (Delete, arrows, function keys).
char32_t TypedChar(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Delete:
      return 0;
    default:
      break;
  }
  const QString text = event->text();
  if (text.isEmpty()) return 0;
  const char32_t c = text.toUcs4().value(0);
  return c == 127 ? 0 : c;
}

char32_t DecimalSeparator() {
  const QString sep = QLocale().decimalPoint();
  return sep.isEmpty() ? U'.' : sep.toUcs4().value(0);
}

}  // namespace

// --- TTimerSpeedButton -------------------------------------------------------

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : QToolButton(parent) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
  setToolButtonStyle(Qt::ToolButtonIconOnly);
}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event) {
  QToolButton::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) m_held = true;
  emit MouseDown(event->button());
  if (m_repeat) {
    if (!m_timer) {
      m_timer = CreateRepeatTimer();
      m_timer->OnTimer = [this] { TimerExpired(); };
    }
    m_timer->SetInterval(kSpinFirstRepeatMs);
    m_timer->Start();
  }
}

void TTimerSpeedButton::TimerExpired() {
  m_timer->SetInterval(kSpinRepeatMs);
  // Down only while the pointer is on the button; held only until release.
  if (isDown() && m_held) {
    try {
      emit clicked();
    } catch (...) {
      m_timer->Stop();
      throw;
    }
  }
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
  // The base clicks when the release is inside the button.
  QToolButton::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) m_held = false;
  if (m_timer) m_timer->Stop();
}

void TTimerSpeedButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  if (!m_focusRect) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = rect().adjusted(3, 3, -3, -3);
  if (isDown()) option.rect.translate(1, 1);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

// --- TCSpinButton --------------------------------------------------------------

TCSpinButton::TCSpinButton(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  m_up = CreateButton(true);
  m_down = CreateButton(false);
  m_focused = m_up;
  resize(20, 25);
}

TTimerSpeedButton* TCSpinButton::CreateButton(bool up) {
  auto* button = new TTimerSpeedButton(this);
  button->setObjectName(up ? QStringLiteral("UpButton") : QStringLiteral("DownButton"));
  button->setIcon(SpinGlyph(up));
  button->setIconSize(QSize(9, 6));
  button->SetRepeating(true);
  connect(button, &QAbstractButton::clicked, this, [this, up] {
    if (up) {
      emit OnUpClick();
    } else {
      emit OnDownClick();
    }
  });
  connect(button, &TTimerSpeedButton::MouseDown, this,
          [this, button](Qt::MouseButton b) { BtnMouseDown(button, b); });
  button->show();
  return button;
}

void TCSpinButton::AdjustSize(int& width, int& height) {
  if (!m_up || !m_down) return;
  width = std::max(width, 15);
  m_up->setGeometry(0, 0, width, height / 2);
  const int upHeight = m_up->height();
  // The two buttons overlap by one pixel.
  m_down->setGeometry(0, upHeight - 1, width, height - upHeight + 1);
}

void TCSpinButton::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  int w = width();
  int h = height();
  AdjustSize(w, h);
  if (w != width() || h != height()) resize(w, h);
}

void TCSpinButton::BtnMouseDown(TTimerSpeedButton* sender, Qt::MouseButton button) {
  if (button != Qt::LeftButton) return;
  SetFocusBtn(sender);
  if (FocusControl && (FocusControl->focusPolicy() & Qt::TabFocus) && FocusControl->isEnabled() &&
      FocusControl->isVisible() && !FocusControl->hasFocus()) {
    FocusControl->setFocus(Qt::MouseFocusReason);
  } else if ((focusPolicy() & Qt::TabFocus) && !hasFocus() && isEnabled() && isVisible()) {
    setFocus(Qt::MouseFocusReason);
  }
}

void TCSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
  if (!(focusPolicy() & Qt::TabFocus) || !isEnabled() || button == m_focused) return;
  m_focused->SetFocusRect(false);
  m_focused->update();
  m_focused = button;
  if (hasFocus()) {
    m_focused->SetFocusRect(true);
    m_focused->update();
  }
}

void TCSpinButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  m_focused->SetFocusRect(true);
  m_focused->update();
}

void TCSpinButton::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  m_focused->SetFocusRect(false);
  m_focused->update();
}

void TCSpinButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
      m_focused->click();
      break;
    case Qt::Key_Up:
      SetFocusBtn(m_up);
      m_up->click();
      break;
    case Qt::Key_Down:
      SetFocusBtn(m_down);
      m_down->click();
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

// --- TCSpinEdit ----------------------------------------------------------------

TCSpinEdit::TCSpinEdit(QWidget* parent) : QLineEdit(parent) {
  m_button = new TCSpinButton(this);
  m_button->resize(15, 17);
  m_button->FocusControl = this;
  connect(m_button, &TCSpinButton::OnUpClick, this, [this] { UpClick(); });
  connect(m_button, &TCSpinButton::OnDownClick, this, [this] { DownClick(); });
  m_button->show();
  setText(QStringLiteral("0"));
  PlaceButton();
}

TCSpinEdit::~TCSpinEdit() { m_button = nullptr; }

std::int32_t TCSpinEdit::CheckValue(std::int32_t value) const {
  return CheckSpinValue(value, m_minValue, m_maxValue);
}

std::int32_t TCSpinEdit::GetValue() {
  const SpinRead read = ReadSpinText(text().toStdString(), m_minValue);
  if (read.replaced) setText(QString::fromStdString(IntToStr(m_minValue)));
  return read.value;
}

void TCSpinEdit::SetValue(std::int32_t value) {
  setText(QString::fromStdString(IntToStr(CheckValue(value))));
}

bool TCSpinEdit::IsValidChar(char32_t c) const {
  return IsValidSpinChar(c, DecimalSeparator(), m_editorEnabled);
}

void TCSpinEdit::UpClick() {
  if (isReadOnly()) {
    Beep();
  } else {
    SetValue(StepSpinValue(GetValue(), m_increment, true));
  }
}

void TCSpinEdit::DownClick() {
  if (isReadOnly()) {
    Beep();
  } else {
    SetValue(StepSpinValue(GetValue(), m_increment, false));
  }
}

void TCSpinEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
    if (event->key() == Qt::Key_Up) {
      UpClick();
    } else {
      DownClick();
    }
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
    if (!CanPasteOrCut()) {
      event->accept();
      return;
    }
    QLineEdit::keyPressEvent(event);
    return;
  }
  const char32_t c = TypedChar(event);
  // Ctrl and Alt chords are commands (copy, select all, accelerators), not typing.
  const bool chord = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  if (c != 0 && !chord && !IsValidChar(c)) {
    Beep();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TCSpinEdit::inputMethodEvent(QInputMethodEvent* event) {
  QString kept;
  bool refused = false;
  for (const char32_t c : event->commitString().toUcs4()) {
    if (IsValidChar(c)) {
      kept += QString::fromUcs4(&c, 1);
    } else {
      refused = true;
    }
  }
  if (!refused) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  Beep();
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
  QLineEdit::inputMethodEvent(&filtered);
}

void TCSpinEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // A click into the field places the cursor; any other entry selects all.
  if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::ActiveWindowFocusReason &&
      event->reason() != Qt::PopupFocusReason) {
    selectAll();
  }
}

void TCSpinEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Only leaving for another control of the window checks the range; a
  // button's accelerator (Alt+O) clicks without taking the focus, so OK
  // reads the value as typed.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  const std::int32_t value = GetValue();
  if (CheckValue(value) != value) SetValue(value);
}

int TCSpinEdit::GetMinHeight() const {
  const int screenHeight = QFontMetrics(QApplication::font()).height();
  const int fieldHeight = QFontMetrics(font()).height();
  const int smaller = std::min(screenHeight, fieldHeight);
  constexpr int kBorder = 1;
  return fieldHeight + smaller / 4 + 4 * kBorder + 2;
}

void TCSpinEdit::resizeEvent(QResizeEvent* event) {
  // The size changes at once; its event may be lost while the field is being
  // shown, so the buttons are placed for the new size here and now.
  const int minHeight = GetMinHeight();
  if (height() < minHeight) resize(width(), minHeight);
  QLineEdit::resizeEvent(event);
  PlaceButton();
}

void TCSpinEdit::PlaceButton() {
  if (!m_button) return;
  const int frame =
      hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) : 0;
  m_button->setGeometry(width() - m_button->width() - frame, frame, m_button->width(),
                        height() - 2 * frame);
  SetEditRect();
}

void TCSpinEdit::SetEditRect() {
  // The text stops short of the buttons.
  if (m_button) setTextMargins(0, 0, m_button->width() + 2, 0);
}

void TCSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
  std::unique_ptr<QMenu> menu(createStandardContextMenu());
  if (!CanPasteOrCut()) {
    for (QAction* action : menu->actions()) {
      if (action->objectName() == QLatin1String("edit-paste") ||
          action->objectName() == QLatin1String("edit-cut")) {
        action->setEnabled(false);
      }
    }
  }
  menu->exec(event->globalPos());
}

void TCSpinEdit::mouseReleaseEvent(QMouseEvent* event) {
  // The middle button pastes the selection on X11.
  if (event->button() == Qt::MiddleButton && !CanPasteOrCut()) {
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TCSpinEdit::dropEvent(QDropEvent* event) {
  if (!CanPasteOrCut()) {
    event->ignore();
    return;
  }
  QLineEdit::dropEvent(event);
}

}  // namespace mametan
