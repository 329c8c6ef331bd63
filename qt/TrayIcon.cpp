#include "qt/TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>
#include <typeinfo>

namespace mametan {

TTrayIcon::TTrayIcon(QObject* owner, TrayBackendFactory backends)
    : QObject(owner), m_backends(std::move(backends)), m_rules(*this) {
  setObjectName(QStringLiteral("TrayIcon"));
  m_timer.setSingleShot(false);
  connect(&m_timer, &QTimer::timeout, this, [this] { m_rules.DoOnAnimate(); });
  m_hostCheck.setInterval(1000);
  connect(&m_hostCheck, &QTimer::timeout, this, &TTrayIcon::CheckHost);
}

TTrayIcon::~TTrayIcon() {
  // The rules remove the icon when they go; they go after this body, while
  // the backend still exists, because members die in reverse order.
}

void TTrayIcon::SetPopupMenu(QMenu* menu) {
  if (m_menu.menu) disconnect(m_menu.menu, &QObject::destroyed, this, nullptr);
  m_menu.menu = menu;
  m_rules.PopupMenu = menu ? &m_menu : nullptr;
  if (menu) {
    connect(menu, &QObject::destroyed, this, [this] { m_rules.Notification(&m_menu); });
  }
}

void TTrayIcon::SetDesktopMenu(QMenu* menu) {
  m_desktopMenu = menu;
  if (m_backend) m_backend->SetMenu(menu);
}

void TTrayIcon::SetIcons(TImageList* icons) {
  WatchIcons(icons);
  m_rules.Icons = icons;
}

void TTrayIcon::WatchIcons(TImageList* icons) {
  if (m_icons) disconnect(m_icons, &QObject::destroyed, this, nullptr);
  m_icons = icons;
  if (icons) {
    TrayImageList* ref = icons;
    connect(icons, &QObject::destroyed, this, [this, ref] { m_rules.Notification(ref); });
  }
}

void TTrayIcon::MenuRef::Popup(int x, int y) {
  if (menu) menu->popup(QPoint(x, y));
}

QIcon TTrayIcon::IconFor(const TrayNotifyData& data) const {
  if (data.icon == TrayNotifyData::kApplicationIcon) return QApplication::windowIcon();
  if (data.icon == TrayNotifyData::kNoIcon || !m_icons) return QIcon();
  return m_icons->Image(data.icon);
}

QIcon TTrayIcon::CurrentIcon() const { return IconFor(m_rules.NotifyData()); }

void TTrayIcon::Attach(std::unique_ptr<TrayBackend> backend) {
  m_backend = std::move(backend);
  if (!m_backend) return;
  connect(m_backend.get(), &TrayBackend::mouseMessage, this, &TTrayIcon::Deliver);
  m_backend->SetMenu(m_desktopMenu);
}

bool TTrayIcon::AddIcon(const TrayNotifyData& data) {
  if (!m_backend && m_backends) Attach(m_backends());
  const bool added = m_backend && m_backend->Add(IconFor(data), QString::fromStdString(data.szTip));
  if (added) {
    m_iconAdded = true;
    m_hostCheck.start();
  }
  return added;
}

void TTrayIcon::CheckHost() {
  if (!m_iconAdded || !m_backend || !m_backends || m_backend->HostPresent()) return;
  // A panel replaced by one of the other kind, or the session bus gone under
  // a StatusNotifierItem host. With no host at all the icon waits silently.
  std::unique_ptr<TrayBackend> next = m_backends();
  if (!next) return;
  const TrayBackend& current = *m_backend;
  const TrayBackend& other = *next;
  // One of the same kind takes the icon by itself.
  if (typeid(other) == typeid(current)) return;
  const TrayNotifyData& data = m_rules.NotifyData();
  if (!next->Add(IconFor(data), QString::fromStdString(data.szTip))) return;
  m_backend->Remove();
  Attach(std::move(next));
}

bool TTrayIcon::ModifyIcon(const TrayNotifyData& data) {
  if (!m_backend) return false;
  m_backend->Modify(IconFor(data), QString::fromStdString(data.szTip));
  return true;
}

bool TTrayIcon::DeleteIcon() {
  m_iconAdded = false;
  m_hostCheck.stop();
  return m_backend && m_backend->Remove();
}

void TTrayIcon::Deliver(unsigned mouseMessage, QPoint globalPos, Qt::KeyboardModifiers mods) {
  m_inMessage = true;
  m_messagePos = globalPos;
  m_messageMods = mods;
  TMessage message{traymsg::kCallback, 0, static_cast<std::intptr_t>(mouseMessage), 0};
  m_rules.DoMessage(message);
  m_inMessage = false;
}

TPoint TTrayIcon::CursorPos() {
  const QPoint p = m_inMessage ? m_messagePos : QCursor::pos();
  return {p.x(), p.y()};
}

TShiftState TTrayIcon::KeyShiftState() {
  const Qt::KeyboardModifiers m =
      m_inMessage ? m_messageMods : QGuiApplication::queryKeyboardModifiers();
  TShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  if (m & Qt::AltModifier) s |= ssAlt;
  return s;
}

void TTrayIcon::MinimizeApplication() {
  if (MinimizeApplicationHook) MinimizeApplicationHook();
}

void TTrayIcon::RestoreApplication() {
  if (RestoreApplicationHook) RestoreApplicationHook();
}

void TTrayIcon::ForegroundActiveForm() {
  if (QWidget* active = QApplication::activeWindow()) active->activateWindow();
}

void TTrayIcon::SetTimerEnabled(bool enabled) {
  if (enabled) {
    m_timer.start();
  } else {
    m_timer.stop();
  }
}

}  // namespace mametan
