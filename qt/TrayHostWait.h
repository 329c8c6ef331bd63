#pragma once
// Waits for the desktop's notification area without holding up the event
// loop: at login the panel may start after us.
#include <QObject>
#include <QTimer>
#include <memory>

class QDBusServiceWatcher;

namespace mametan {

class XEmbedTray;

class TrayHostWait : public QObject {
  Q_OBJECT
 public:
  explicit TrayHostWait(QObject* parent = nullptr);
  ~TrayHostWait() override;

  // Emits settled() once: on the next turn of the event loop when a host is
  // already there (an XEmbed tray manager, or a StatusNotifierItem watcher
  // with a host registered) (or there is no display to have one), as soon as one
  // appears, or when `waitMs` have passed without one. Whether a host came is
  // for the tray backend factory to find out.
  void Start(int waitMs);

 signals:
  void settled();

 private slots:
  void SniHostCame();

 private:
  void Settle();

  QTimer m_deadline;
  std::unique_ptr<XEmbedTray> m_xembed;
  std::unique_ptr<QDBusServiceWatcher> m_sni;
  bool m_settled = false;
};

}  // namespace mametan
