#include "core/platform/Termination.h"

#include <csignal>

namespace mametan {
namespace {

volatile std::sig_atomic_t g_requested = 0;

}  // namespace

void NoteTerminationRequest() noexcept { g_requested = 1; }

bool TerminationRequested() noexcept { return g_requested != 0; }

}  // namespace mametan
