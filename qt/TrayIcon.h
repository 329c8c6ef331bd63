#pragma once
// TTrayIcon: the program's icon in the desktop's notification area. The
// rules (what each click does, when the icon is added or refused, the
// animation) live in TrayIconRules; this class connects them to a
// notification-area backend, the image list, the popup menu, a timer, and
// the application's taskbar entry.
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "core/tray/TrayDispatch.h"
#include "qt/TrayBackendFactory.h"

namespace mametan {

// A list of same-sized images (SVG drawings) for icons and menu items.
class TImageList : public QObject, public TrayImageList {
  Q_OBJECT
 public:
  explicit TImageList(QObject* owner = nullptr) : QObject(owner) {}
  void Add(const QIcon& icon) { m_images.append(icon); }
  int Count() const override { return static_cast<int>(m_images.size()); }
  QIcon Image(int index) const {
    return index >= 0 && index < Count() ? m_images.at(index) : QIcon();
  }

 private:
  QList<QIcon> m_images;
};

class TTrayIcon : public QObject, private TrayEnvironment {
  Q_OBJECT
 public:
  explicit TTrayIcon(
      QObject* owner, TrayBackendFactory backends = [] { return CreateDesktopTrayBackend(); });
  ~TTrayIcon() override;

  // Stored properties, set in this order by the owner, then Loaded().
  void SetVisible(bool value) { m_rules.SetVisible(value); }  // throws TrayError
  bool Visible() const { return m_rules.Visible(); }
  void SetHint(const QString& hint) { m_rules.SetHint(hint.toStdString()); }
  void SetPopupMenu(QMenu* menu);
  void SetHide(bool value) { m_rules.SetHide(value); }
  void SetRestoreOn(TTrayIconMessage value) { m_rules.RestoreOn = value; }
  void SetPopupMenuOn(TTrayIconMessage value) { m_rules.PopupMenuOn = value; }
  void SetIcons(TImageList* icons);
  // The images the rules are (or will be) given by someone else: the icon is
  // drawn from them, and when they go the rules are told.
  void WatchIcons(TImageList* icons);
  void SetIconIndex(int index) { m_rules.SetIconIndex(index); }
  void SetAnimateInterval(int ms) { m_rules.SetAnimateInterval(ms); }
  void SetAnimate(bool value) { m_rules.SetAnimate(value); }
  void Loaded() { m_rules.Loaded(); }
  // The menu for hosts that draw the icon's menu themselves (not a stored
  // property: the host window's right press opens its menu on other hosts).
  void SetDesktopMenu(QMenu* menu);

  TrayIconRules& Rules() { return m_rules; }
  // The icon currently handed to the notification area.
  QIcon CurrentIcon() const;
  QTimer* AnimationTimer() { return &m_timer; }
  QMenu* PopupMenu() const { return m_menu.menu; }

  // How the application's taskbar entry is minimized and restored; set by
  // start-up, which owns the entry.
  std::function<void()> MinimizeApplicationHook;
  std::function<void()> RestoreApplicationHook;

  // A callback message from the notification area (also used by tests).
  void Deliver(unsigned mouseMessage, QPoint globalPos, Qt::KeyboardModifiers modifiers);

 private:
  struct MenuRef : TrayPopupMenu {
    QPointer<QMenu> menu;
    void Popup(int x, int y) override;
  };

  bool AddIcon(const TrayNotifyData& data) override;
  bool ModifyIcon(const TrayNotifyData& data) override;
  bool DeleteIcon() override;
  TPoint CursorPos() override;
  TShiftState KeyShiftState() override;
  void MinimizeApplication() override;
  void RestoreApplication() override;
  void ForegroundActiveForm() override;
  void SetApplicationHook(bool) override {}
  void SetTimerEnabled(bool enabled) override;
  void SetTimerInterval(int ms) override { m_timer.setInterval(ms); }

  QIcon IconFor(const TrayNotifyData& data) const;
  void Attach(std::unique_ptr<TrayBackend> backend);
  // Moves the icon to a notification area of another kind when its own is
  // gone and one of the other kind is there.
  void CheckHost();

  TrayBackendFactory m_backends;
  std::unique_ptr<TrayBackend> m_backend;
  QTimer m_timer;
  // While the icon is shown: looks whether its notification area is still there.
  QTimer m_hostCheck;
  bool m_iconAdded = false;
  MenuRef m_menu;
  QPointer<TImageList> m_icons;
  QPointer<QMenu> m_desktopMenu;
  // The message being handled: its position and modifiers stand for the
  // cursor and keyboard at that moment.
  bool m_inMessage = false;
  QPoint m_messagePos;
  Qt::KeyboardModifiers m_messageMods;
  TrayIconRules m_rules;  // last: its constructor already talks to the members above
};

}  // namespace mametan
