#include "app/Formmain.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include "app/ApSystem.h"
#include "app/AppError.h"
#include "app/SettingsStore.h"
#include "platform/MessageBox.h"

namespace mametan {

Tform_Main* form_Main = nullptr;

Tform_Main::Tform_Main(RegistryBackend& registry, QWidget* parent)
    : QWidget(parent), m_registry(registry) {
  setObjectName(QStringLiteral("form_Main"));
  setWindowTitle(QStringLiteral("form_Main"));
  QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
  f.setPixelSize(12);
  setFont(f);
  // The designed outer size is 174 x 166 at 234, 118.
  move(234, 118);
  resize(174, 166);
  FormCreate();
}

void Tform_Main::FormCreate() {
  try {
    LoadSettings(m_registry, SettingsRecord);
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
  }
}

bool Tform_Main::FormClose() {
  try {
    if (SettingsRecord.DelRegistry) {
      DeleteSettingsKey(m_registry);
    } else {
      SaveSettings(m_registry, SettingsRecord);
    }
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return false;
  }
  return true;
}

void Tform_Main::closeEvent(QCloseEvent* event) {
  if (!FormClose()) {
    event->ignore();
    return;
  }
  event->accept();
  m_closed = true;
  QCoreApplication::quit();
}

}  // namespace mametan
