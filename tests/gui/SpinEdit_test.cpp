// The spin edit as the setup dialog uses it for the tax rate: range 0 to 100,
// increment 1. The repeat of a held button runs on simulated time.
#include "qt/SpinEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTest>

#include "GuiTestSupport.h"

namespace mametan {
namespace {

// The one repeat timer of a test; it fires only when the test moves the clock.
class SimulatedTimer : public RepeatTimer {
 public:
  static inline int now = 0, due = 0, interval = 0;
  static inline bool active = false;
  void SetInterval(int ms) override { due = now + (interval = ms); }
  void Start() override { active = true, due = now + interval; }
  void Stop() override { active = false; }
  bool Active() const override { return active; }
  static inline SimulatedTimer* last = nullptr;
  SimulatedTimer() { last = this; }
  static void AdvanceTo(int target) {
    while (active && due <= target) now = due, last->OnTimer();
    now = target;
  }
};

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRepeatTimerFactory([] { return std::make_unique<SimulatedTimer>(); });
    SimulatedTimer::now = 0;
    // Placed as a form places it: bounds set while hidden, then shown.
    spin->setGeometry(232, 72, 49, 5);
    other->setGeometry(0, 0, 100, 20);
    spin->SetMaxValue(100);
    spin->SetValue(5);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    spin->setFocus(Qt::OtherFocusReason);
  }
  void TearDown() override { SetRepeatTimerFactory({}); }
  void Retype(const QString& text) {
    spin->setFocus(Qt::OtherFocusReason);
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClicks(spin, text);
  }
  void Leave() { QTest::keyClick(spin, Qt::Key_Tab); }

  test::RecordingMessages messages;
  QWidget window;
  TCSpinEdit* spin = new TCSpinEdit(&window);
  QLineEdit* other = new QLineEdit(&window);
};

TEST_F(SpinEditTest, StepsStayInRangeAndTypedValuesAreClampedOnlyOnLeaving) {
  spin->SetValue(100);
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(spin->text(), "100");
  spin->SetValue(0);
  QTest::keyClick(spin, Qt::Key_Down);
  EXPECT_EQ(spin->text(), "0");

  Retype("150");
  EXPECT_EQ(spin->GetValue(), 150) << "reading does not clamp";
  Leave();
  EXPECT_EQ(spin->text(), "100");
  Retype("-3");
  Leave();
  EXPECT_EQ(spin->text(), "0");
  Retype("");
  Leave();
  EXPECT_EQ(spin->text(), "0") << "an empty field reads as the minimum";
  EXPECT_EQ(messages.beeps, 0);

  spin->setReadOnly(true);
  spin->SetValue(7);
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(spin->text(), "7");
  EXPECT_EQ(messages.beeps, 1) << "a read-only field beeps instead of stepping";
}

TEST_F(SpinEditTest, OnlyNumberCharactersMayBeTyped) {
  Retype("1a2");
  EXPECT_EQ(spin->text(), "12");
  EXPECT_EQ(messages.beeps, 1);
  QTest::keyClick(spin, Qt::Key_Return);
  EXPECT_EQ(messages.beeps, 2) << "Enter is refused";
  QTest::keyClick(spin, Qt::Key_Backspace);
  const QString sep = QLocale().decimalPoint();
  QTest::keyClicks(spin, sep + "5");
  EXPECT_EQ(spin->text(), "1" + sep + "5") << "the decimal separator is taken as typed";
  EXPECT_EQ(spin->GetValue(), 0);
  EXPECT_EQ(spin->text(), "0") << "... and reads as the minimum";
  EXPECT_EQ(messages.beeps, 2);
}

TEST_F(SpinEditTest, AHeldButtonRepeatsAfter400MsThenEvery100Ms) {
  EXPECT_EQ(spin->height(), spin->GetMinHeight());
  TTimerSpeedButton* up = spin->Button()->UpButton();
  const QRect buttons = spin->Button()->geometry();
  EXPECT_TRUE(spin->rect().contains(buttons) && buttons.left() > spin->width() / 2);
  EXPECT_LE(spin->width() - spin->textMargins().right(), buttons.left())
      << "text under the buttons";

  other->setFocus();
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_TRUE(spin->hasFocus()) << "a press on a button puts the focus in the field";
  SimulatedTimer::AdvanceTo(399);
  EXPECT_EQ(spin->text(), "5");
  SimulatedTimer::AdvanceTo(950);
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_EQ(spin->text(), "12") << "steps at 400, 500, ... 900 ms and one on release";
  SimulatedTimer::AdvanceTo(2000);
  EXPECT_EQ(spin->text(), "12") << "the repeat ends with the release";
}

}  // namespace
}  // namespace mametan
