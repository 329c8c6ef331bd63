#include "core/controls/MaskEditEngine.h"

#include <algorithm>

#include "core/controls/EDBEditError.h"
#include "core/controls/MaskEngine.h"

namespace mametan {

void MaskEditEngine::SetEditMask(const std::string& mask) {
  if (mask == m_mask) return;
  int s = 0, t = 0;
  Selection(s, t);
  const std::string raw = mametan::StripForText(m_mask, Display(), m_blank);
  m_mask = mask;
  m_count = EditPositionCount(m_mask);
  m_saveLiterals = MaskSavesLiterals(m_mask);
  m_blank = MaskBlankChar(m_mask);
  m_masked = !m_mask.empty();
  // No limit while the new display text goes in, then the edit position count.
  m_field.FieldSetMaxLength(0);
  SetDisplay(FormatForDisplay(m_mask, raw, m_blank));
  m_maxLength = m_masked && m_count > 0 ? m_count : 0;
  m_field.FieldSetMaxLength(m_maxLength);
  if (m_masked && m_field.FieldHasFocus()) PlaceCursor(s);
}

std::string MaskEditEngine::Text() const {
  if (!m_masked) return Display();
  const std::string raw = StripForText(Display());
  return m_saveLiterals ? FormatForDisplay(m_mask, raw, ' ') : raw;
}

void MaskEditEngine::SetText(const std::string& value) {
  if (!m_masked) {
    SetDisplay(value);
    return;
  }
  SetDisplay(m_saveLiterals ? AlignToLiterals(m_mask, value, m_blank)
                            : FormatForDisplay(m_mask, value, m_blank));
}

void MaskEditEngine::SetMaxLength(int length) {
  m_maxLength = m_masked ? m_count : std::max(length, 0);
  m_field.FieldSetMaxLength(m_maxLength);
}

void MaskEditEngine::SetDisplay(const std::string& display) {
  const std::string d = m_masked ? NormalizeDisplay(m_mask, display, m_blank) : display;
  if (d != Display()) m_field.FieldSetText(d);
  // Every whole-text replacement clears the modified flag and renews the
  // value Esc goes back to, even when the text happens to stay the same.
  m_field.FieldSetModified(false);
  m_revert = d;
  if (!m_masked) return;
  int s = 0, t = 0;
  Selection(s, t);
  if (IsLiteralPosition(m_mask, s)) PlaceCursor(NextEditPosition(s));
  SettleCursor();
}

std::string MaskEditEngine::StripForText(std::string_view display) const {
  return mametan::StripForText(m_mask, display, m_blank);
}

void MaskEditEngine::PlaceCursor(int p) {
  const std::string d = Display();
  const int size = static_cast<int>(d.size());
  if (p > 0 && p <= size && StartsDoubleByte(d, p - 1)) --p;
  p = std::max(p, 0);
  int end = p + 1;
  if (p + 1 < size && StartsDoubleByte(d, p)) end = p + 2;
  if (p >= m_count) p = end = m_count;
  m_field.FieldSetSelection(end, p);
  m_caret = p;
}

void MaskEditEngine::SettleCursor() {
  if (!m_masked) return;
  int s = 0, t = 0;
  Selection(s, t);
  if (s == t) PlaceCursor(s);
}

int MaskEditEngine::NextEditPosition(int e) const { return mametan::NextEditPosition(m_mask, e); }

int MaskEditEngine::PriorEditPosition(int e) const { return mametan::PriorEditPosition(m_mask, e); }

void MaskEditEngine::StepRight(int from, int n) {
  const int e = NextEditPosition(from + n);
  PlaceCursor(IsLiteralPosition(m_mask, e) ? from : e);
}

void MaskEditEngine::StepLeft(int from) { PlaceCursor(PriorEditPosition(from - 1)); }

bool MaskEditEngine::KeyDown(MaskKey key, MaskShift shift) {
  if (!m_masked || shift.alt) return true;
  switch (key) {
    case MaskKey::Left:
    case MaskKey::Right:
      HandleArrowKey(key, shift);
      return shift.shift || shift.ctrl;
    case MaskKey::Up:
    case MaskKey::Down:
      return false;
    case MaskKey::Home:
    case MaskKey::End:
      HandleHomeEndKey(key, shift);
      return false;
    case MaskKey::Delete:
      if (shift.shift) break;  // Shift+Delete is the edit field's cut
      if (AllowsEditing()) HandleDeleteKey(key);
      return false;
    case MaskKey::Backspace:
      if (AllowsEditing()) HandleDeleteKey(key);
      return false;
    case MaskKey::Other:
      break;
  }
  SettleCursor();
  return true;
}

void MaskEditEngine::KeyUp(MaskKey key, MaskShift shift) {
  if (m_masked && (key == MaskKey::Left || key == MaskKey::Right) && shift.ctrl) SettleCursor();
}

void MaskEditEngine::HandleArrowKey(MaskKey key, MaskShift shift) {
  int s = 0, t = 0;
  Selection(s, t);
  m_caret = m_field.FieldCaret();
  if (shift.ctrl) return;  // the edit field moves by words
  if (shift.shift) {
    if (key == MaskKey::Right) {
      ++m_caret;
      if (t == s + 1) {
        // Turn the cursor selection round so that the edit field extends it.
        m_field.FieldSetSelection(s, t);
        ++m_caret;
      }
      m_caret = std::min(m_caret, m_count);
    } else {
      --m_caret;
      if (t == s + 2 && m_caret > s) {
        m_field.FieldSetSelection(s + 1, s + 1);
        --m_caret;
      }
      m_caret = std::max(m_caret, 0);
    }
    return;
  }
  const std::string d = Display();
  const bool doubleAtS = StartsDoubleByte(d, s);
  if (t - s < 2) {
    if (key == MaskKey::Left) {
      StepLeft(s);
    } else if (s == t) {
      PlaceCursor(s);
    } else {
      StepRight(s, doubleAtS ? 2 : 1);
    }
  } else if (t - s == 2 && doubleAtS) {
    if (key == MaskKey::Left) {
      StepLeft(s);
    } else {
      StepRight(s, 2);
    }
  } else {
    if (t == m_caret) --m_caret;
    PlaceCursor(m_caret);
  }
}

void MaskEditEngine::HandleHomeEndKey(MaskKey key, MaskShift shift) {
  int s = 0, t = 0;
  Selection(s, t);
  m_caret = m_field.FieldCaret();
  if (key == MaskKey::Home) {
    if (shift.shift) {
      if (s != m_caret && t != s + 1) t = s + 1;
      m_field.FieldSetSelection(t, 0);
      SettleCursor();
    } else {
      PlaceCursor(0);
    }
    m_caret = 0;
  } else {
    if (shift.shift) {
      if (t != m_caret && t != s + 1) s = std::max(t - 1, 0);
      m_field.FieldSetSelection(s, m_count);
      SettleCursor();
    } else {
      PlaceCursor(m_count);
    }
    m_caret = m_count;
  }
}

void MaskEditEngine::HandleDeleteKey(MaskKey key) {
  if (m_field.FieldReadOnly()) return;
  int s = 0, t = 0;
  Selection(s, t);
  if (key == MaskKey::Backspace && t - s <= 1) {
    StepLeft(s);
    int s2 = 0, t2 = 0;
    Selection(s2, t2);
    if (s2 == s) return;  // nothing before it
    s = s2;
    t = t2;
  }
  const std::string d = Display();
  t = std::min(t, static_cast<int>(d.size()));
  if (s >= t) return;
  ReplaceSpan(s, BlankRange(m_mask, d, s, t - s, m_blank).substr(s, t - s));
  // A single character keeps the cursor; a longer range sends it to its start.
  PlaceCursor(t - s == 1 ? s : NextEditPosition(s));
}

void MaskEditEngine::TypeChar(const std::string& ch) {
  if (ch.empty()) return;
  const bool single = ch.size() == 1;
  if (single && ch[0] == 27) {
    Revert();
    return;
  }
  if (!AllowsEditing() || m_field.FieldReadOnly()) return;
  if (single && ch[0] == 8) return;  // handled at key-down
  if (single && ch[0] == 13) {
    CheckOnLeave();
    return;
  }
  int s = 0, t = 0;
  Selection(s, t);
  if (t - s > 1) {
    HandleDeleteKey(MaskKey::Delete);
    s = NextEditPosition(s);
    PlaceCursor(s);
    Selection(s, t);
  }
  std::string accepted = ch;
  if (!AcceptChar(accepted, s)) return;
  if (s >= static_cast<int>(Display().size())) {
    // Past the last position: the length limit keeps it out of the text.
    StepRight(s, 0);
    return;
  }
  ReplaceSpan(s, accepted);
  StepRight(s + static_cast<int>(accepted.size()), 0);
}

bool MaskEditEngine::AcceptChar(std::string& ch, int e) {
  const int m = EditToMaskPosition(m_mask, e);
  if (m < 0) return false;
  if (CharFitsPosition(m_mask, m, ch)) return true;
  const MaskCharKind kind = ClassifyMaskChar(m_mask, m);
  if ((kind == MaskCharKind::Required || kind == MaskCharKind::Optional) && ch.size() == 1) {
    // A separator typed early moves on past the next literal, without a beep.
    const int l = JumpToLiteral(m_mask, m, ch[0]);
    if (l > 0) {
      PlaceCursor(CountEditPositions(m_mask, l));
      return false;
    }
  }
  m_field.FieldBeep();
  return false;
}

bool MaskEditEngine::KeyPress(const std::string& ch) {
  if (!m_masked) return true;
  if (ch.empty() || (ch.size() == 1 && ch[0] == 0)) return false;
  if (ch.size() == 1 && (ch[0] == 3 || ch[0] == 22 || ch[0] == 24)) return true;
  TypeChar(ch);
  return false;
}

std::string MaskEditEngine::Cut() {
  int s = 0, t = 0;
  Selection(s, t);
  const std::string d = Display();
  t = std::min(t, static_cast<int>(d.size()));
  std::string copied = s < t ? d.substr(s, t - s) : std::string();
  if (m_masked) HandleDeleteKey(MaskKey::Delete);
  return copied;
}

void MaskEditEngine::Paste(const std::string& clipboard) {
  if (!m_masked || m_field.FieldReadOnly()) return;
  int s = 0, t = 0;
  Selection(s, t);
  SetDisplay(BlankRange(m_mask, Display(), s, t - s, m_blank));
  std::string d = Display();
  const int cursor = MergePasted(m_mask, d, clipboard, s, m_blank);
  SetDisplay(d);
  PlaceCursor(cursor);
}

bool MaskEditEngine::BeginFocusEntry() {
  if (!m_masked) return true;
  if (m_reentry) return false;
  m_revert = Display();
  return true;
}

void MaskEditEngine::EndFocusEntry() {
  m_reentry = false;
  SettleCursor();
}

void MaskEditEngine::FocusExit() {
  if (!m_masked) return;
  CheckOnLeave();
  SettleCursor();
}

void MaskEditEngine::MouseRelease(bool releasedRightOfPress) {
  if (!m_masked) return;
  int s = 0, t = 0;
  Selection(s, t);
  m_caret = (s != t && releasedRightOfPress) ? t : s;
  SettleCursor();
}

bool MaskEditEngine::WantsEscape() const { return m_masked && m_field.FieldModified(); }

bool MaskEditEngine::CheckRequired(std::string_view display, int& p) const {
  return mametan::CheckRequired(m_mask, display, m_blank, p);
}

int MaskEditEngine::FirstUnfilledPosition() const {
  if (!m_masked) return -1;
  int p = -1;
  return CheckRequired(Display(), p) ? -1 : p;
}

void MaskEditEngine::CheckOnLeave() {
  if (!m_masked || !m_field.FieldModified()) return;
  const int p = FirstUnfilledPosition();
  if (p >= 0) FailAt(p);
}

void MaskEditEngine::CheckComplete() {
  const int p = FirstUnfilledPosition();
  if (p >= 0) FailAt(p);
}

void MaskEditEngine::FailAt(int p) {
  // Only a field that is losing the focus gets it back as a re-entry; one
  // that still has it (Enter) would otherwise skip its next real entry.
  if (!m_field.FieldHasFocus()) {
    m_reentry = true;
    m_field.FieldTakeFocus();
  }
  PlaceCursor(p);
  RaiseInvalidInput();
}

void MaskEditEngine::RaiseInvalidInput() {
  m_field.FieldBeep();
  throw EDBEditError();
}

void MaskEditEngine::Revert() {
  if (m_masked && m_field.FieldModified()) SetDisplay(m_revert);
}

void MaskEditEngine::ReplaceSpan(int s, std::string bytes) {
  const std::string d = Display();
  const int size = static_cast<int>(d.size());
  if (s < 0 || s >= size || bytes.empty()) return;
  int t = s + static_cast<int>(bytes.size());
  if (t > size) {
    bytes.resize(static_cast<std::size_t>(size - s));
    t = size;
  }
  // Never leave half of a double-byte character behind: the other half
  // becomes a blank (or keeps the mask's own literal byte).
  auto filler = [&](int e) { return IsLiteralPosition(m_mask, e) ? d[e] : m_blank; };
  if (s > 0 && StartsDoubleByte(d, s - 1)) {
    bytes.insert(bytes.begin(), filler(s - 1));
    --s;
  }
  if (t < size && StartsDoubleByte(d, t - 1)) {
    bytes.push_back(filler(t));
    ++t;
  }
  m_field.FieldSetSelection(s, t);
  m_field.FieldReplaceSelection(bytes);
}

}  // namespace mametan
