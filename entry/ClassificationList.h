#pragma once
// The kind box's item list: filled from the classification file once, when
// the input window is created.
#include <optional>
#include <string>
#include <vector>

class QComboBox;

namespace mametan {

// Empties `box` and fills it with DefaultKindList.
void FillDefaultKinds(QComboBox* box);

// Empties `box` and fills it with `kinds` (code page 932 bytes): each item's
// text is the decoded kind, its Qt::UserRole data the original bytes.
void FillKinds(QComboBox* box, const std::vector<std::string>& kinds);

// The reading half of LoadClassificationList: reads the file and shows its
// messages now, and returns the kinds the box is to hold.
std::vector<std::string> LoadClassificationKinds(const std::string& path);

// Fills `box` from the classification file at `path` (UTF-8; relative to the
// start directory). Each item's text is the decoded kind; its Qt::UserRole
// data is the kind's original code page 932 bytes as a QByteArray.
//  - No regular file at `path` (empty, a directory, nothing): the nine
//    default kinds, and the warning "分類設定ファイルが読み込めません。標準設定の
//    分類を使用します。" (caption "Message", exclamation icon).
//  - The file cannot be opened or read: the box stays empty, and the standard
//    error box says "ファイル %s は開けません" with the path.
//  - Otherwise the file's kinds in file order; an empty file gives no items.
void LoadClassificationList(QComboBox* box, const std::string& path);

// The same, with the path taken from SettingsRecord.File_Kind.
void LoadClassificationList(QComboBox* box);

// The original bytes of the kind the box shows when that text is one of its
// items unchanged: the current item's bytes when the text is still the
// current item's, else the first item of that text. Nothing when the user has
// typed a text that is not in the list (the caller encodes it).
std::optional<std::string> ListedKindBytes(const QComboBox* box);

}  // namespace mametan
