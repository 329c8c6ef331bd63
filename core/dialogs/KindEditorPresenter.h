#pragma once
// The classification file editor's logic: a showing loads the file its
// caller names as lines of text; OK writes it back (code page 932, CR LF,
// atomically) and closes, and a failed save keeps the editor open with the
// typed text.
#include <string>

#include "core/common/Messages.h"
#include "core/dialogs/KindFileText.h"

namespace mametan {

class KindEditorView : public MessageSink {
 public:
  // The file name shown above the text.
  virtual void SetFileCaption(const std::string& path) = 0;
  // The text, UTF-8, lines separated by "\n".
  virtual std::string Text() = 0;
  virtual void SetText(const std::string& text) = 0;
  // Closes the editor: accepted after a save.
  virtual void Close(bool accepted) = 0;
};

class KindEditorPresenter {
 public:
  explicit KindEditorPresenter(KindEditorView& view) : m_view(view) {}

  // The file the next showing loads and OK writes.
  void SetFileName(std::string path) { m_path = std::move(path); }
  const std::string& FileName() const { return m_path; }

  void FormShow();
  void bbtn_OkClick();
  void bbtn_CancelClick() { m_view.Close(false); }

 private:
  KindEditorView& m_view;
  std::string m_path;
  KindFileText m_file;  // as last loaded: its lines keep their bytes
};

}  // namespace mametan
