#pragma once
// A notification area the tray icon can live in. Each backend turns the
// desktop's clicks on the icon into the callback messages of the tray icon
// rules (press, release and double click of each button).
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>

class QMenu;

namespace mametan {

class TrayBackend : public QObject {
  Q_OBJECT
 public:
  ~TrayBackend() override = default;
  // False when the icon is already there or the area refuses it.
  virtual bool Add(const QIcon& icon, const QString& tip) = 0;
  virtual void Modify(const QIcon& icon, const QString& tip) = 0;
  // False when there was no icon to remove.
  virtual bool Remove() = 0;
  // The menu a host shows by itself when it draws the icon's menu rather than
  // report a right click. Hosts that report the click ignore it.
  virtual void SetMenu(QMenu*) {}
  // False while the kind of notification area this backend serves is gone
  // (the panel ended, the session bus died). A host of the same kind that
  // comes back takes the icon again by itself.
  virtual bool HostPresent() { return true; }

 signals:
  // `message` is one of traymsg::kMouseMove .. kMButtonDblClk; the position is
  // the pointer's on the screen, the modifiers those held at that moment.
  void mouseMessage(unsigned message, QPoint globalPos, Qt::KeyboardModifiers modifiers);
};

using TrayBackendFactory = std::function<std::unique_ptr<TrayBackend>()>;

}  // namespace mametan
