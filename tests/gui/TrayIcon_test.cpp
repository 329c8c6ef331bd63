// The tray icon component over a notification area that tests can click.
#include "qt/TrayIcon.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>
#include <QTest>

#include "qt/SniTray.h"

namespace mametan {
namespace {

using namespace traymsg;

class ClickableTray : public TrayBackend {
 public:
  bool Add(const QIcon& icon, const QString&) override {
    icons.push_back(icon.cacheKey());
    return !std::exchange(added, true);
  }
  void Modify(const QIcon& icon, const QString&) override { icons.push_back(icon.cacheKey()); }
  bool Remove() override { return std::exchange(added, false); }
  void SetMenu(QMenu* m) override { menu = m; }
  void Send(unsigned m, QPoint at, Qt::KeyboardModifiers mods = {}) {
    emit mouseMessage(m, at, mods);
  }
  bool added = false;
  QMenu* menu = nullptr;
  std::vector<qint64> icons;
};

struct Rig {
  ClickableTray* tray = nullptr;
  TTrayIcon icon{nullptr, [this] {
                   auto t = std::make_unique<ClickableTray>();
                   tray = t.get();
                   return t;
                 }};
};

TEST(TrayIconComponent, ClicksArriveWithTheirScreenPositionAndModifiers) {
  Rig rig;
  rig.icon.SetVisible(true);
  ASSERT_NE(rig.tray, nullptr);
  std::vector<std::tuple<TMouseButton, TShiftState, int, int>> downs;
  rig.icon.Rules().OnMouseDown = [&](TMouseButton b, TShiftState s, int x, int y) {
    downs.emplace_back(b, s, x, y);
  };
  rig.tray->Send(kRButtonDown, {812, 7}, Qt::ShiftModifier | Qt::AltModifier);
  rig.tray->Send(kRButtonUp, {812, 7});
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], std::make_tuple(mbRight, TShiftState(ssShift | ssAlt | ssRight), 812, 7));
}

TEST(TrayIconComponent, AddingTwiceIsRefusedAndRemovalGivesTheIconBack) {
  Rig rig;
  QMenu menu;
  rig.icon.SetDesktopMenu(&menu);  // before the area exists: handed over when it does
  rig.icon.SetVisible(true);
  EXPECT_EQ(rig.tray->menu, &menu);
  EXPECT_THROW(rig.icon.SetVisible(true), TrayError);
  rig.icon.SetVisible(false);
  EXPECT_FALSE(rig.tray->added);
  EXPECT_THROW(rig.icon.SetVisible(false), TrayError);
}

TEST(TrayIconComponent, AnimationTimerRunsOnlyWithImagesAndCyclesThem) {
  Rig rig;
  rig.icon.SetAnimate(true);
  EXPECT_FALSE(rig.icon.AnimationTimer()->isActive());
  TImageList four;
  for (int i = 0; i < 4; ++i) {
    QPixmap p(16, 16);
    p.fill(QColor::fromHsv(i * 60, 255, 255));
    four.Add(QIcon(p));
  }
  rig.icon.SetIcons(&four);
  rig.icon.Loaded();
  rig.icon.SetVisible(true);
  rig.icon.SetAnimateInterval(5);
  rig.icon.SetAnimate(true);
  EXPECT_TRUE(rig.icon.AnimationTimer()->isActive());
  EXPECT_EQ(rig.icon.AnimationTimer()->interval(), 5);
  std::vector<qint64> seen;
  for (int i = 0; i < 5; ++i) {
    QEventLoop tick;  // wait for one real tick; the component's handler runs first
    QObject::connect(rig.icon.AnimationTimer(), &QTimer::timeout, &tick, &QEventLoop::quit);
    tick.exec();
    seen.push_back(rig.icon.CurrentIcon().cacheKey());
  }
  const std::vector<qint64> expected = {four.Image(1).cacheKey(), four.Image(2).cacheKey(),
                                        four.Image(3).cacheKey(), four.Image(0).cacheKey(),
                                        four.Image(1).cacheKey()};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(rig.tray->icons.back(), four.Image(1).cacheKey());
  rig.icon.SetAnimate(false);
  EXPECT_FALSE(rig.icon.AnimationTimer()->isActive());
}

TEST(TrayIconComponent, FreedMenuAndImagesAreForgotten) {
  Rig rig;
  auto* menu = new QMenu;
  menu->addAction("x");
  auto* images = new TImageList;
  images->Add(QIcon(QPixmap(16, 16)));
  rig.icon.SetPopupMenu(menu);
  rig.icon.SetIcons(images);
  delete menu;
  delete images;
  EXPECT_EQ(rig.icon.Rules().PopupMenu, nullptr);
  EXPECT_EQ(rig.icon.Rules().Icons, nullptr);
  rig.icon.Rules().ShowMenu();  // nothing to show, nothing to crash on
  rig.icon.SetIconIndex(0);
  rig.icon.SetAnimate(true);
  EXPECT_FALSE(rig.icon.AnimationTimer()->isActive());
}

// A StatusNotifierItem host reports one activation per click; a second one
// of the same button within the double-click interval is the double click.
TEST(SniTrayGestures, RepeatedActivationsBecomeDoubleClicks) {
  SniTray sni;
  auto* icon = sni.findChild<QSystemTrayIcon*>();
  ASSERT_NE(icon, nullptr);
  std::vector<unsigned> got;
  QObject::connect(&sni, &TrayBackend::mouseMessage,
                   [&](unsigned m, QPoint, Qt::KeyboardModifiers) { got.push_back(m); });
  QStyleHints* hints = QGuiApplication::styleHints();
  const int interval = hints->mouseDoubleClickInterval();
  hints->setMouseDoubleClickInterval(150);
  using R = QSystemTrayIcon;
  for (R::ActivationReason r : {R::Trigger, R::Trigger, R::Trigger, R::MiddleClick, R::Trigger,
                                R::MiddleClick, R::MiddleClick}) {
    emit icon->activated(r);
  }
  QTest::qWait(200);
  emit icon->activated(R::Context);
  QTest::qWait(200);
  emit icon->activated(R::Context);
  hints->setMouseDoubleClickInterval(interval);
  EXPECT_EQ(got,
            (std::vector<unsigned>{kLButtonDown, kLButtonUp, kLButtonDblClk, kLButtonUp,
                                   kLButtonDown, kLButtonUp, kMButtonDown, kMButtonUp, kLButtonDown,
                                   kLButtonUp, kMButtonDown, kMButtonUp, kMButtonDblClk, kMButtonUp,
                                   kRButtonDown, kRButtonUp, kRButtonDown, kRButtonUp}));
}

}  // namespace
}  // namespace mametan
