#pragma once
// The channel a new start of the Linux program uses to ask the running copy
// for the input window: a local socket beside the instance lock, mode 0600,
// made by the copy that holds the lock. A socket left by a copy that was
// killed is replaced by the next one that takes the lock.
#include <optional>
#include <string>

namespace mametan {

// The socket's path: the instance lock's folder, the lock's name with
// ".input" in place of ".lock".
std::string InputChannelPath();

struct InputAsk {
  // True once the running copy answered the request.
  bool answered = false;
  // What went wrong otherwise: no channel, one of another user, no answer.
  std::string problem;
};

// Sends the request with the activation token and waits up to `timeoutMs`
// for the answer.
InputAsk AskForInputWindow(const std::string& token, int timeoutMs);

// The running copy's end: listens while it lives and removes the socket when
// it is destroyed.
class InputChannelListener {
 public:
  InputChannelListener() = default;
  ~InputChannelListener();
  InputChannelListener(const InputChannelListener&) = delete;
  InputChannelListener& operator=(const InputChannelListener&) = delete;

  // Makes the socket, replacing a stale one of this user. False, with
  // Problem() set, when it cannot.
  bool Listen();
  const std::string& Problem() const { return m_problem; }
  // The listening socket, readable while a request waits; -1 before Listen.
  int Descriptor() const { return m_fd; }
  // Stops listening and removes the socket; done before the instance lock
  // goes, so that it is never a later copy's socket that is removed.
  void Close();
  // Takes one waiting request and answers it: its activation token (empty
  // when it carries none), or nothing when no well-formed request of this
  // user came.
  std::optional<std::string> TakeRequest();

 private:
  int m_fd = -1;
  std::string m_path;
  std::string m_problem;
};

}  // namespace mametan
