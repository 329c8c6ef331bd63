#pragma once
// Every message box and beep of the program goes through one seam, so tests
// can read what would have been shown instead of blocking on a modal box.
#include <QString>

#include "core/common/Messages.h"

class QWidget;

namespace mametan {

using MsgIcon = MessageIcon;

class MessageSeam {
 public:
  virtual ~MessageSeam() = default;
  virtual void Show(QWidget* owner, const QString& caption, const QString& text, MsgIcon icon) = 0;
  virtual void Beep() = 0;
};

// Replaces the real boxes; nullptr puts them back.
void SetMessageSeam(MessageSeam* seam);

// The program's own messages: caption "Message", one OK button. A box with an
// owner stays over the owner's window, which has the keyboard again once the
// box is closed.
void ShowMessageBox(const QString& text, MsgIcon icon, QWidget* owner = nullptr);

// The standard error box: caption the application title, stop icon, a full
// stop appended when the text's last character sorts after ".".
void ShowErrorBox(const QString& text, QWidget* owner = nullptr);

void Beep();

// The message boxes of one window (or of none), for window logic that shows
// them through a MessageSink.
class WindowMessages : public MessageSink {
 public:
  explicit WindowMessages(QWidget* owner = nullptr) : m_owner(owner) {}
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    ShowMessageBox(QString::fromStdString(text), icon, m_owner);
  }
  void ShowErrorBox(const std::string& text) override {
    mametan::ShowErrorBox(QString::fromStdString(text), m_owner);
  }

 private:
  QWidget* m_owner;
};

inline const QString kApplicationTitle = QStringLiteral("まめたん家計簿");
// The help page, installed with the program and opened in the desktop's
// default handler for HTML.
inline const QString kHelpFileName = QStringLiteral("mametan.html");

}  // namespace mametan
