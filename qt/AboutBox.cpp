#include "qt/AboutBox.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <algorithm>

#include "qt/Pictures.h"
#include "qt/WindowFrame.h"
#include "ui_AboutBox.h"

namespace mametan {

Tform_About* form_About = nullptr;

namespace {

// A face of the given pixel height; the first family the system has wins.
QFont Face(const QStringList& families, int px, bool bold = false, bool italic = false) {
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(px);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

const QStringList kGothic = {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                             QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP")};
const QStringList kMincho = {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho"),
                             QStringLiteral("IPAexMincho"), QStringLiteral("Noto Serif CJK JP")};

void SetColor(QWidget* w, const QColor& color) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, color);
  w->setPalette(p);
}

// The sizes were laid out for a face whose Latin letters are narrower than
// those of the faces Linux has: a text that would be cut is drawn narrower
// instead, down to three quarters of its width.
void FitToWidth(QLabel* label) {
  QFont f = label->font();
  f.setStretch(QFont::Unstretched);
  const int needed = QFontMetrics(f).horizontalAdvance(label->text());
  if (needed > label->width()) f.setStretch(std::max(75, label->width() * 100 / needed));
  label->setFont(f);
}

}  // namespace

Tform_About::Tform_About(QWidget* parent) : QDialog(parent), m_presenter(*this) {
  setObjectName(QStringLiteral("form_About"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  setFixedSize(301, 209);
  Queries.openUrl = [](const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
  };
}

Ui::Tform_About* Tform_About::ui() {
  BuildControls();
  return m_ui.get();
}

void Tform_About::setVisible(bool visible) {
  if (visible) BuildControls();
  QDialog::setVisible(visible);
}

void Tform_About::BuildControls() {
  // Made when the box is first shown: a program waiting in the tray loads
  // no face, lays out no text and draws no picture for it.
  if (m_ui) return;
  m_ui = std::make_unique<Ui::Tform_About>();
  m_ui->setupUi(this);
  setFixedSize(301, 209);
  setFont(Face(kGothic, 12));

  m_ui->Comments->hide();
  m_ui->Comments->setFont(Face(kGothic, 12, true));
  m_ui->ProgramIcon->setPixmap(Picture("mametan").pixmap(37, 37));
  m_ui->ProductName->setFont(Face(kGothic, 27, true, true));
  m_ui->Label5->setFont(Face(kMincho, 35, true, true));
  m_ui->Version->setFont(Face(kGothic, 15, true));
  m_ui->Label4->setFont(Face(kGothic, 12, true));
  for (QWidget* black :
       {m_ui->ProductName, m_ui->Label5, m_ui->Label1, m_ui->lbl_Version, m_ui->lbl_Memory}) {
    SetColor(black, Qt::black);
  }
  for (QLabel* link : {m_ui->lbl_WWW, m_ui->lbl_EMail}) {
    QFont f = link->font();
    f.setUnderline(true);
    link->setFont(f);
    SetColor(link, Qt::blue);
    link->installEventFilter(this);
  }
  m_ui->lbl_WWW->setText(QString::fromUtf8(AboutPresenter::kHomePage));
  m_ui->lbl_EMail->setText(QString::fromUtf8(AboutPresenter::kSupportAddress));
#ifndef _WIN32
  // Here the box tells the distribution, not a Windows version; its name
  // takes the room the shorter caption leaves.
  m_ui->Label2->setText(QStringLiteral("OS Version:"));
  const int left =
      m_ui->Label2->x() + m_ui->Label2->fontMetrics().horizontalAdvance(m_ui->Label2->text()) + 4;
  const QRect r = m_ui->lbl_Version->geometry();
  m_ui->lbl_Version->setGeometry(left, r.y(), r.right() - left + 1, r.height());
#endif
  for (QLabel* label :
       {m_ui->Label4, m_ui->Label1, m_ui->lbl_WWW, m_ui->lbl_EMail, m_ui->Label2, m_ui->Label3}) {
    FitToWidth(label);
  }

  connect(m_ui->OKButton, &QPushButton::clicked, this, &Tform_About::OKButtonClick);
  m_ui->OKButton->setFocus(Qt::OtherFocusReason);
}

Tform_About::~Tform_About() = default;

void Tform_About::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  m_presenter.OnShow();
}

void Tform_About::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !AboutPresenter::kEscapeCloses) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool Tform_About::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* label = qobject_cast<QWidget*>(watched);
    if (mouse->button() == Qt::LeftButton && label &&
        label->rect().contains(mouse->position().toPoint())) {
      if (watched == m_ui->lbl_WWW) lbl_WWWClick();
      if (watched == m_ui->lbl_EMail) lbl_EMailClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Tform_About::SetText(AboutLabel label, const std::string& text) {
  const QString t = QString::fromStdString(text);
  switch (label) {
    case AboutLabel::Comments:
      m_ui->Comments->setText(t);
      break;
    case AboutLabel::OsVersion:
      m_ui->lbl_Version->setText(t);
      FitToWidth(m_ui->lbl_Version);
      break;
    case AboutLabel::Memory:
      m_ui->lbl_Memory->setText(t);
      FitToWidth(m_ui->lbl_Memory);
      break;
    case AboutLabel::Version: {
      // The version label grows or shrinks with its text, its right edge fixed.
      QLabel* version = m_ui->Version;
      const int right = version->geometry().right();
      version->setText(t);
      const int width = version->fontMetrics().horizontalAdvance(t) + 2;
      version->setGeometry(right - width + 1, version->y(), width, version->height());
      break;
    }
    case AboutLabel::Copyright:
      m_ui->Copyright->setText(t);
      FitToWidth(m_ui->Copyright);
      break;
  }
}

void Tform_About::SetCommentsShown(bool shown) { m_ui->Comments->setVisible(shown); }

void Tform_About::PlaceAtDefault() { CentreOnScreen(this); }

void Tform_About::FocusOk() { m_ui->OKButton->setFocus(Qt::OtherFocusReason); }

}  // namespace mametan
