#include "qt/SetupDialog.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QScreen>
#include <QShowEvent>

#include "core/common/ApSystem.h"
#include "qt/FileDialog.h"
#include "qt/KindEditorDialog.h"
#include "qt/MessageBox.h"
#include "qt/Pictures.h"
#include "qt/WindowFrame.h"
#include "ui_SetupDialog.h"

namespace mametan {

Tform_Setup* form_Setup = nullptr;

Tform_Setup::Tform_Setup(QWidget* parent) : QDialog(parent), m_presenter(*this, SettingsRecord) {
  setObjectName(QStringLiteral("form_Setup"));
  // A tool window keeps it off the taskbar; title bar with a close box only.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  setFixedSize(385, 173);
}

Ui::Tform_Setup* Tform_Setup::ui() {
  BuildControls();
  return m_ui.get();
}

void Tform_Setup::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

void Tform_Setup::BuildControls() {
  // Made when the dialog is first shown: a program waiting in the tray
  // loads no face and no icon for it.
  if (m_ui) return;
  m_ui = std::make_unique<Ui::Tform_Setup>();
  m_ui->setupUi(this);
  QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
  face.setPixelSize(12);
  setFont(face);
  setFixedSize(385, 173);
  m_ui->csedt_Tax->SetMinValue(SetupPresenter::kTaxMin);
  m_ui->csedt_Tax->SetMaxValue(SetupPresenter::kTaxMax);
  m_ui->csedt_Tax->SetIncrement(SetupPresenter::kTaxIncrement);
  m_ui->csedt_Tax->SetValue(SetupPresenter::kTaxStart);

  const QIcon folder = Picture("folder_open");
  m_ui->spbtn_File_Kakeibo->setIcon(folder);
  m_ui->spbtn_File_Kind->setIcon(folder);
  m_ui->spbtn_Edit_Kind->setIcon(Picture("kind_edit"));
  m_ui->bbtn_Ok->setIcon(Picture("ok"));
  m_ui->BitBtn2->setIcon(Picture("cancel"));

  connect(m_ui->bbtn_Ok, &QPushButton::clicked, this, &Tform_Setup::bbtn_OkClick);
  connect(m_ui->BitBtn2, &QPushButton::clicked, this, &Tform_Setup::BitBtn2Click);
  connect(m_ui->spbtn_File_Kakeibo, &QToolButton::clicked, this,
          &Tform_Setup::spbtn_File_KakeiboClick);
  connect(m_ui->spbtn_File_Kind, &QToolButton::clicked, this, &Tform_Setup::spbtn_File_KindClick);
  connect(m_ui->spbtn_Edit_Kind, &QToolButton::clicked, this, &Tform_Setup::spbtn_Edit_KindClick);
}

Tform_Setup::~Tform_Setup() {
  if (form_Setup == this) form_Setup = nullptr;
}

void Tform_Setup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  m_presenter.OnShow();
}

void Tform_Setup::reject() { m_presenter.BitBtn2Click(); }

void Tform_Setup::closeEvent(QCloseEvent* event) {
  // The close box is Cancel.
  event->accept();
}

QWidget* Tform_Setup::Control(SetupControl control) {
  Ui::Tform_Setup* u = ui();
  switch (control) {
    case SetupControl::File_Kakeibo:
      return u->edt_File_Kakeibo;
    case SetupControl::File_Kind:
      return u->edt_File_Kind;
    case SetupControl::SaveWindowPos:
      return u->cb_SaveWindowPos;
    case SetupControl::OpenWindowAtBoot:
      return u->cb_OpenWindowAtBoot;
    case SetupControl::DelRegistry:
      return u->cb_DelRegistry;
    case SetupControl::EnterToNext:
      return u->cb_EnterToNext;
    case SetupControl::Tax:
      return u->csedt_Tax;
  }
  return nullptr;
}

std::string Tform_Setup::Text(SetupControl control) {
  auto* edit = qobject_cast<QLineEdit*>(Control(control));
  return edit ? edit->text().toStdString() : std::string();
}

void Tform_Setup::SetText(SetupControl control, const std::string& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(Control(control))) {
    edit->setText(QString::fromStdString(text));
  }
}

bool Tform_Setup::Checked(SetupControl control) {
  auto* box = qobject_cast<QAbstractButton*>(Control(control));
  return box && box->isChecked();
}

void Tform_Setup::SetChecked(SetupControl control, bool checked) {
  if (auto* box = qobject_cast<QAbstractButton*>(Control(control))) box->setChecked(checked);
}

std::int32_t Tform_Setup::TaxValue() { return m_ui->csedt_Tax->GetValue(); }

void Tform_Setup::SetTaxValue(std::int32_t value) { m_ui->csedt_Tax->SetValue(value); }

void Tform_Setup::Focus(SetupControl control) { Control(control)->setFocus(Qt::OtherFocusReason); }

void Tform_Setup::PlaceAtDefault() { CentreOnScreen(this); }

std::optional<std::string> Tform_Setup::ChooseFile(const std::string& filter,
                                                   const std::string& previous) {
  const auto chosen =
      RunOpenFileDialog(this, {QString::fromStdString(filter), QString::fromStdString(previous)});
  if (!chosen) return std::nullopt;
  return chosen->toStdString();
}

void Tform_Setup::EditKindFile(const std::string& path) {
  if (!m_editor) return;
  m_editor->Edit(path);
  // The keyboard returns to this dialog, as it does from any closed modal
  // window; a window manager's own choice may skip tool windows.
  activateWindow();
}

void Tform_Setup::ShowMessage(const std::string& text, MessageIcon icon) {
  WindowMessages(this).ShowMessage(text, icon);
}

void Tform_Setup::ShowErrorBox(const std::string& text) { WindowMessages(this).ShowErrorBox(text); }

}  // namespace mametan
