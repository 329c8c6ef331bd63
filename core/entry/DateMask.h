#pragma once
// The input window's date field: year, month and day with the slashes
// stored in the text, blanks shown as "-", and its ten characters.
namespace mametan {

inline constexpr const char* kDateEditMask = "!9999/99/00;1;-";
inline constexpr int kDateMaxLength = 10;

}  // namespace mametan
