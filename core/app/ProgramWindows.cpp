#include "core/app/ProgramWindows.h"

#include <algorithm>

namespace mametan {

void OpenOrder::Opened(ProgramWindow window) {
  const auto at = std::find(m_order.begin(), m_order.end(), window);
  std::rotate(at, at + 1, m_order.end());
}

std::optional<ProgramWindow> OpenOrder::Forward(
    const std::function<bool(ProgramWindow)>& visible) const {
  for (auto w = m_order.rbegin(); w != m_order.rend(); ++w) {
    if (visible(*w)) return *w;
  }
  return std::nullopt;
}

}  // namespace mametan
