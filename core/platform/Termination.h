#pragma once
// A termination signal noted for code that waits: a wait that would keep the
// program from ending (the settings file's lock) gives up once one came in.
namespace mametan {

// Async-signal-safe: the signal handler calls it.
void NoteTerminationRequest() noexcept;
bool TerminationRequested() noexcept;

}  // namespace mametan
