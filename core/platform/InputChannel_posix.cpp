#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/common/InputRequest.h"
#include "core/platform/InputChannel.h"
#include "core/platform/InstanceLock.h"

namespace mametan {
namespace {

using Clock = std::chrono::steady_clock;

std::string Reason(int error) { return std::strerror(error); }

bool FillAddress(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for `events` on `fd` until the deadline; false when it passed.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, MillisecondsLeft(deadline));
    if (n > 0) return true;
    if (n == 0 || errno != EINTR) return false;
  }
}

// Reads up to a newline or the peer's end; false when the deadline passed
// first or the text grew too long.
bool ReadLine(int fd, std::string& text, Clock::time_point deadline) {
  char buffer[256];
  while (text.find('\n') == std::string::npos) {
    if (!WaitFor(fd, POLLIN, deadline)) return false;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return true;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kInputRequestMax) return false;
  }
  return true;
}

bool WriteAll(int fd, std::string_view text, Clock::time_point deadline) {
  while (!text.empty()) {
    if (!WaitFor(fd, POLLOUT, deadline)) return false;
    const ssize_t n = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string InputChannelPath() {
  std::string path = InstanceLockPath();
  const std::string suffix = ".lock";
  if (path.size() >= suffix.size() &&
      path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
    path.resize(path.size() - suffix.size());
  }
  return path + ".input";
}

InputAsk AskForInputWindow(const std::string& token, int timeoutMs) {
  InputAsk ask;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const std::string path = InputChannelPath();
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    ask.problem = "no channel at " + path + ": " + Reason(errno);
    return ask;
  }
  if (!S_ISSOCK(st.st_mode) || st.st_uid != getuid()) {
    ask.problem = path + " is not a socket of this user";
    return ask;
  }
  sockaddr_un address{};
  if (!FillAddress(path, address)) {
    ask.problem = path + " is too long for a socket path";
    return ask;
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    ask.problem = "no socket: " + Reason(errno);
    return ask;
  }
  std::string answer;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
      errno != EINPROGRESS && errno != EAGAIN) {
    ask.problem = "cannot reach " + path + ": " + Reason(errno);
  } else if (!WriteAll(fd, InputRequestLine(token), deadline) || !ReadLine(fd, answer, deadline)) {
    ask.problem = "no answer on " + path + " within " + std::to_string(timeoutMs / 1000) + " s";
  } else if (answer != kInputAnswer) {
    ask.problem = "an unexpected answer on " + path;
  } else {
    ask.answered = true;
  }
  close(fd);
  return ask;
}

InputChannelListener::~InputChannelListener() { Close(); }

void InputChannelListener::Close() {
  if (m_fd >= 0) {
    close(m_fd);
    m_fd = -1;
    unlink(m_path.c_str());
  }
}

bool InputChannelListener::Listen() {
  m_problem.clear();
  if (m_fd >= 0) return true;
  const std::string path = InputChannelPath();
  sockaddr_un address{};
  if (!FillAddress(path, address)) {
    m_problem = path + " is too long for a socket path";
    return false;
  }
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0) {
    // Left by a copy that ended without removing it: this copy holds the
    // lock, so nobody else listens there.
    if (!S_ISSOCK(st.st_mode) || st.st_uid != getuid()) {
      m_problem = path + " is in the way: it is not a socket of this user";
      return false;
    }
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
      m_problem = "cannot replace " + path + ": " + Reason(errno);
      return false;
    }
  }
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    m_problem = "no socket: " + Reason(errno);
    return false;
  }
  // The socket is made user-only from the start: nobody else may connect
  // even for a moment.
  const mode_t previous = umask(0077);
  const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int bindError = errno;
  umask(previous);
  if (bound != 0 || chmod(path.c_str(), 0600) != 0 || listen(fd, 8) != 0) {
    m_problem = "cannot listen on " + path + ": " + Reason(bound != 0 ? bindError : errno);
    if (bound == 0) unlink(path.c_str());
    close(fd);
    return false;
  }
  m_fd = fd;
  m_path = path;
  return true;
}

std::optional<std::string> InputChannelListener::TakeRequest() {
  if (m_fd < 0) return std::nullopt;
  const int fd = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> token;
  ucred peer{};
  socklen_t size = sizeof peer;
  if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid()) {
    // The asking process writes its line at once; one that does not is
    // not waited for long.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(500);
    std::string line;
    if (ReadLine(fd, line, deadline)) token = ParseInputRequest(line);
    if (token) WriteAll(fd, kInputAnswer, deadline);
  }
  close(fd);
  return token;
}

}  // namespace mametan
