#include "dialogs/formAbout.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "common/CommandLine.h"
#include "platform/SystemInfo.h"
#include "platform/WindowFrame.h"
#include "ui_formAbout.h"

namespace mametan {

Tform_About* form_About = nullptr;

const QString Tform_About::kHomePage = QStringLiteral("https://velmaro.example/mametan/");
const QString Tform_About::kSupportAddress = QStringLiteral("support@velmaro.example");

namespace {

const QString kCopyright = QStringLiteral("Copyright (C) 2026 VelmaroSoftware");

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

Tform_About::Tform_About(QWidget* parent) : QDialog(parent), m_ui(new Ui::Tform_About) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("form_About"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setModal(false);
  setFixedSize(301, 209);
  setFont(Face(kGothic, 12));

  m_ui->Comments->hide();
  m_ui->Comments->setFont(Face(kGothic, 12, true));
  m_ui->ProgramIcon->setPixmap(QIcon(QStringLiteral(":/icons/mametan.svg")).pixmap(37, 37));
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
  m_ui->lbl_WWW->setText(kHomePage);
  m_ui->lbl_EMail->setText(kSupportAddress);
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

  Queries.osVersionText = QueryOsVersionText;
  Queries.totalPhysicalMemory = QueryTotalPhysicalMemory;
  Queries.programFileVersion = QueryProgramFileVersion;
  Queries.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

  connect(m_ui->OKButton, &QPushButton::clicked, this, &Tform_About::OKButtonClick);
  m_ui->OKButton->setFocus(Qt::OtherFocusReason);
}

Tform_About::~Tform_About() = default;

void Tform_About::OKButtonClick() { hide(); }

void Tform_About::lbl_WWWClick() { Queries.openUrl(QUrl(kHomePage)); }

void Tform_About::lbl_EMailClick() {
  Queries.openUrl(QUrl(QStringLiteral("mailto:") + kSupportAddress));
}

void Tform_About::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // un-minimised, not shown anew
  if (!m_shownOnce) {
    CentreOnScreen(this);
  }
  m_shownOnce = true;
  FormShow();
  m_ui->OKButton->setFocus(Qt::OtherFocusReason);
}

void Tform_About::keyPressEvent(QKeyEvent* event) {
  // There is no cancel button: Esc leaves the box open.
  if (event->key() == Qt::Key_Escape) {
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

void Tform_About::FormShow() {
  if (DebugMode) m_ui->Comments->show();
  CollectSystemInfo();
  m_ui->lbl_Version->setText(WindowsVersionText);
  m_ui->lbl_Memory->setText(QString::number(TotalPhysicalMemory) + QStringLiteral(" Bytes"));

  // The version label grows or shrinks with its text, its right edge fixed.
  QLabel* version = m_ui->Version;
  const int right = version->geometry().right();
  version->setText(QStringLiteral("Version ") + FileVersionText);
  const int width = version->fontMetrics().horizontalAdvance(version->text()) + 2;
  version->setGeometry(right - width + 1, version->y(), width, version->height());

  m_ui->Copyright->setText(kCopyright);
  for (QLabel* label : {m_ui->lbl_Version, m_ui->lbl_Memory, m_ui->Copyright}) FitToWidth(label);
}

void Tform_About::CollectSystemInfo() {
  // A query without an answer leaves what the last showing found.
  if (const auto os = Queries.osVersionText()) WindowsVersionText = QString::fromStdString(*os);
  TotalPhysicalMemory = Queries.totalPhysicalMemory();
  if (const auto version = Queries.programFileVersion()) {
    FileVersionText = QString::fromStdString(*version);
  }
}

}  // namespace mametan
