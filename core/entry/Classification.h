#pragma once
// The classification file: one kind (expense category) per line, code page
// 932, read once when the input window is created.
#include <string>
#include <string_view>
#include <vector>

#include "core/common/Messages.h"
#include "core/entry/DefaultKinds.h"

namespace mametan {

// Splits the file's bytes into kinds, in file order. A line break is CR LF,
// LF or CR (so LF CR is two breaks, with an empty kind between them); a NUL
// byte ends the text; a break at the very end adds no empty kind. Kinds are
// the lines' bytes unchanged: not trimmed, not sorted, not de-duplicated, and
// not decoded (the caller keeps the bytes so that a listed kind reaches the
// ledger byte for byte).
std::vector<std::string> ParseClassificationText(std::string_view bytes);

struct ClassificationFile {
  enum class Status {
    Loaded,      // `kinds` holds the file's kinds (possibly none)
    Missing,     // no regular file at the path (empty path, a directory, nothing)
    Unreadable,  // the file is there but could not be opened or read
  };
  Status status = Status::Missing;
  std::vector<std::string> kinds;
};

// Reads and splits the classification file at `path` (UTF-8, relative to the
// start directory). Shows nothing: the kind box reports Missing and Unreadable.
ClassificationFile ReadClassificationFile(const std::string& path);

// The kinds the kind box is to hold, read from the file at `path`; its
// messages are shown through `messages`:
//  - no regular file there: the nine default kinds, and the warning
//    "分類設定ファイルが読み込めません。標準設定の分類を使用します。";
//  - the file cannot be opened or read: no kinds, and the standard error box
//    "ファイル %s は開けません" with the path;
//  - otherwise the file's kinds in file order (an empty file gives none).
std::vector<std::string> LoadKindList(const std::string& path, MessageSink& messages);

}  // namespace mametan
