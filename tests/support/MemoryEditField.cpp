#include "tests/support/MemoryEditField.h"

#include <algorithm>

namespace mametan {

void MemoryEditField::FieldSelection(int& start, int& end) const {
  start = std::min(anchor, caret);
  end = std::max(anchor, caret);
}

void MemoryEditField::FieldSetSelection(int anchorPos, int caretPos) {
  const int size = static_cast<int>(text.size());
  anchor = std::clamp(anchorPos, 0, size);
  caret = std::clamp(caretPos, 0, size);
}

void MemoryEditField::FieldReplaceSelection(const std::string& bytes) {
  int s = 0, t = 0;
  FieldSelection(s, t);
  std::string insert = bytes;
  const int rest = static_cast<int>(text.size()) - (t - s);
  if (maxLength > 0 && rest + static_cast<int>(insert.size()) > maxLength) {
    insert.resize(static_cast<std::size_t>(std::max(maxLength - rest, 0)));
  }
  text.replace(static_cast<std::size_t>(s), static_cast<std::size_t>(t - s), insert);
  anchor = caret = s + static_cast<int>(insert.size());
  modified = true;
}

void MemoryEditField::FieldSetText(const std::string& bytes) {
  text = bytes;
  anchor = caret = 0;
  modified = false;
}

void MemoryEditField::MoveCaret(int delta, bool extend, bool byWord) {
  const int size = static_cast<int>(text.size());
  int c = caret;
  if (byWord) {
    if (delta > 0) {
      while (c < size && text[c] != ' ') ++c;
      while (c < size && text[c] == ' ') ++c;
    } else {
      while (c > 0 && text[c - 1] == ' ') --c;
      while (c > 0 && text[c - 1] != ' ') --c;
    }
  } else {
    c = std::clamp(c + delta, 0, size);
  }
  caret = c;
  if (!extend) anchor = c;
}

}  // namespace mametan
