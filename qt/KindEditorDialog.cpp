#include "qt/KindEditorDialog.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTextDocument>

#include "qt/MessageBox.h"
#include "qt/Pictures.h"
#include "qt/WindowFrame.h"
#include "ui_KindEditorDialog.h"

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

Tform_EditKindFile::Tform_EditKindFile(QWidget* parent) : QDialog(parent), m_presenter(*this) {
  setObjectName(QStringLiteral("form_EditKindFile"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // Modal over every window of the program, the input window included.
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(301, 309);
}

Ui::Tform_EditKindFile* Tform_EditKindFile::ui() {
  BuildControls();
  return m_ui.get();
}

void Tform_EditKindFile::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

void Tform_EditKindFile::BuildControls() {
  // Made when the editor is first opened: nothing of it is loaded at rest.
  if (m_ui) return;
  m_ui = std::make_unique<Ui::Tform_EditKindFile>();
  m_ui->setupUi(this);
  setFont(PixelFont(12));
  setFixedSize(301, 309);
  m_ui->memo_KindFile->setFont(PixelFont(15));
  m_ui->memo_KindFile->installEventFilter(this);
  m_ui->Label1->setFont(PixelFont(12, true));
  m_ui->bbtn_Ok->setIcon(Picture("ok"));
  m_ui->bbtn_Cancel->setIcon(Picture("cancel"));
  connect(m_ui->bbtn_Ok, &QPushButton::clicked, this, &Tform_EditKindFile::bbtn_OkClick);
  connect(m_ui->bbtn_Cancel, &QPushButton::clicked, this,
          [this] { m_presenter.bbtn_CancelClick(); });
}

Tform_EditKindFile::~Tform_EditKindFile() {
  if (form_EditKindFile == this) form_EditKindFile = nullptr;
}

void Tform_EditKindFile::Edit(const std::string& path) {
  m_presenter.SetFileName(path);
  exec();
}

void Tform_EditKindFile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (!m_shownOnce) {
    CentreOnScreen(this);
    m_ui->memo_KindFile->setFocus(Qt::OtherFocusReason);
    m_shownOnce = true;
  }
  m_presenter.FormShow();
}

void Tform_EditKindFile::SetFileCaption(const std::string& path) {
  m_ui->lbl_KindFile->setText(QString::fromStdString(path));
}

std::string Tform_EditKindFile::Text() {
  // The document's own text: its plain-text form would turn a no-break space
  // into a space. Lines are separated by "\n", as the logic has them.
  QString text = m_ui->memo_KindFile->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return text.toStdString();
}

void Tform_EditKindFile::SetText(const std::string& text) {
  QString lines = QString::fromStdString(text);
  // Every block of the box's document costs some hundred bytes and a step of
  // its bookkeeping, too much for millions of lines: a long file is held in
  // blocks of many lines each, separated inside by line separators, which
  // the box shows, edits and hands back as line breaks all the same.
  constexpr qsizetype kLinesPerBlock = 256;
  if (lines.count(QLatin1Char('\n')) > kManyLines) {
    qsizetype n = 0;
    for (QChar& c : lines) {
      if (c == QLatin1Char('\n') && ++n % kLinesPerBlock != 0) c = QChar::LineSeparator;
    }
  }
  m_ui->memo_KindFile->setPlainText(lines);
}

void Tform_EditKindFile::Close(bool accepted) {
  if (accepted) {
    accept();
  } else {
    reject();
  }
}

void Tform_EditKindFile::ShowMessage(const std::string& text, MessageIcon icon) {
  WindowMessages(this).ShowMessage(text, icon);
}

void Tform_EditKindFile::ShowErrorBox(const std::string& text) {
  // The error box of a failed save belongs to no window, as the start-up's do.
  WindowMessages().ShowErrorBox(text);
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
