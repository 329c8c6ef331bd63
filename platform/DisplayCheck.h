#pragma once
// Whether the toolkit will find its display. Without one it aborts with a
// core dump; we would rather say why in one line and end.
#include <optional>
#include <string>

namespace mametan {

// Nothing when the X display can be opened, or when the toolkit will not use
// X (another platform was asked for, or a Wayland session without X);
// otherwise the reason, as one line for stderr.
std::optional<std::string> XDisplayProblem();

}  // namespace mametan
