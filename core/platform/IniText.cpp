#include "core/platform/IniText.h"

#include <algorithm>

namespace mametan {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file: its text is [begin, end), its line break [end, next).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  bool header = false;
  std::string_view section;  // the header's name, or the section the line is in
  std::string_view key;      // empty when the line holds no value
  std::size_t value = 0;     // where the value starts
};

std::vector<Line> Parse(const std::string& bytes) {
  std::vector<Line> lines;
  const std::string_view all(bytes);
  std::string_view section;
  // A byte-order mark is no part of the first line's text.
  std::size_t i = all.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (i < all.size()) {
    Line line;
    line.begin = i;
    line.end = std::min(all.find_first_of("\r\n", i), all.size());
    line.next = line.end;
    if (line.next < all.size()) {
      line.next += all.compare(line.end, 2, "\r\n") == 0 ? 2 : 1;
    }
    const std::string_view text = all.substr(line.begin, line.end - line.begin);
    const std::string_view trimmed = Trim(text);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      line.header = true;
      section = Trim(trimmed.substr(1, trimmed.size() - 2));
    } else if (const std::size_t eq = text.find('='); eq != std::string_view::npos) {
      line.key = Trim(text.substr(0, eq));
      line.value = line.begin + eq + 1;
      while (line.value < line.end && IsBlank(all[line.value])) ++line.value;
    }
    line.section = section;
    lines.push_back(line);
    i = line.next;
  }
  return lines;
}

// The line end the file uses: CR LF or LF when it has them, else a lone CR,
// LF for a file without any.
std::string_view LineEnd(const std::string& bytes) {
  if (bytes.find("\r\n") != std::string::npos) return "\r\n";
  if (bytes.find('\n') != std::string::npos) return "\n";
  if (bytes.find('\r') != std::string::npos) return "\r";
  return "\n";
}

}  // namespace

std::vector<std::string> IniText::Sections() const {
  std::vector<std::string> names;
  for (const Line& line : Parse(m_bytes)) {
    if (line.header && std::find(names.begin(), names.end(), line.section) == names.end()) {
      names.emplace_back(line.section);
    }
  }
  return names;
}

bool IniText::HasSection(std::string_view section) const {
  const auto lines = Parse(m_bytes);
  return std::any_of(lines.begin(), lines.end(),
                     [&](const Line& l) { return l.header && l.section == section; });
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  for (const Line& line : Parse(m_bytes)) {
    if (!line.header && line.section == section && !line.key.empty() && line.key == key) {
      return m_bytes.substr(line.value, line.end - line.value);
    }
  }
  return std::nullopt;
}

void IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  // A line break cannot be part of a value: the text up to it is stored.
  value = value.substr(0, value.find_first_of("\r\n"));
  const auto lines = Parse(m_bytes);
  const Line* anchor = nullptr;  // the line after which a new line goes
  for (const Line& line : lines) {
    if (line.section != section) {
      if (anchor) break;  // the end of the section's first block
      continue;
    }
    if (line.header) {
      anchor = &line;
    } else if (!line.key.empty() && anchor) {
      if (line.key == key) {
        m_bytes.replace(line.value, line.end - line.value, value);
        return;
      }
      anchor = &line;
    }
  }
  std::string add;
  if (!anchor) add.append("[").append(section).append("]").append(LineEnd(m_bytes));
  add.append(key).append("=").append(value);
  Insert(anchor ? anchor->next : m_bytes.size(), add);
}

void IniText::AddSection(std::string_view section) {
  if (!HasSection(section)) Insert(m_bytes.size(), "[" + std::string(section) + "]");
}

void IniText::Insert(std::size_t at, std::string text) {
  // The new line takes a line end unless it becomes the last line of a file
  // that ends without one.
  const std::string_view eol = LineEnd(m_bytes);
  const std::size_t bom = m_bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  if (at <= bom || m_bytes[at - 1] == '\n' || m_bytes[at - 1] == '\r') {
    text.append(eol);
  } else {
    text.insert(0, eol);
  }
  m_bytes.insert(at, text);
}

void IniText::RemoveSection(std::string_view section) {
  const auto lines = Parse(m_bytes);
  // From the back, so that earlier offsets stay valid.
  std::size_t blockEnd = m_bytes.size();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (!it->header) continue;
    if (it->section == section) m_bytes.erase(it->begin, blockEnd - it->begin);
    blockEnd = it->begin;
  }
}

}  // namespace mametan
