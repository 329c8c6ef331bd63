#include "dialogs/Formeditkind.h"

#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
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

Tform_EditKindFile::Tform_EditKindFile(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("form_EditKindFile"));
  setWindowTitle(QStringLiteral("まめたん家計簿 - 分類設定ファイルの編集"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // Modal over every window of the program, the input window included.
  setWindowModality(Qt::ApplicationModal);
  setFont(PixelFont(12));
  setFixedSize(301, 309);

  memo_KindFile = new QPlainTextEdit(this);
  memo_KindFile->setObjectName(QStringLiteral("memo_KindFile"));
  memo_KindFile->setGeometry(8, 36, 285, 229);
  memo_KindFile->setFont(PixelFont(15));
  memo_KindFile->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo_KindFile->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo_KindFile->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memo_KindFile->setTabChangesFocus(true);
  memo_KindFile->installEventFilter(this);

  bbtn_Ok = new QPushButton(QIcon(QStringLiteral(":/icons/ok.svg")), QStringLiteral("&OK"), this);
  bbtn_Ok->setObjectName(QStringLiteral("bbtn_Ok"));
  bbtn_Ok->setGeometry(132, 276, 75, 25);
  bbtn_Ok->setDefault(true);
  bbtn_Cancel =
      new QPushButton(QIcon(QStringLiteral(":/icons/cancel.svg")), QStringLiteral("&Cancel"), this);
  bbtn_Cancel->setObjectName(QStringLiteral("bbtn_Cancel"));
  bbtn_Cancel->setGeometry(216, 276, 75, 25);
  bbtn_Cancel->setAutoDefault(false);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(8, 8, 285, 21);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Label1 = new QLabel(QStringLiteral("ファイル名:"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(4, 5, 61, 12);
  Label1->setFont(PixelFont(12, true));
  lbl_KindFile = new QLabel(Panel1);
  lbl_KindFile->setObjectName(QStringLiteral("lbl_KindFile"));
  // Fixed size: a longer name is cut off at the panel's edge.
  lbl_KindFile->setGeometry(68, 4, 213, 13);
  lbl_KindFile->setWordWrap(false);

  setTabOrder(memo_KindFile, bbtn_Ok);
  setTabOrder(bbtn_Ok, bbtn_Cancel);
  connect(bbtn_Ok, &QPushButton::clicked, this, &Tform_EditKindFile::bbtn_OkClick);
  connect(bbtn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString Tform_EditKindFile::FileName() const {
  return form_Setup ? form_Setup->KindFileText() : QString();
}

void Tform_EditKindFile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (!m_shownOnce) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    memo_KindFile->setFocus(Qt::OtherFocusReason);
    m_shownOnce = true;
  }
  FormShow();
}

void Tform_EditKindFile::FormShow() {
  const QString name = FileName();
  lbl_KindFile->setText(name);
  const std::string path = name.toStdString();
  if (!IsRegularFile(path)) {
    ShowMessageBox(QStringLiteral("ファイルが存在しません。新規に設定ファイルを作成します。"),
                   MsgIcon::Exclamation, this);
    memo_KindFile->clear();
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
  memo_KindFile->setPlainText(text);
}

void Tform_EditKindFile::bbtn_OkClick() {
  const QString name = FileName();
  QString text = memo_KindFile->toPlainText();
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
  if (watched == memo_KindFile && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace mametan
