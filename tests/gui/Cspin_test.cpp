// The spin edit as the setup dialog uses it for the tax rate: range 0 to 100,
// increment 1. The repeat of a held button runs on simulated time.
#include "controls/Cspin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTest>
#include <QVBoxLayout>
#include <climits>
#include <memory>

#include "GuiTestSupport.h"
#include "controls/SpinRules.h"

namespace mametan {
namespace {

// A repeat timer that fires only when the test moves the clock on.
class SimulatedTimer : public RepeatTimer {
 public:
  static inline int now = 0;
  static inline SimulatedTimer* last = nullptr;
  SimulatedTimer() { last = this; }
  ~SimulatedTimer() override {
    if (last == this) last = nullptr;
  }
  void SetInterval(int ms) override {
    m_interval = ms;
    m_due = now + ms;
  }
  void Start() override {
    m_active = true;
    m_due = now + m_interval;
  }
  void Stop() override { m_active = false; }
  bool Active() const override { return m_active; }
  static void AdvanceTo(int target) {
    while (last && last->m_active && last->m_due <= target) {
      now = last->m_due;
      last->OnTimer();
    }
    now = target;
  }

 private:
  int m_interval = 0;
  int m_due = 0;
  bool m_active = false;
};

class SpinEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRepeatTimerFactory([] { return std::make_unique<SimulatedTimer>(); });
    SimulatedTimer::now = 0;
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    spin = new TCSpinEdit(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(spin);
    layout->addWidget(other);
    spin->SetMaxValue(100);
    spin->SetValue(5);
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    spin->setFocus(Qt::OtherFocusReason);
  }
  void TearDown() override {
    window.reset();
    SetRepeatTimerFactory({});
  }
  void Retype(const QString& text) {
    spin->setFocus(Qt::OtherFocusReason);
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClicks(spin, text);
  }
  void Leave() {
    QTest::keyClick(spin, Qt::Key_Tab);
    ASSERT_TRUE(other->hasFocus());
  }

  test::RecordingMessages messages;
  std::unique_ptr<QWidget> window;
  TCSpinEdit* spin = nullptr;
  QLineEdit* other = nullptr;
};

TEST(SpinRules, CheckValueKeepsTheRangeOnlyWhenTheBoundsDiffer) {
  struct Case {
    int value, min, max, want;
  } cases[] = {
      {150, 0, 100, 100},
      {-3, 0, 100, 0},
      {50, 0, 100, 50},
      {-7, 0, 0, -7},
      {INT_MAX, 5, 5, INT_MAX},
      // Bounds the wrong way round: below the minimum gives it, all else the maximum.
      {3, 10, 1, 10},
      {10, 10, 1, 1},
      {50, 10, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckSpinValue(c.value, c.min, c.max), c.want)
        << c.value << " in " << c.min << ".." << c.max;
  }
  EXPECT_EQ(StepSpinValue(INT_MAX, 1, true), INT_MIN);
}

TEST_F(SpinEditTest, StepsStayInRangeAndTypedValuesAreClampedOnlyOnLeaving) {
  spin->SetValue(100);
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(spin->text(), "100");
  spin->SetValue(0);
  QTest::keyClick(spin, Qt::Key_Down);
  EXPECT_EQ(spin->text(), "0");
  spin->SetValue(99);
  QTest::mouseClick(spin->Button()->UpButton(), Qt::LeftButton);
  EXPECT_EQ(spin->text(), "100");

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
  EXPECT_EQ(spin->text(), "1");

  const QString sep = QLocale().decimalPoint();
  QTest::keyClicks(spin, sep + "5");
  EXPECT_EQ(spin->text(), "1" + sep + "5") << "the decimal separator is taken as typed";
  EXPECT_EQ(spin->GetValue(), 0);
  EXPECT_EQ(spin->text(), "0") << "... and reads as the minimum";
  EXPECT_EQ(messages.beeps, 2);

  // Typed through an input method, refused characters are dropped all the same.
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("３4x"));
  spin->selectAll();
  QApplication::sendEvent(spin, &commit);
  EXPECT_EQ(spin->text(), "4");
  EXPECT_EQ(messages.beeps, 3);
}

TEST_F(SpinEditTest, AHeldButtonRepeatsAfter400MsThenEvery100Ms) {
  TTimerSpeedButton* up = spin->Button()->UpButton();
  const QPoint inside = up->rect().center();
  QTest::mousePress(up, Qt::LeftButton, {}, inside);
  SimulatedTimer::AdvanceTo(399);
  EXPECT_EQ(spin->text(), "5");
  SimulatedTimer::AdvanceTo(950);
  QTest::mouseRelease(up, Qt::LeftButton, {}, inside);
  EXPECT_EQ(spin->text(), "12") << "steps at 400, 500, ... 900 ms and one on release";
  SimulatedTimer::AdvanceTo(2000);
  EXPECT_EQ(spin->text(), "12") << "the repeat ends with the release";
  EXPECT_TRUE(spin->hasFocus()) << "a press on a button puts the focus in the field";

  // A short click steps once; nothing repeats while the pointer is off the button.
  QTest::mouseClick(spin->Button()->DownButton(), Qt::LeftButton);
  EXPECT_EQ(spin->text(), "11");
}

TEST(SpinEditLayout, TextStaysClearOfTheButtonsAndTheFieldKeepsItsMinimumHeight) {
  // Placed as a form places it: bounds set while hidden, then shown.
  QWidget form;
  auto* spin = new TCSpinEdit(&form);
  spin->setGeometry(232, 72, 49, 5);
  form.resize(385, 173);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(spin->height(), spin->GetMinHeight());
  const QRect button = spin->Button()->geometry();
  EXPECT_TRUE(spin->rect().contains(button));
  EXPECT_GT(button.left(), spin->width() / 2) << "the buttons sit at the right edge";
  EXPECT_LE(spin->width() - spin->textMargins().right(), button.left());
}

}  // namespace
}  // namespace mametan
