#pragma once
// When to read the ledger after notices of a change. Changes come in bursts
// (a write, then a close; a save that replaces the file), so a read waits
// until the notices have been quiet a moment; but a file that keeps
// changing (a program appending many times a second) must still be shown
// soon, so the wait never runs past a bound from the first unread notice.
#include <algorithm>
#include <cstdint>

namespace mametan {

class ChangeDelay {
 public:
  ChangeDelay(std::int64_t quietMs, std::int64_t longestMs)
      : m_quietMs(quietMs), m_longestMs(longestMs) {}

  // A notice at `nowMs` (any steady clock): the milliseconds from now until
  // the read is due. The read may be due at once (0).
  std::int64_t Notice(std::int64_t nowMs) {
    if (!m_pending) {
      m_pending = true;
      m_firstMs = nowMs;
    }
    const std::int64_t due = std::min(nowMs + m_quietMs, m_firstMs + m_longestMs);
    return std::max<std::int64_t>(0, due - nowMs);
  }
  // The ledger was read: the next notice starts a new wait.
  void Read() { m_pending = false; }
  bool pending() const { return m_pending; }

 private:
  std::int64_t m_quietMs;
  std::int64_t m_longestMs;
  bool m_pending = false;
  std::int64_t m_firstMs = 0;
};

}  // namespace mametan
