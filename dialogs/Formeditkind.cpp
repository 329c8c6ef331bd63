#include "dialogs/Formeditkind.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QShowEvent>

#include "dialogs/Formsetup.h"
#include "dialogs/KindFileText.h"
#include "platform/Cp932.h"
#include "platform/FileIo.h"
#include "platform/MessageBox.h"
#include "platform/WindowFrame.h"
#include "ui_Formeditkind.h"

namespace mametan {

Tform_EditKindFile* form_EditKindFile = nullptr;

namespace {

QFont PixelFont(int px, bool bold = false) {
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPixelSize(px);
  f.setBold(bold);
  return f;
}

}  // namespace

Tform_EditKindFile::Tform_EditKindFile(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::Tform_EditKindFile) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("form_EditKindFile"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // Modal over every window of the program, the input window included.
  setWindowModality(Qt::ApplicationModal);
  setFont(PixelFont(12));
  setFixedSize(301, 309);
  m_ui->memo_KindFile->setFont(PixelFont(15));
  m_ui->memo_KindFile->installEventFilter(this);
  m_ui->Label1->setFont(PixelFont(12, true));
  m_ui->bbtn_Ok->setIcon(QIcon(QStringLiteral(":/icons/ok.svg")));
  m_ui->bbtn_Cancel->setIcon(QIcon(QStringLiteral(":/icons/cancel.svg")));
  connect(m_ui->bbtn_Ok, &QPushButton::clicked, this, &Tform_EditKindFile::bbtn_OkClick);
  connect(m_ui->bbtn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

Tform_EditKindFile::~Tform_EditKindFile() {
  if (form_EditKindFile == this) form_EditKindFile = nullptr;
}

QString Tform_EditKindFile::FileName() const {
  return form_Setup ? form_Setup->KindFileText() : QString();
}

void Tform_EditKindFile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (!m_shownOnce) {
    CentreOnScreen(this);
    m_ui->memo_KindFile->setFocus(Qt::OtherFocusReason);
    m_shownOnce = true;
  }
  FormShow();
}

void Tform_EditKindFile::FormShow() {
  const QString name = FileName();
  m_ui->lbl_KindFile->setText(name);
  const std::string path = name.toStdString();
  if (!IsRegularFile(path)) {
    ShowMessageBox(QStringLiteral("ファイルが存在しません。新規に設定ファイルを作成します。"),
                   MsgIcon::Exclamation, this);
    m_ui->memo_KindFile->clear();
    return;
  }
  const auto bytes = ReadWholeFile(path);
  if (!bytes) {
    ShowErrorBox(QStringLiteral("ファイル %1 は開けません").arg(name));
    return;
  }
  // The text box holds lines; the file's CR LF comes back on saving.
  QString text = QString::fromStdString(cp932::Decode(NormalizeLineEnds(*bytes)));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  m_ui->memo_KindFile->setPlainText(text);
}

void Tform_EditKindFile::bbtn_OkClick() {
  const QString name = FileName();
  QString text = m_ui->memo_KindFile->toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  const auto bytes = cp932::Encode(text.toStdString());
  if (!bytes) {
    ShowMessageBox(QStringLiteral("分類設定ファイルに保存できない文字があります。"),
                   MsgIcon::Exclamation, this);
    return;
  }
  // Written beside the old file and renamed over it: a failed save leaves
  // the old content whole, and the editor stays open with the typed text.
  QSaveFile file(name);
  const bool saved = !name.isEmpty() && file.open(QIODevice::WriteOnly) &&
                     file.write(bytes->data(), static_cast<qint64>(bytes->size())) ==
                         static_cast<qint64>(bytes->size()) &&
                     file.commit();
  if (!saved) {
    ShowErrorBox(QStringLiteral("ファイル %1 を作成できません").arg(name));
    return;
  }
  accept();
}

bool Tform_EditKindFile::eventFilter(QObject* watched, QEvent* event) {
  // The text box keeps Esc for itself: it does not cancel the editor.
  if (watched == m_ui->memo_KindFile && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace mametan
