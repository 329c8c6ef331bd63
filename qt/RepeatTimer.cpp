#include "qt/RepeatTimer.h"

#include <QTimer>

namespace mametan {
namespace {

class QtRepeatTimer : public RepeatTimer {
 public:
  QtRepeatTimer() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
      if (OnTimer) OnTimer();
    });
  }
  void SetInterval(int milliseconds) override { m_timer.setInterval(milliseconds); }
  void Start() override { m_timer.start(); }
  void Stop() override { m_timer.stop(); }
  bool Active() const override { return m_timer.isActive(); }

 private:
  QTimer m_timer;
};

RepeatTimerFactory& Factory() {
  static RepeatTimerFactory factory;
  return factory;
}

}  // namespace

void SetRepeatTimerFactory(RepeatTimerFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<RepeatTimer> CreateRepeatTimer() {
  if (Factory()) return Factory()();
  return std::make_unique<QtRepeatTimer>();
}

}  // namespace mametan
