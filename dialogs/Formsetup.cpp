#include "dialogs/Formsetup.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QShowEvent>

#include "common/ApSystem.h"
#include "dialogs/Formeditkind.h"
#include "platform/FileDialog.h"
#include "platform/WindowFrame.h"
#include "ui_Formsetup.h"

namespace mametan {

Tform_Setup* form_Setup = nullptr;

namespace {

const QString kKakeiboFilter = QStringLiteral("CSVファイル|*.csv;*.txt|すべてのファイル|*.*");
const QString kKindFilter =
    QStringLiteral("設定ファイル（テキストファイル）|*.vkd;*.txt|すべてのファイル|*.*");

std::string ToStd(const QString& text) { return text.toStdString(); }

}  // namespace

Tform_Setup::Tform_Setup(QWidget* parent) : QDialog(parent), m_ui(new Ui::Tform_Setup) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("form_Setup"));
  // A tool window keeps it off the taskbar; title bar with a close box only.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  QFont face(QStringLiteral("ＭＳ Ｐゴシック"));
  face.setPixelSize(12);
  setFont(face);
  setFixedSize(385, 173);

  const QIcon folder(QStringLiteral(":/icons/folder_open.svg"));
  m_ui->spbtn_File_Kakeibo->setIcon(folder);
  m_ui->spbtn_File_Kind->setIcon(folder);
  m_ui->spbtn_Edit_Kind->setIcon(QIcon(QStringLiteral(":/icons/kind_edit.svg")));
  m_ui->bbtn_Ok->setIcon(QIcon(QStringLiteral(":/icons/ok.svg")));
  m_ui->BitBtn2->setIcon(QIcon(QStringLiteral(":/icons/cancel.svg")));

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

QString Tform_Setup::KindFileText() const { return m_ui->edt_File_Kind->text(); }

void Tform_Setup::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  if (!m_shownOnce) {
    CentreOnScreen(this);
    m_ui->edt_File_Kakeibo->setFocus(Qt::OtherFocusReason);
    m_shownOnce = true;
  }
  FormShow();
}

void Tform_Setup::FormShow() {
  m_ui->edt_File_Kakeibo->setText(QString::fromStdString(SettingsRecord.File_Kakeibo));
  m_ui->edt_File_Kind->setText(QString::fromStdString(SettingsRecord.File_Kind));
  m_ui->cb_SaveWindowPos->setChecked(SettingsRecord.SaveWindowPos);
  m_ui->cb_OpenWindowAtBoot->setChecked(SettingsRecord.OpenWindowAtBoot);
  m_ui->cb_DelRegistry->setChecked(SettingsRecord.DelRegistry);
  m_ui->csedt_Tax->SetValue(SettingsRecord.Tax);
  m_ui->cb_EnterToNext->setChecked(SettingsRecord.EnterToNext);
}

void Tform_Setup::bbtn_OkClick() {
  SettingsRecord.File_Kakeibo = ToStd(m_ui->edt_File_Kakeibo->text());
  SettingsRecord.File_Kind = ToStd(m_ui->edt_File_Kind->text());
  SettingsRecord.SaveWindowPos = m_ui->cb_SaveWindowPos->isChecked();
  SettingsRecord.OpenWindowAtBoot = m_ui->cb_OpenWindowAtBoot->isChecked();
  SettingsRecord.DelRegistry = m_ui->cb_DelRegistry->isChecked();
  SettingsRecord.Tax = m_ui->csedt_Tax->GetValue();
  SettingsRecord.EnterToNext = m_ui->cb_EnterToNext->isChecked();
  hide();
}

void Tform_Setup::BitBtn2Click() { hide(); }

void Tform_Setup::reject() { BitBtn2Click(); }

void Tform_Setup::closeEvent(QCloseEvent* event) {
  // The close box is Cancel.
  event->accept();
}

void Tform_Setup::spbtn_File_KakeiboClick() {
  if (const auto chosen = RunOpenFileDialog(this, {kKakeiboFilter, m_kakeiboChoice})) {
    m_kakeiboChoice = *chosen;
    m_ui->edt_File_Kakeibo->setText(*chosen);
  }
}

void Tform_Setup::spbtn_File_KindClick() {
  if (const auto chosen = RunOpenFileDialog(this, {kKindFilter, m_kindChoice})) {
    m_kindChoice = *chosen;
    m_ui->edt_File_Kind->setText(*chosen);
  }
}

void Tform_Setup::spbtn_Edit_KindClick() {
  if (!form_EditKindFile) return;
  form_EditKindFile->exec();
  // The keyboard returns to this dialog, as it does from any closed modal
  // window; a window manager's own choice may skip tool windows.
  activateWindow();
}

}  // namespace mametan
