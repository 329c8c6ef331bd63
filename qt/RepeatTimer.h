#pragma once
// The timer behind a held spin button, replaceable so that tests can run
// the repeat on simulated time instead of sleeping.
#include <functional>
#include <memory>

namespace mametan {

class RepeatTimer {
 public:
  virtual ~RepeatTimer() = default;
  // Changing the interval of a running timer starts its wait anew.
  virtual void SetInterval(int milliseconds) = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool Active() const = 0;
  std::function<void()> OnTimer;
};

using RepeatTimerFactory = std::function<std::unique_ptr<RepeatTimer>()>;

// Tests install their own timers; an empty factory puts the real ones back.
void SetRepeatTimerFactory(RepeatTimerFactory factory);
std::unique_ptr<RepeatTimer> CreateRepeatTimer();

}  // namespace mametan
