#include "core/common/TaskbarRule.h"

namespace mametan {

void TaskbarRule::WindowsChanged(bool anyWindowVisible) {
  if (m_entry.IsShown() != m_flag || anyWindowVisible == m_flag) return;
  m_entry.SetShown(anyWindowVisible);
  m_flag = anyWindowVisible;
}

}  // namespace mametan
