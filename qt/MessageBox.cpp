#include "qt/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "core/common/AppError.h"

namespace mametan {
namespace {

MessageSeam* g_seam = nullptr;

void ShowReal(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon) {
  QWidget* window = owner ? owner->window() : nullptr;
  QMessageBox box(icon == MsgIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning, caption,
                  text, QMessageBox::Ok, window);
  box.exec();
  // A window manager may pass the focus anywhere when the box goes (openbox
  // leaves it with no window); the caller's field is only focused in an
  // active window.
  if (window && window->isVisible()) window->activateWindow();
}

}  // namespace

void SetMessageSeam(MessageSeam* seam) { g_seam = seam; }

void ShowMessageBox(const QString& text, MsgIcon icon, QWidget* owner) {
  const QString caption = QStringLiteral("Message");
  if (g_seam) {
    g_seam->Show(owner, caption, text, icon);
  } else {
    ShowReal(owner, caption, text, icon);
  }
}

void ShowErrorBox(const QString& text, QWidget* owner) {
  const QString full = QString::fromStdString(ErrorBoxText(text.toStdString()));
  if (g_seam) {
    g_seam->Show(owner, kApplicationTitle, full, MsgIcon::Stop);
  } else {
    ShowReal(owner, kApplicationTitle, full, MsgIcon::Stop);
  }
}

void Beep() {
  if (g_seam) {
    g_seam->Beep();
  } else {
    QApplication::beep();
  }
}

}  // namespace mametan
