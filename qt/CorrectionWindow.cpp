#include "qt/CorrectionWindow.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "core/entry/DateMask.h"
#include "qt/ClassificationList.h"
#include "qt/Clock.h"
#include "qt/ImeMode.h"
#include "qt/MaskedEdit.h"
#include "qt/MessageBox.h"
#include "qt/Pictures.h"

namespace mametan {

Tform_Correction::Tform_Correction(LedgerEditHistory& history, const std::string& kindFile,
                                   QWidget* parent)
    : QDialog(parent), m_presenter(*this, history, kindFile) {
  setObjectName(QStringLiteral("form_Correction"));
  setWindowTitle(QString::fromUtf8(kCorrectionCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);

  lbl_Line = new QLabel(this);
  medt_Date = new TMaskEdit(this);
  cbbox_Kind = new QComboBox(this);
  edt_Goods = new QLineEdit(this);
  edt_Price = new QLineEdit(this);
  medt_Date->SetEditMask(QString::fromUtf8(kDateEditMask));
  medt_Date->SetMaxLength(kDateMaxLength);
  cbbox_Kind->setEditable(true);
  cbbox_Kind->setInsertPolicy(QComboBox::NoInsert);
  // A kind typed by hand is written as typed: no completion from the list.
  cbbox_Kind->setCompleter(nullptr);
  for (QLineEdit* edit : {edt_Goods, edt_Price, cbbox_Kind->lineEdit()}) {
    edit->setMaxLength(std::numeric_limits<int>::max());
  }
  SetImeMode(medt_Date, ImeMode::Off,
             Qt::ImhDigitsOnly | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
  SetImeMode(edt_Price, ImeMode::Off,
             Qt::ImhPreferNumbers | Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
  SetImeMode(cbbox_Kind, ImeMode::On);
  SetImeMode(edt_Goods, ImeMode::On);

  auto* buttons = new QDialogButtonBox(this);
  bbtn_Ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
  bbtn_Cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
  bbtn_Ok->setIcon(Picture("ok"));
  bbtn_Cancel->setIcon(Picture("cancel"));
  bbtn_Ok->setDefault(true);
  bbtn_Ok->setAutoDefault(false);
  bbtn_Cancel->setAutoDefault(false);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("行"), lbl_Line);
  form->addRow(QStringLiteral("日付(&D)"), medt_Date);
  form->addRow(QStringLiteral("種類(&K)"), cbbox_Kind);
  form->addRow(QStringLiteral("商品名(&G)"), edt_Goods);
  form->addRow(QStringLiteral("価格(&P)"), edt_Price);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(360);

  // Date, kind, goods, price, OK, Cancel: the fields' order.
  setTabOrder(medt_Date, cbbox_Kind);
  setTabOrder(cbbox_Kind, edt_Goods);
  setTabOrder(edt_Goods, edt_Price);
  setTabOrder(edt_Price, bbtn_Ok);
  setTabOrder(bbtn_Ok, bbtn_Cancel);

  connect(bbtn_Ok, &QPushButton::clicked, this, [this] { m_presenter.bbtn_OkClick(); });
  connect(bbtn_Cancel, &QPushButton::clicked, this, [this] { m_presenter.bbtn_CancelClick(); });
  m_presenter.FormCreate();
}

bool Tform_Correction::Correct(const LedgerLineBytes& purchase) {
  m_readAgain = false;
  if (!m_presenter.FormShow(purchase)) return false;
  exec();
  return m_readAgain;
}

// Esc and the close box are Cancel.
void Tform_Correction::reject() { m_presenter.bbtn_CancelClick(); }

QWidget* Tform_Correction::Control(CorrectionControl control) {
  switch (control) {
    case CorrectionControl::Date:
      return medt_Date;
    case CorrectionControl::Kind:
      return cbbox_Kind;
    case CorrectionControl::Goods:
      return edt_Goods;
    case CorrectionControl::Price:
      return edt_Price;
    case CorrectionControl::LineNumber:
      return lbl_Line;
    case CorrectionControl::Ok:
      return bbtn_Ok;
    case CorrectionControl::Cancel:
      return bbtn_Cancel;
  }
  return nullptr;
}

std::string Tform_Correction::Text(CorrectionControl control) {
  QWidget* w = Control(control);
  if (auto* date = qobject_cast<TMaskEdit*>(w)) return date->Text().toStdString();
  if (auto* box = qobject_cast<QComboBox*>(w)) return box->currentText().toStdString();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
  return {};
}

void Tform_Correction::SetText(CorrectionControl control, const std::string& text) {
  QWidget* w = Control(control);
  const QString t = QString::fromStdString(text);
  if (auto* date = qobject_cast<TMaskEdit*>(w)) {
    date->SetText(t);
  } else if (auto* box = qobject_cast<QComboBox*>(w)) {
    box->setCurrentIndex(box->findText(t));
    box->setEditText(t);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(t);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(t);
  }
}

void Tform_Correction::Focus(CorrectionControl control) {
  Control(control)->setFocus(Qt::OtherFocusReason);
}

bool Tform_Correction::DateComplete() { return medt_Date->FirstUnfilledPosition() < 0; }

void Tform_Correction::RefuseUnfinishedDate() { medt_Date->ValidateEdit(); }

std::optional<std::string> Tform_Correction::ListedKindBytes() {
  return mametan::ListedKindBytes(cbbox_Kind);
}

void Tform_Correction::SetKinds(std::vector<std::string> kinds) { FillKinds(cbbox_Kind, kinds); }

std::string Tform_Correction::DateSeparator() {
  return QString(mametan::DateSeparator()).toStdString();
}

void Tform_Correction::Close(bool readAgain) {
  m_readAgain = readAgain;
  done(readAgain ? Accepted : Rejected);
}

void Tform_Correction::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowMessageBox(QString::fromStdString(text), icon, this);
}

void Tform_Correction::ShowErrorBox(const std::string& text) {
  mametan::ShowErrorBox(QString::fromStdString(text), this);
}

}  // namespace mametan
