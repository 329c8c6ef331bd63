#pragma once
// What a window's logic shows the user: the program's own message boxes and
// the standard error box. Each front end shows them with its toolkit.
#include <string>

namespace mametan {

enum class MessageIcon { Exclamation, Stop };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // The program's own message: caption "Message", one OK button, over the
  // window that shows it.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
  // The standard error box: caption the application title, stop icon.
  virtual void ShowErrorBox(const std::string& text) = 0;
};

}  // namespace mametan
