#include "entry/Forminput.h"

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

#include "common/ApSystem.h"
#include "controls/ImeMode.h"
#include "controls/Maskedit.h"
#include "entry/ClassificationList.h"
#include "entry/EntryRules.h"
#include "entry/Ledger.h"
#include "entry/LedgerReport.h"
#include "entry/WindowPlacement.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "platform/WindowFrame.h"
#include "ui_Forminput.h"

namespace mametan {

Qt::KeyboardModifiers LastKeyShift;
Tform_Input* form_Input = nullptr;

namespace {

void SetPixelFont(QWidget* w, int px, bool bold = false) {
  QFont f = w->font();
  f.setPixelSize(px);
  f.setBold(bold);
  w->setFont(f);
}

QByteArray ToCp932(const QString& text) {
  const auto bytes = cp932::Encode(text.toStdString());
  return bytes ? QByteArray::fromStdString(*bytes) : QByteArray();
}

// The window's outer top-left, its frame's, as the window manager has it now.
// QWidget::pos() can still hold the place asked for before the window
// manager framed the window.
QPoint FrameTopLeft(QWidget* window) {
  if (const auto onScreen = FrameTopLeftOnScreen(window)) return *onScreen;
  return window->pos();
}

}  // namespace

Tform_Input::Tform_Input(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("form_Input"));
  setWindowTitle(QStringLiteral("まめたん家計簿 - 入力"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  FormCreate();
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
  m_ui->medt_Date->SetEditMask(QStringLiteral("!9999/99/00;1;-"));
  m_ui->bbtn_Ok->setIcon(QIcon(QStringLiteral(":/icons/ok.svg")));
  m_ui->bbtn_Cancel->setIcon(QIcon(QStringLiteral(":/icons/cancel.svg")));
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

void Tform_Input::FormCreate() {
  // The form is designed taller; the inert grid below stays cut off.
  setFixedSize(345, 161);
  if (SettingsRecord.OpenWindowAtBoot) show();
  m_kinds = LoadClassificationKinds(SettingsRecord.File_Kind);
  FillKindBox();
}

void Tform_Input::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  if (!SettingsRecord.SaveWindowPos && !m_shownOnce) PlaceAtDefault();
  m_shownOnce = true;
  FormShow();
}

void Tform_Input::PlaceAtDefault() { CentreOnScreen(this); }

void Tform_Input::FormShow() {
  if (!m_ui->cb_HoldDate->isChecked()) {
    const QChar sep = DateSeparator();
    m_ui->medt_Date->SetText(Today().toString(QStringLiteral("yyyy%1MM%1dd").arg(sep)));
  }
  if (SettingsRecord.SaveWindowPos) {
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
      const QRect g = screen->geometry();
      screens.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    // The title bar's height once the window manager has framed the window.
    const int titleHeight = std::max(geometry().top() - frameGeometry().top(), 20);
    m_defaultPlace.reset();
    if (TitleBarReachable(SettingsRecord.InputWindow_Left, SettingsRecord.InputWindow_Top,
                          frameGeometry().width(), titleHeight, screens)) {
      // The stored place is the frame's, as the hide steps read it.
      PlaceFrameAt(this, QPoint(SettingsRecord.InputWindow_Left, SettingsRecord.InputWindow_Top));
    } else {
      // Nobody could see or grab the window there: the default place, and
      // the stored place stays until the user moves the window.
      PlaceAtDefault();
      m_defaultPlace = pos();
      PlaceFrameAt(this, *m_defaultPlace);
    }
  }
  m_ui->cbbox_Kind->setCurrentIndex(-1);
  m_ui->cbbox_Kind->setEditText(QString());
  m_ui->edt_Goods->clear();
  m_ui->edt_Price->clear();
  m_ui->cb_AutoTax->setChecked(SettingsRecord.AutoTax);
  m_ui->cb_NextInput->setChecked(SettingsRecord.NextInput);
  cb_NextInputClick();
  m_ui->cbbox_Kind->setFocus(Qt::OtherFocusReason);
  m_ui->bbtn_Ok->setDefault(!SettingsRecord.EnterToNext);
}

void Tform_Input::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void Tform_Input::FormHide() {
  // A window never shown in this run has nothing of its own to copy: the
  // stored place and boxes stay as they are.
  if (!m_ui) return;
  // The default place was asked for the frame; while the frame is still
  // there, the user has not moved the window and the stored place stays.
  // Where the window system does not say where the window is, the stored
  // place stays: nothing the program did not read back is stored.
  const QPoint place = FrameTopLeft(this);
  if (m_defaultPlace != place && WindowPlacesKnown()) {
    SettingsRecord.InputWindow_Left = place.x();
    SettingsRecord.InputWindow_Top = place.y();
  }
  SettingsRecord.AutoTax = m_ui->cb_AutoTax->isChecked();
  SettingsRecord.NextInput = m_ui->cb_NextInput->isChecked();
  if (isVisible()) m_ui->edt_Price->setFocus(Qt::OtherFocusReason);
}

void Tform_Input::closeEvent(QCloseEvent* event) {
  // The close box only hides the window; it is not Cancel.
  event->accept();
}

void Tform_Input::reject() { m_ui->bbtn_Cancel->click(); }

void Tform_Input::contextMenuEvent(QContextMenuEvent* event) {
  if (m_contextMenu) m_contextMenu->popup(event->globalPos());
}

void Tform_Input::cb_NextInputClick() {
  m_ui->bbtn_Cancel->setText(m_ui->cb_NextInput->isChecked() ? QStringLiteral("&Clear")
                                                             : QStringLiteral("&Cancel"));
}

QByteArray Tform_Input::KindBytes() const {
  // A kind picked unchanged from the list keeps the classification file's bytes.
  if (const auto bytes = ListedKindBytes(m_ui->cbbox_Kind))
    return QByteArray::fromStdString(*bytes);
  return ToCp932(m_ui->cbbox_Kind->currentText());
}

bool Tform_Input::ValidateEntry(std::int32_t* price) {
  EntryTexts entry;
  entry.date = m_ui->medt_Date->Text().toStdString();
  entry.dateComplete = m_ui->medt_Date->FirstUnfilledPosition() < 0;
  entry.kind = m_ui->cbbox_Kind->currentText().toStdString();
  entry.kindBytes = ListedKindBytes(m_ui->cbbox_Kind);
  entry.goods = m_ui->edt_Goods->text().toStdString();
  entry.price = m_ui->edt_Price->text().toStdString();
  entry.autoTax = m_ui->cb_AutoTax->isChecked();
  entry.tax = SettingsRecord.Tax;
  const EntryProblem problem = CheckEntry(entry, price);
  if (!problem) return true;

  QWidget* focus = nullptr;
  switch (problem.field) {
    case EntryField::Date:
      focus = m_ui->medt_Date;
      break;
    case EntryField::Kind:
      focus = m_ui->cbbox_Kind;
      break;
    case EntryField::Goods:
      focus = m_ui->edt_Goods;
      break;
    case EntryField::Price:
      focus = m_ui->edt_Price;
      break;
    case EntryField::Tax:
      focus = m_ui->cb_AutoTax;
      break;
    case EntryField::None:
      break;
  }
  if (problem.dateIncomplete) {
    // Refused the way the date field refuses to be left unfinished.
    m_ui->medt_Date->ValidateEdit();
  } else {
    ShowMessageBox(QString::fromStdString(problem.message), MsgIcon::Exclamation, this);
    if (focus) focus->setFocus(Qt::OtherFocusReason);
  }
  return false;
}

void Tform_Input::bbtn_OkClick() {
  std::int32_t price = 0;
  if (!ValidateEntry(&price)) return;
  LedgerRecord record;
  record.date = ToCp932(m_ui->medt_Date->Text()).toStdString();
  record.kind = KindBytes().toStdString();
  record.goods = ToCp932(m_ui->edt_Goods->text()).toStdString();
  record.price = price;
  // A record that did not reach the ledger stays on screen for another try.
  if (!ReportLedgerFailure(WriteLedgerRecord(record, SettingsRecord.File_Kakeibo), this)) return;
  if (m_ui->cb_NextInput->isChecked()) {
    FormHide();
    FormShow();
  } else {
    hide();
  }
}

void Tform_Input::bbtn_CancelClick() {
  if (m_ui->cb_NextInput->isChecked()) {
    FormShow();
  } else {
    m_ui->cb_HoldDate->setChecked(false);
    hide();
  }
}

bool Tform_Input::IsKeyHandlingControl(QObject* o) const {
  return o == m_ui->medt_Date || o == m_ui->cbbox_Kind || o == m_ui->cbbox_Kind->lineEdit() ||
         o == m_ui->edt_Goods || o == m_ui->edt_Price || o == m_ui->bbtn_Ok ||
         o == m_ui->bbtn_Cancel;
}

bool Tform_Input::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && m_ui && watched == m_ui->cbbox_Kind->view()) {
    // Enter in the open list picks the item and closes the list; with
    // EnterToNext the focus then moves on as from the closed box.
    const auto* key = static_cast<QKeyEvent*>(event);
    LastKeyShift = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && SettingsRecord.EnterToNext) {
      const bool forward = LastKeyShift != Qt::ShiftModifier;
      QMetaObject::invokeMethod(
          this, [this, forward] { focusNextPrevChild(forward); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
  }
  if (event->type() == QEvent::KeyPress && IsKeyHandlingControl(watched)) {
    if (HandleKey(static_cast<QKeyEvent*>(event))) return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool Tform_Input::HandleKey(QKeyEvent* event) {
  // FormKeyDown: remember the modifiers of this key-down.
  LastKeyShift = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);

  // FormKeyPress: Enter walks the controls while EnterToNext is set.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (!enter) return false;
  const bool onButton = focusWidget() == m_ui->bbtn_Ok || focusWidget() == m_ui->bbtn_Cancel;
  const bool shiftOnly = LastKeyShift == Qt::ShiftModifier;
  if (SettingsRecord.EnterToNext) {
    if (onButton && LastKeyShift == Qt::NoModifier) return false;  // presses that button
    focusNextPrevChild(!shiftOnly);
    return true;
  }
  // Without it, Shift+Enter neither presses a button nor moves on.
  if (LastKeyShift != Qt::NoModifier) return !(event->modifiers() & Qt::KeypadModifier);
  if (onButton || !m_ui->bbtn_Ok->isDefault()) return false;
  // OK's checks come first: the date field would otherwise refuse an
  // emptied date as unfinished before OK could name what is missing.
  m_ui->bbtn_Ok->click();
  return true;
}

}  // namespace mametan
