#pragma once
// The edit-mask language and its conversions, as pure functions on code page
// 932 byte strings. Its rules are byte rules: every edit position of a masked
// field holds one byte of the display text, and a double-byte character takes
// two of them.
//
// Mask positions count from 1 (the first byte of the mask is position 1);
// edit positions (offsets into the display text) count from 0.
//
// A mask is "picture;s;b": the picture, then in its last four characters up to
// two field separators ";" that split off the save-literals field s ("0" leaves
// literals out of Text) and the blank character b (default "_").
#include <string>
#include <string_view>

#include "core/platform/Cp932.h"

namespace mametan {

enum class MaskCharKind {
  None,            // beyond the mask
  Literal,         // shown as itself
  LocaleLiteral,   // "/" and ":", shown as the locale's date and time separators
  Directive,       // "!", ">", "<", "\": occupy no edit position
  Required,        // "0", "L", "A", "C"
  Optional,        // "9", "#", "l", "a", "c"
  FieldSeparator,  // ";" among the last four characters
  FieldValue,      // the character after such a separator
};

struct MaskDirectiveSet {
  bool rightAlign = false;
  bool upperCase = false;
  bool lowerCase = false;
};

// True when text[i] is the first byte of a double-byte character, judged by
// reading text from its start.
bool StartsDoubleByte(std::string_view text, int i);

MaskCharKind ClassifyMaskChar(std::string_view mask, int position);
MaskDirectiveSet DirectivesAt(std::string_view mask, int position);

// The separators that "/" and ":" stand for. The GUI sets them from the
// user's locale; until then they are "/" and ":".
void SetLocaleSeparators(char date, char time);
bool LocaleSeparatorsSet();
char LocaleLiteralChar(char c);

// The character a literal or locale literal at mask position m shows.
char ShownLiteralChar(std::string_view mask, int m);

int CountEditPositions(std::string_view mask, int n);
int EditPositionCount(std::string_view mask);
// Mask position of edit position e, -1 when e is negative or beyond the count;
// for e equal to the count, the position after the last edit position.
int EditToMaskPosition(std::string_view mask, int e);
bool IsLiteralPosition(std::string_view mask, int e);
int NextEditPosition(std::string_view mask, int e);
// A result below 0 becomes the first edit position that is not a literal.
int PriorEditPosition(std::string_view mask, int e);

bool MaskSavesLiterals(std::string_view mask);
// The blank shown in unfilled positions. A lead byte or NUL there could not
// stand alone in the display, so "_" takes its place.
char MaskBlankChar(std::string_view mask);

// Raw characters (no literals) to a display text of exactly the edit
// position count, filled from the left, or from the right under "!".
std::string FormatForDisplay(std::string_view mask, std::string_view raw, char blank);
// Display text to raw characters: literals removed, trailing (leading under
// "!") blanks removed, remaining blanks turned into spaces.
std::string StripForText(std::string_view mask, std::string_view display, char blank);
// A text that carries its literals to a display text: each subfield between
// literals is padded with blanks or cut to its length.
std::string AlignToLiterals(std::string_view mask, std::string_view value, char blank);
// Pads or cuts value[start .. stop-1] (1-based) to `length` characters.
std::string FitSubField(std::string_view mask, std::string_view value, int start, int stop,
                        int length, char blank);

// The display text with edit positions e .. e+n-1 blanked, literals kept.
std::string BlankRange(std::string_view mask, std::string_view display, int e, int n, char blank);
// Lays `pasted` over the display from edit position e, inserting literals
// the pasted text lacks and blanking characters that do not fit. Returns the
// edit position after the last one written.
int MergePasted(std::string_view mask, std::string& display, std::string_view pasted, int e,
                char blank);

// False, with p the first offending edit position, when a required position
// holds the blank (or a space, except under "C").
bool CheckRequired(std::string_view mask, std::string_view display, char blank, int& p);

// Whether the character `ch` (one byte, or the two bytes of a double-byte
// character) may stand at mask position m; on success ch becomes what is
// stored there (case mapped, or the literal's own character).
bool CharFitsPosition(std::string_view mask, int m, std::string& ch);
// The position of the first literal after mask position m when it shows c,
// else -1.
int JumpToLiteral(std::string_view mask, int m, char c);

// Brings a display text to the form every operation relies on: exactly the
// edit position count of bytes, and no double-byte character split across
// a literal or the end.
std::string NormalizeDisplay(std::string_view mask, std::string display, char blank);

}  // namespace mametan
