#include "qt/InputWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <limits>

#include "core/common/ApSystem.h"
#include "core/entry/DateMask.h"
#include "qt/ClassificationList.h"
#include "qt/Clock.h"
#include "qt/ImeMode.h"
#include "qt/MaskedEdit.h"
#include "qt/MessageBox.h"
#include "qt/Pictures.h"
#include "qt/WindowFrame.h"
#include "ui_InputWindow.h"

namespace mametan {

Tform_Input* form_Input = nullptr;

namespace {

void SetPixelFont(QWidget* w, int px, bool bold = false) {
  QFont f = w->font();
  f.setPixelSize(px);
  f.setBold(bold);
  w->setFont(f);
}

// The window's outer top-left, its frame's, as the window manager has it now.
// QWidget::pos() can still hold the place asked for before the window
// manager framed the window.
QPoint FrameTopLeft(QWidget* window) {
  if (const auto onScreen = FrameTopLeftOnScreen(window)) return *onScreen;
  return window->pos();
}

KeyStroke ToKeyStroke(const QKeyEvent* key) {
  KeyStroke k;
  k.enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
  k.keypad = key->modifiers() & Qt::KeypadModifier;
  k.shift = key->modifiers() & Qt::ShiftModifier;
  k.ctrl = key->modifiers() & Qt::ControlModifier;
  k.alt = key->modifiers() & Qt::AltModifier;
  return k;
}

}  // namespace

Tform_Input::Tform_Input(QWidget* parent) : QDialog(parent), m_presenter(*this, SettingsRecord) {
  setObjectName(QStringLiteral("form_Input"));
  setWindowTitle(QStringLiteral("まめたん家計簿 - 入力"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  // The form is designed taller; the inert grid below stays cut off.
  setFixedSize(345, 161);
  m_presenter.FormCreate();
}

Tform_Input::~Tform_Input() = default;

Ui::Tform_Input* Tform_Input::ui() {
  BuildControls();
  return m_ui.get();
}

void Tform_Input::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

void Tform_Input::BuildControls() {
  // The controls are made when the window is first shown: a program that
  // waits in the tray then loads no fonts and lays out no text.
  if (m_ui) return;
  m_ui = std::make_unique<Ui::Tform_Input>();
  m_ui->setupUi(this);
  setFixedSize(345, 161);

  QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
  face.setPixelSize(12);
  setFont(face);
  for (QWidget* label : {m_ui->Label1, m_ui->Label2, m_ui->Label3, m_ui->Label4}) {
    SetPixelFont(label, 15, true);
  }
  for (QWidget* field : std::initializer_list<QWidget*>{m_ui->medt_Date, m_ui->cbbox_Kind,
                                                        m_ui->edt_Goods, m_ui->edt_Price}) {
    SetPixelFont(field, 15);
  }

  // The boxes' captions must fit their 93 to 97 pixels beside the indicator.
  for (QWidget* box : {m_ui->cb_AutoTax, m_ui->cb_NextInput, m_ui->cb_HoldDate}) {
    box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 2px; }"));
  }

  // The date must fit its 89 pixels: digits of half an em.
  QFont dateFont = m_ui->medt_Date->font();
  dateFont.setFamilies({QStringLiteral("ＭＳ ゴシック")});
  m_ui->medt_Date->setFont(dateFont);

  // Japanese input on for the texts, off for the date and the price: digits
  // typed there stay ASCII even while the input method is on.
  SetImeMode(m_ui->medt_Date, ImeMode::Off,
             Qt::ImhDigitsOnly | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
  SetImeMode(m_ui->edt_Price, ImeMode::Off,
             Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
  SetImeMode(m_ui->cbbox_Kind, ImeMode::On);
  SetImeMode(m_ui->edt_Goods, ImeMode::On);
  // A kind typed by hand is written as typed: no completion from the list.
  m_ui->cbbox_Kind->setCompleter(nullptr);

  // Typed and picked texts have no length limit: the toolkit's default
  // maxLength of 32,767 would cut them without a word.
  for (QLineEdit* edit : {m_ui->edt_Goods, m_ui->edt_Price, m_ui->cbbox_Kind->lineEdit()}) {
    edit->setMaxLength(std::numeric_limits<int>::max());
  }
  m_ui->medt_Date->SetEditMask(QString::fromUtf8(kDateEditMask));
  m_ui->medt_Date->SetMaxLength(kDateMaxLength);
  m_ui->bbtn_Ok->setIcon(Picture("ok"));
  m_ui->bbtn_Cancel->setIcon(Picture("cancel"));
  m_ui->StringGrid1->setColumnWidth(0, 64);
  m_ui->StringGrid1->setColumnWidth(1, 74);
  m_ui->StringGrid1->setColumnWidth(2, 64);
  m_ui->StringGrid1->setColumnWidth(3, 64);
  for (int row = 0; row < 5; ++row) m_ui->StringGrid1->setRowHeight(row, row == 1 ? 18 : 24);

  for (QObject* control :
       std::initializer_list<QObject*>{m_ui->medt_Date, m_ui->cbbox_Kind, m_ui->edt_Goods,
                                       m_ui->edt_Price, m_ui->bbtn_Ok, m_ui->bbtn_Cancel}) {
    control->installEventFilter(this);
  }
  if (m_ui->cbbox_Kind->lineEdit()) m_ui->cbbox_Kind->lineEdit()->installEventFilter(this);
  // The dropped-down list has the keys while it is open.
  m_ui->cbbox_Kind->view()->installEventFilter(this);

  connect(m_ui->bbtn_Ok, &QPushButton::clicked, this, &Tform_Input::bbtn_OkClick);
  connect(m_ui->bbtn_Cancel, &QPushButton::clicked, this, &Tform_Input::bbtn_CancelClick);
  connect(m_ui->cb_NextInput, &QCheckBox::toggled, this, &Tform_Input::cb_NextInputClick);

  FillKindBox();
}

void Tform_Input::FillKindBox() {
  if (!m_ui || !m_kinds) return;
  FillKinds(m_ui->cbbox_Kind, *m_kinds);
  m_kinds.reset();  // the box's model holds them now
  // Filling the list must not put a kind into the box the show steps emptied.
  m_ui->cbbox_Kind->setCurrentIndex(-1);
  m_ui->cbbox_Kind->setEditText(QString());
}

void Tform_Input::SetKinds(std::vector<std::string> kinds) {
  m_kinds = std::move(kinds);
  FillKindBox();
}

void Tform_Input::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  m_presenter.OnShow();
}

void Tform_Input::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) m_presenter.FormHide();
}

void Tform_Input::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; it is not Cancel.
  event->accept();
}

