#include "qt/TermSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "core/platform/Termination.h"

namespace mametan {
namespace {

int g_pipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  NoteTerminationRequest();
  const char byte = 1;
  [[maybe_unused]] const auto n = write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TermSignals::TermSignals(QObject* parent) : QObject(parent) {
  if (g_pipe[0] < 0 &&
      socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
    return;
  }
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    char buffer[16];
    while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
    emit terminateRequested();
  });
  // A ledger beyond the file-size limit must fail its write with EFBIG and
  // be reported, not end the process.
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
}

TermSignals::~TermSignals() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  signal(SIGHUP, SIG_DFL);
}

}  // namespace mametan
