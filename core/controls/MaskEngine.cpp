#include "core/controls/MaskEngine.h"

#include <algorithm>
#include <vector>

namespace mametan {

using cp932::IsLeadByte;
using cp932::IsTrailByte;
namespace {

char g_dateSeparator = '/';
char g_timeSeparator = ':';
bool g_separatorsSet = false;

unsigned char Byte(std::string_view s, int i) { return static_cast<unsigned char>(s[i]); }

// Which bytes of `text` belong to a double-byte character, read from the start.
std::vector<bool> DoubleByteMap(std::string_view text) {
  const int n = static_cast<int>(text.size());
  std::vector<bool> db(n, false);
  for (int i = 0; i < n;) {
    if (IsLeadByte(Byte(text, i)) && i + 1 < n && IsTrailByte(Byte(text, i + 1))) {
      db[i] = db[i + 1] = true;
      i += 2;
    } else {
      ++i;
    }
  }
  return db;
}

// Kinds of every mask position, index 1 .. size; index 0 and size + 1 are None.
std::vector<MaskCharKind> ClassifyAll(std::string_view mask) {
  const int n = static_cast<int>(mask.size());
  const std::vector<bool> db = DoubleByteMap(mask);
  std::vector<MaskCharKind> kinds(n + 2, MaskCharKind::None);
  auto singleBackslash = [&](int i) { return i >= 0 && mask[i] == '\\' && !db[i]; };
  auto escaped = [&](int i) { return singleBackslash(i - 1) && !singleBackslash(i - 2); };
  auto separator = [&](int i) {
    return !db[i] && !escaped(i) && mask[i] == ';' && n >= 4 && i >= n - 4;
  };
  for (int i = 0; i < n; ++i) {
    MaskCharKind& k = kinds[i + 1];
    if (db[i] || escaped(i)) {
      k = MaskCharKind::Literal;
    } else if (separator(i)) {
      k = MaskCharKind::FieldSeparator;
    } else if (i > 0 && separator(i - 1)) {
      k = MaskCharKind::FieldValue;
    } else {
      switch (mask[i]) {
        case '!':
        case '>':
        case '<':
        case '\\':
          k = MaskCharKind::Directive;
          break;
        case '0':
        case 'L':
        case 'A':
        case 'C':
          k = MaskCharKind::Required;
          break;
        case '9':
        case '#':
        case 'l':
        case 'a':
        case 'c':
          k = MaskCharKind::Optional;
          break;
        case '/':
        case ':':
          k = MaskCharKind::LocaleLiteral;
          break;
        default:
          k = MaskCharKind::Literal;
      }
    }
  }
  return kinds;
}

bool IsEditKind(MaskCharKind k) {
  return k == MaskCharKind::Literal || k == MaskCharKind::LocaleLiteral ||
         k == MaskCharKind::Required || k == MaskCharKind::Optional;
}
bool IsLiteralKind(MaskCharKind k) {
  return k == MaskCharKind::Literal || k == MaskCharKind::LocaleLiteral;
}
bool IsInputKind(MaskCharKind k) {
  return k == MaskCharKind::Required || k == MaskCharKind::Optional;
}

bool RightAligned(std::string_view mask, const std::vector<MaskCharKind>& kinds) {
  for (int i = 0; i < static_cast<int>(mask.size()); ++i) {
    if (mask[i] == '!' && kinds[i + 1] == MaskCharKind::Directive) return true;
  }
  return false;
}

// Edit-position flags: true where the display holds a literal.
std::vector<bool> LiteralEditPositions(std::string_view mask,
                                       const std::vector<MaskCharKind>& kinds) {
  std::vector<bool> lit;
  for (int m = 1; m <= static_cast<int>(mask.size()); ++m) {
    if (IsEditKind(kinds[m])) lit.push_back(IsLiteralKind(kinds[m]));
  }
  return lit;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// Half-width katakana count as letters in a Japanese system.
bool IsLetter(unsigned char c) { return IsAsciiLetter(c) || cp932::IsSingleByteKana(c); }

}  // namespace

bool StartsDoubleByte(std::string_view text, int i) {
  const int n = static_cast<int>(text.size());
  if (i < 0 || i + 1 >= n) return false;
  for (int j = 0; j < n;) {
    const bool pair = IsLeadByte(Byte(text, j)) && j + 1 < n && IsTrailByte(Byte(text, j + 1));
    if (j == i) return pair;
    if (j > i) return false;
    j += pair ? 2 : 1;
  }
  return false;
}

MaskCharKind ClassifyMaskChar(std::string_view mask, int position) {
  if (position < 1 || position > static_cast<int>(mask.size())) return MaskCharKind::None;
  return ClassifyAll(mask)[position];
}

MaskDirectiveSet DirectivesAt(std::string_view mask, int position) {
  const auto kinds = ClassifyAll(mask);
  MaskDirectiveSet set;
  set.rightAlign = RightAligned(mask, kinds);
  const int end = std::min(position, static_cast<int>(mask.size()) + 1);
  for (int m = 1; m < end; ++m) {
    if (kinds[m] != MaskCharKind::Directive) continue;
    if (mask[m - 1] == '<') {
      set.lowerCase = true;
      set.upperCase = false;
    } else if (mask[m - 1] == '>') {
      // "<>" switches case mapping off altogether.
      const bool afterLess = m > 1 && mask[m - 2] == '<' && kinds[m - 1] == MaskCharKind::Directive;
      set.upperCase = !afterLess;
      set.lowerCase = false;
    }
  }
  return set;
}

void SetLocaleSeparators(char date, char time) {
  g_dateSeparator = date;
  g_timeSeparator = time;
  g_separatorsSet = true;
}

bool LocaleSeparatorsSet() { return g_separatorsSet; }

char LocaleLiteralChar(char c) {
  if (c == '/') return g_dateSeparator;
  if (c == ':') return g_timeSeparator;
  return c;
}

char ShownLiteralChar(std::string_view mask, int m) {
  if (m < 1 || m > static_cast<int>(mask.size())) return '\0';
  return ClassifyMaskChar(mask, m) == MaskCharKind::LocaleLiteral ? LocaleLiteralChar(mask[m - 1])
                                                                  : mask[m - 1];
}

int CountEditPositions(std::string_view mask, int n) {
  const auto kinds = ClassifyAll(mask);
  n = std::min(n, static_cast<int>(mask.size()));
  int count = 0;
  for (int m = 1; m <= n; ++m) count += IsEditKind(kinds[m]) ? 1 : 0;
  return count;
}

int EditPositionCount(std::string_view mask) {
  return CountEditPositions(mask, static_cast<int>(mask.size()));
}

int EditToMaskPosition(std::string_view mask, int e) {
  if (e < 0 || e > EditPositionCount(mask)) return -1;
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  // Only edit kinds are counted: a field separator may stand before the
  // last literals of a short mask, and must not shift them.
  int m = 1;
  for (; m <= n; ++m) {
    if (!IsEditKind(kinds[m])) continue;
    if (e-- == 0) return m;
  }
  // e was the count: the first position after the last edit position that
  // is not a directive (a field separator in "!9999/99/00;1;-").
  int last = 0;
  for (int p = 1; p <= n; ++p) {
    if (IsEditKind(kinds[p])) last = p;
  }
  for (m = last + 1; m <= n && kinds[m] == MaskCharKind::Directive; ++m) {
  }
  return m;
}

bool IsLiteralPosition(std::string_view mask, int e) {
  const int m = EditToMaskPosition(mask, e);
  return m > 0 && IsLiteralKind(ClassifyMaskChar(mask, m));
}

int NextEditPosition(std::string_view mask, int e) {
  const auto lit = LiteralEditPositions(mask, ClassifyAll(mask));
  const int count = static_cast<int>(lit.size());
  while (e >= 0 && e < count && lit[e]) ++e;
  return e;
}

int PriorEditPosition(std::string_view mask, int e) {
  const auto lit = LiteralEditPositions(mask, ClassifyAll(mask));
  const int count = static_cast<int>(lit.size());
  if (e >= count) return e;
  while (e >= 0 && lit[e]) --e;
  // Nothing editable before: rest on the first editable position rather
  // than on a leading literal.
  return e < 0 ? NextEditPosition(mask, 0) : e;
}

bool MaskSavesLiterals(std::string_view mask) {
  const int n = static_cast<int>(mask.size());
  if (n < 4) return true;
  const auto kinds = ClassifyAll(mask);
  for (int m = n - 3; m <= n; ++m) {
    if (kinds[m] != MaskCharKind::FieldSeparator) continue;
    if (m == n) return true;
    return mask[m] != '0';
  }
  return true;
}

char MaskBlankChar(std::string_view mask) {
  const int n = static_cast<int>(mask.size());
  if (n < 4) return '_';
  const auto kinds = ClassifyAll(mask);
  if (kinds[n - 1] != MaskCharKind::FieldSeparator) return '_';
  if (kinds[n - 2] != MaskCharKind::FieldSeparator && kinds[n - 3] != MaskCharKind::FieldSeparator)
    return '_';
  const unsigned char b = Byte(mask, n - 1);
  if (b == 0 || IsLeadByte(b)) return '_';
  return mask[n - 1];
}

std::string FormatForDisplay(std::string_view mask, std::string_view raw, char blank) {
  if (mask.empty()) return std::string(raw);
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  std::string result(raw);
  if (!RightAligned(mask, kinds)) {
    std::size_t j = 1;
    for (int m = 1; m <= n; ++m) {
      if (IsLiteralKind(kinds[m])) {
        result.insert(j - 1, 1, ShownLiteralChar(mask, m));
        ++j;
      } else if (IsInputKind(kinds[m])) {
        if (result.size() < j) result.push_back(blank);
        ++j;
      }
    }
  } else {
    std::size_t j = result.size();
    for (int m = n; m >= 1; --m) {
      if (IsLiteralKind(kinds[m])) {
        result.insert(j, 1, ShownLiteralChar(mask, m));
      } else if (IsInputKind(kinds[m])) {
        if (j > 0) {
          --j;
        } else {
          result.insert(result.begin(), blank);
        }
      }
    }
  }
  return NormalizeDisplay(mask, std::move(result), blank);
}

std::string StripForText(std::string_view mask, std::string_view display, char blank) {
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  std::string text(display);
  std::size_t i = 0;
  for (int m = 1; m <= n; ++m) {
    if (IsLiteralKind(kinds[m])) {
      if (i < text.size()) text.erase(i, 1);
    } else if (IsInputKind(kinds[m])) {
      ++i;
    }
  }
  if (RightAligned(mask, kinds)) {
    const std::size_t first = text.find_first_not_of(blank);
    text.erase(0, first == std::string::npos ? text.size() : first);
  } else {
    const std::size_t last = text.find_last_not_of(blank);
    text.erase(last == std::string::npos ? 0 : last + 1);
  }
  if (blank != ' ') std::replace(text.begin(), text.end(), blank, ' ');
  return text;
}

std::string FitSubField(std::string_view mask, std::string_view value, int start, int stop,
                        int length, char blank) {
  const int size = static_cast<int>(value.size());
  start = std::clamp(start, 1, size + 1);
  stop = std::clamp(stop, start, size + 1);
  length = std::max(length, 0);
  const int have = stop - start;
  const bool right = DirectivesAt(mask, 1).rightAlign;
  std::string result(value);
  if (have < length) {
    result.insert(static_cast<std::size_t>(right ? start - 1 : stop - 1),
                  static_cast<std::size_t>(length - have), blank);
  } else if (have > length) {
    // Right-aligned subfields keep their last characters, others their first.
    const int cutFrom = right ? start - 1 : start - 1 + length;
    result.erase(static_cast<std::size_t>(cutFrom), static_cast<std::size_t>(have - length));
  }
  return result;
}

std::string AlignToLiterals(std::string_view mask, std::string_view value, char blank) {
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  std::string result(value);
  int placed = 0;  // J: edit positions already placed
  int count = 0;   // edit positions up to the current mask position
  for (int m = 1; m <= n; ++m) {
    if (IsEditKind(kinds[m])) ++count;
    if (!IsLiteralKind(kinds[m])) continue;
    const int k = count;
    const char c = ShownLiteralChar(mask, m);
    const std::size_t found = result.find(c, static_cast<std::size_t>(placed));
    int stop;
    if (found != std::string::npos) {
      stop = static_cast<int>(found) + 1;
    } else {
      stop = static_cast<int>(result.size()) + 1;
      result.push_back(c);
    }
    result = FitSubField(mask, result, placed + 1, stop, k - placed - 1, blank);
    placed = k;
  }
  const int total = count;
  if (static_cast<int>(result.size()) != total) {
    result = FitSubField(mask, result, placed + 1, static_cast<int>(result.size()) + 1,
                         total - placed, blank);
  }
  const auto lit = LiteralEditPositions(mask, kinds);
  for (int e = 0; e < static_cast<int>(result.size()); ++e) {
    const bool literal = e < static_cast<int>(lit.size()) && lit[e];
    if (result[e] == ' ' && !literal) result[e] = blank;
  }
  return NormalizeDisplay(mask, std::move(result), blank);
}

std::string BlankRange(std::string_view mask, std::string_view display, int e, int n, char blank) {
  const auto lit = LiteralEditPositions(mask, ClassifyAll(mask));
  std::string result(display);
  const int end = std::min(e + n, static_cast<int>(result.size()));
  for (int p = std::max(e, 0); p < end; ++p) {
    if (p >= static_cast<int>(lit.size()) || !lit[p]) result[p] = blank;
  }
  return result;
}

int MergePasted(std::string_view mask, std::string& display, std::string_view pasted, int e,
                char blank) {
  if (pasted.empty()) return e;
  int m = EditToMaskPosition(mask, e);
  if (m < 0) return e;
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  const int count = EditPositionCount(mask);
  std::string work(pasted);
  int i = 1;  // 1-based index into work
  while (m <= n) {
    if (IsEditKind(kinds[m])) {
      const bool wasDouble = StartsDoubleByte(work, i - 1);
      std::string ch = work.substr(i - 1, wasDouble ? 2 : 1);
      if (!CharFitsPosition(mask, m, ch)) {
        ch = std::string(1, blank);
        if (wasDouble) work[i] = blank;  // the second byte becomes a blank of its own
      }
      if (IsLiteralKind(kinds[m]) && (wasDouble || work[i - 1] != ch[0])) {
        work.insert(static_cast<std::size_t>(i - 1), 1, ch[0]);
      } else {
        work.replace(static_cast<std::size_t>(i - 1), ch.size(), ch);
        if (ch.size() == 2) {
          ++i;
          ++m;
        }
      }
      ++i;
    }
    if (e + i > count) break;
    ++m;
    if (i > static_cast<int>(work.size())) break;
  }
  const int len = static_cast<int>(work.size());
  std::string old = display;
  // The second byte of a double-byte character whose first byte was pasted
  // over would otherwise stand alone as some other character.
  if (e + len < static_cast<int>(old.size()) && StartsDoubleByte(old, e + len - 1) &&
      !IsLiteralPosition(mask, e + len)) {
    old[e + len] = blank;
  }
  std::string merged =
      old.substr(0, static_cast<std::size_t>(std::min<int>(e, static_cast<int>(old.size()))));
  if (e + len < count) {
    merged += work;
    if (e + len < static_cast<int>(old.size())) merged += old.substr(e + len);
  } else {
    merged += work.substr(0, static_cast<std::size_t>(count - e));
  }
  // Cutting and joining may split a double-byte character; the normal form
  // blanks a stray first byte, and the length comes back to the count.
  display = NormalizeDisplay(mask, std::move(merged), blank);
  return e + i - 1;
}

bool CheckRequired(std::string_view mask, std::string_view display, char blank, int& p) {
  if (display.empty()) return true;
  const auto kinds = ClassifyAll(mask);
  const int n = static_cast<int>(mask.size());
  int i = 1;
  for (int m = 1; m <= n; ++m) {
    if (IsLiteralKind(kinds[m]) || kinds[m] == MaskCharKind::Optional) {
      ++i;
    } else if (kinds[m] == MaskCharKind::Required) {
      const bool missing = i > static_cast<int>(display.size());
      const char c = missing ? blank : display[i - 1];
      if (c == blank || (c == ' ' && mask[m - 1] != 'C')) {
        p = i - 1;
        return false;
      }
      ++i;
    }
  }
  return true;
}

bool CharFitsPosition(std::string_view mask, int m, std::string& ch) {
  if (ch.empty() || ch.size() > 2) return false;
  const auto kind = ClassifyMaskChar(mask, m);
  if (kind == MaskCharKind::Literal || kind == MaskCharKind::LocaleLiteral) {
    ch = std::string(1, ShownLiteralChar(mask, m));
    return true;
  }
  if (kind == MaskCharKind::FieldSeparator || kind == MaskCharKind::FieldValue) return true;
  if (kind != MaskCharKind::Required && kind != MaskCharKind::Optional) return false;
  const char mc = mask[m - 1];
  if (ch.size() == 2) {
    // A double-byte character takes this position and the next, which must
    // be an input position too.
    const bool wide = mc == 'L' || mc == 'l' || mc == 'A' || mc == 'a' || mc == 'C' || mc == 'c';
    const auto next = ClassifyMaskChar(mask, m + 1);
    return wide && IsLeadByte(static_cast<unsigned char>(ch[0])) &&
           IsTrailByte(static_cast<unsigned char>(ch[1])) &&
           (next == MaskCharKind::Required || next == MaskCharKind::Optional);
  }
  const unsigned char c = static_cast<unsigned char>(ch[0]);
  if (c < 0x20 || c == 0x7F) return false;  // control characters never enter the text
  bool fits = false;
  switch (mc) {
    case '0':
    case '9':
      fits = IsDigit(c);
      break;
    case '#':
      fits = IsDigit(c) || c == ' ' || c == '+' || c == '-';
      break;
    case 'L':
    case 'l':
      fits = IsLetter(c);
      break;
    case 'A':
    case 'a':
      fits = IsLetter(c) || IsDigit(c);
      break;
    default:  // "C", "c"
      fits = !IsLeadByte(c);
  }
  if (!fits) return false;
  if (IsAsciiLetter(c)) {
    const auto dirs = DirectivesAt(mask, m);
    if (dirs.upperCase && c >= 'a' && c <= 'z') ch[0] = static_cast<char>(c - 'a' + 'A');
    if (dirs.lowerCase && c >= 'A' && c <= 'Z') ch[0] = static_cast<char>(c - 'A' + 'a');
  }
  return true;
}

int JumpToLiteral(std::string_view mask, int m, char c) {
  const auto kinds = ClassifyAll(mask);
  for (int l = std::max(m + 1, 1); l <= static_cast<int>(mask.size()); ++l) {
    if (IsLiteralKind(kinds[l])) return ShownLiteralChar(mask, l) == c ? l : -1;
  }
  return -1;
}

std::string NormalizeDisplay(std::string_view mask, std::string display, char blank) {
  if (mask.empty()) return display;
  const auto kinds = ClassifyAll(mask);
  const auto lit = LiteralEditPositions(mask, kinds);
  const int count = static_cast<int>(lit.size());
  auto blankUnlessLiteral = [&](int e) {
    if (e >= 0 && e < count && !lit[e]) display[e] = blank;
  };
  const int size = static_cast<int>(display.size());
  if (size > count) {
    // Cutting must not leave half of a double-byte character behind.
    if (RightAligned(mask, kinds)) {
      const int cut = size - count;
      const bool split = StartsDoubleByte(display, cut - 1);
      display.erase(0, static_cast<std::size_t>(cut));
      if (split) blankUnlessLiteral(0);
    } else {
      const bool split = StartsDoubleByte(display, count - 1);
      display.resize(static_cast<std::size_t>(count));
      if (split) blankUnlessLiteral(count - 1);
    }
  } else if (size > 0 && size < count && IsLeadByte(static_cast<unsigned char>(display.back())) &&
             !StartsDoubleByte(display, size - 2)) {
    blankUnlessLiteral(size - 1);  // a first byte at the end, its second byte missing
  }
  // Missing positions at the end show their literal or the blank.
  for (int m = 1, e = 0; m <= static_cast<int>(mask.size()); ++m) {
    if (!IsEditKind(kinds[m])) continue;
    if (e >= static_cast<int>(display.size())) {
      display.push_back(IsLiteralKind(kinds[m]) ? ShownLiteralChar(mask, m) : blank);
    }
    ++e;
  }
  // A double-byte character must sit on two input positions (or be one of
  // the mask's own literals); a first byte left alone becomes a blank.
  for (int i = 0; i < count;) {
    const unsigned char b = static_cast<unsigned char>(display[i]);
    if (!IsLeadByte(b)) {
      ++i;
      continue;
    }
    const bool pair = i + 1 < count && IsTrailByte(static_cast<unsigned char>(display[i + 1]));
    if (pair && lit[i] == lit[i + 1]) {
      i += 2;
      continue;
    }
    if (!lit[i]) display[i] = blank;
    ++i;
  }
  return display;
}

}  // namespace mametan
