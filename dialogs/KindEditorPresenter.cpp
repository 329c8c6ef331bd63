#include "dialogs/KindEditorPresenter.h"

#include "common/AppError.h"
#include "dialogs/KindFileText.h"
#include "platform/Cp932.h"
#include "platform/FileIo.h"

namespace mametan {
namespace {

std::string Replace(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(from, start)) != std::string_view::npos;) {
    out.append(text, start, at - start);
    out.append(to);
    start = at + from.size();
  }
  out.append(text, start);
  return out;
}

}  // namespace

void KindEditorPresenter::FormShow() {
  m_view.SetFileCaption(m_path);
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
  m_view.SetText(Replace(cp932::Decode(NormalizeLineEnds(*bytes)), "\r\n", "\n"));
}

void KindEditorPresenter::bbtn_OkClick() {
  const auto bytes = cp932::Encode(Replace(m_view.Text(), "\n", "\r\n"));
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
