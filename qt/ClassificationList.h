#pragma once
// The kind box's item list: filled from the classification file once, when
// the input window is created.
#include <optional>
#include <string>
#include <vector>

class QComboBox;

namespace mametan {

// Empties `box` and fills it with `kinds` (code page 932 bytes): each item's
// text is the decoded kind, its Qt::UserRole data the original bytes.
void FillKinds(QComboBox* box, const std::vector<std::string>& kinds);

// The original bytes of the kind the box shows when that text is one of its
// items unchanged: the current item's bytes when the text is still the
// current item's, else the first item of that text. Nothing when the user has
// typed a text that is not in the list (the caller encodes it).
std::optional<std::string> ListedKindBytes(const QComboBox* box);

}  // namespace mametan