void Tform_Input::reject() { m_ui->bbtn_Cancel->click(); }

void Tform_Input::contextMenuEvent(QContextMenuEvent* event) {
  if (m_contextMenu) m_contextMenu->popup(event->globalPos());
}

QWidget* Tform_Input::Control(InputControl control) {
  Ui::Tform_Input* u = ui();
  switch (control) {
    case InputControl::Date:
      return u->medt_Date;
    case InputControl::Kind:
      return u->cbbox_Kind;
    case InputControl::Goods:
      return u->edt_Goods;
    case InputControl::Price:
      return u->edt_Price;
    case InputControl::AutoTax:
      return u->cb_AutoTax;
    case InputControl::NextInput:
      return u->cb_NextInput;
    case InputControl::HoldDate:
      return u->cb_HoldDate;
    case InputControl::Ok:
      return u->bbtn_Ok;
    case InputControl::Cancel:
      return u->bbtn_Cancel;
  }
  return nullptr;
}

std::string Tform_Input::Text(InputControl control) {
  QWidget* w = Control(control);
  if (auto* date = qobject_cast<TMaskEdit*>(w)) return date->Text().toStdString();
  if (auto* box = qobject_cast<QComboBox*>(w)) return box->currentText().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
  return {};
}

void Tform_Input::SetText(InputControl control, const std::string& text) {
  QWidget* w = Control(control);
  const QString t = QString::fromStdString(text);
  if (auto* date = qobject_cast<TMaskEdit*>(w)) {
    date->SetText(t);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(t);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(t);
  }
}

