#include "core/dialogs/KindEditorPresenter.h"

#include "core/common/AppError.h"
#include "core/dialogs/KindFileText.h"
#include "core/platform/FileIo.h"

namespace mametan {
void KindEditorPresenter::FormShow() {
  m_view.SetFileCaption(m_path);
  m_file = KindFileText();
  if (!IsRegularFile(m_path)) {
    m_view.ShowMessage("ファイルが存在しません。新規に設定ファイルを作成します。",
                       MessageIcon::Exclamation);
    m_view.SetText(std::string());
    return;
  }
  const auto bytes = ReadWholeFile(m_path);
  if (!bytes) {
    m_view.ShowErrorBox(FormatMessage("ファイル %s は開けません", m_path));
    return;
  }
  // The text box holds lines; the file's CR LF comes back on saving.
  m_file = KindFileText(*bytes);
  m_view.SetText(m_file.Text());
}

void KindEditorPresenter::bbtn_OkClick() {
  const auto bytes = m_file.Encode(m_view.Text());
  if (!bytes) {
    m_view.ShowMessage("分類設定ファイルに保存できない文字があります。", MessageIcon::Exclamation);
    return;
  }
  // A failed save leaves the old content whole, and the editor stays open
  // with the typed text.
  if (!ReplaceFileContent(m_path, *bytes)) {
    m_view.ShowErrorBox(FormatMessage("ファイル %s を作成できません", m_path));
    return;
  }
  m_view.Close(true);
}

}  // namespace mametan
