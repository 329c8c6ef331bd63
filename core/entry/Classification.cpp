#include "core/entry/Classification.h"

#include "core/common/AppError.h"
#include "core/platform/FileIo.h"

namespace mametan {

std::vector<std::string> ParseClassificationText(std::string_view bytes) {
  // CR, LF and NUL are never the second byte of a double-byte character, so
  // a byte scan cannot split one.
  bytes = bytes.substr(0, bytes.find('\0'));
  std::vector<std::string> kinds;
  // One allocation for the list: growing it step by step costs more than
  // this extra pass over the bytes.
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    breaks +=
        bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
  }
  kinds.reserve(breaks + 1);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    kinds.emplace_back(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
    if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return kinds;
}

ClassificationFile ReadClassificationFile(const std::string& path) {
  ClassificationFile result;
  if (!IsRegularFile(path)) return result;
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    result.status = ClassificationFile::Status::Unreadable;
    return result;
  }
  result.status = ClassificationFile::Status::Loaded;
  result.kinds = ParseClassificationText(*bytes);
  return result;
}

std::vector<std::string> LoadKindList(const std::string& path, MessageSink& messages) {
  ClassificationFile file = ReadClassificationFile(path);
  switch (file.status) {
    case ClassificationFile::Status::Missing:
      messages.ShowMessage("分類設定ファイルが読み込めません。標準設定の分類を使用します。",
                           MessageIcon::Exclamation);
      return DefaultKindList();
    case ClassificationFile::Status::Unreadable:
      messages.ShowErrorBox(FormatMessage("ファイル %s は開けません", path));
      return {};
    case ClassificationFile::Status::Loaded:
      break;
  }
  return std::move(file.kinds);
}

}  // namespace mametan