bool Tform_Input::Checked(InputControl control) {
  auto* box = qobject_cast<QAbstractButton*>(Control(control));
  return box && box->isChecked();
}

void Tform_Input::SetChecked(InputControl control, bool checked) {
  if (auto* box = qobject_cast<QAbstractButton*>(Control(control))) box->setChecked(checked);
}

void Tform_Input::Focus(InputControl control) { Control(control)->setFocus(Qt::OtherFocusReason); }

bool Tform_Input::DateComplete() { return ui()->medt_Date->FirstUnfilledPosition() < 0; }

void Tform_Input::RefuseUnfinishedDate() { ui()->medt_Date->ValidateEdit(); }

std::optional<std::string> Tform_Input::ListedKindBytes() {
  return mametan::ListedKindBytes(ui()->cbbox_Kind);
}

void Tform_Input::ClearKind() {
  ui()->cbbox_Kind->setCurrentIndex(-1);
  m_ui->cbbox_Kind->setEditText(QString());
}

void Tform_Input::SetOkDefault(bool isDefault) { ui()->bbtn_Ok->setDefault(isDefault); }

void Tform_Input::MoveFocus(bool forward) { focusNextPrevChild(forward); }

CivilDate Tform_Input::Today() {
  const QDate today = mametan::Today();
  return {today.year(), today.month(), today.day()};
}

std::string Tform_Input::DateSeparator() { return QString(mametan::DateSeparator()).toStdString(); }

std::vector<ScreenArea> Tform_Input::Screens() {
  std::vector<ScreenArea> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    screens.push_back({g.x(), g.y(), g.width(), g.height()});
  }
  return screens;
}

int Tform_Input::FrameWidth() { return frameGeometry().width(); }

int Tform_Input::TitleBarHeight() { return std::max(geometry().top() - frameGeometry().top(), 20); }

std::optional<WindowPoint> Tform_Input::FramePlace() {
  // A Wayland compositor does not tell a window where it is.
  if (!WindowPlacesKnown()) return std::nullopt;
  const QPoint p = FrameTopLeft(this);
  return WindowPoint{p.x(), p.y()};
}

void Tform_Input::PlaceFrameAt(WindowPoint frameTopLeft) {
  mametan::PlaceFrameAt(this, QPoint(frameTopLeft.x, frameTopLeft.y));
}

WindowPoint Tform_Input::PlaceAtDefault() {
  CentreOnScreen(this);
  return {pos().x(), pos().y()};
}

void Tform_Input::ShowMessage(const std::string& text, MessageIcon icon) {
  // Before the window is first shown the message belongs to no window.
  ShowMessageBox(QString::fromStdString(text), icon, isVisible() ? this : nullptr);
}

void Tform_Input::ShowErrorBox(const std::string& text) {
  mametan::ShowErrorBox(QString::fromStdString(text));
}

bool Tform_Input::IsKeyHandlingControl(QObject* o) const {
  return o == m_ui->medt_Date || o == m_ui->cbbox_Kind || o == m_ui->cbbox_Kind->lineEdit() ||
         o == m_ui->edt_Goods || o == m_ui->edt_Price || o == m_ui->bbtn_Ok ||
         o == m_ui->bbtn_Cancel;
}

bool Tform_Input::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && m_ui && watched == m_ui->cbbox_Kind->view()) {
    // The list picks the item and closes itself; the focus moves on after.
    if (const auto forward =
            m_presenter.ListKeyPress(ToKeyStroke(static_cast<QKeyEvent*>(event)))) {
      QMetaObject::invokeMethod(
          this, [this, f = *forward] { focusNextPrevChild(f); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
  }
  if (event->type() == QEvent::KeyPress && IsKeyHandlingControl(watched)) {
    KeyStroke key = ToKeyStroke(static_cast<QKeyEvent*>(event));
    key.onButton = focusWidget() == m_ui->bbtn_Ok || focusWidget() == m_ui->bbtn_Cancel;
    if (m_presenter.FormKeyPress(key)) return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace mametan
