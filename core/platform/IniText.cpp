#include "core/platform/IniText.h"

#include <cstring>
#include <unordered_set>

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

// Calls `visit` with each line in order until it returns false. One pass over
// the bytes and nothing kept: every question about the file costs time in
// proportion to its size, also with hundreds of thousands of sections.
template <typename Visit>
void ForEachLine(const std::string& bytes, Visit&& visit, std::size_t from = 0) {
  const std::string_view all(bytes);
  const char* const data = all.data();
  const std::size_t size = all.size();
  std::string_view section;
  // A byte-order mark is no part of the first line's text.
  std::size_t i = from == 0 && all.starts_with("\xEF\xBB\xBF") ? 3 : from;
  while (i < size) {
    Line line;
    line.begin = i;
    // The nearer of the next LF and the next CR ends the line.
    const void* lf = std::memchr(data + i, '\n', size - i);
    line.end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data) : size;
    if (const void* cr = std::memchr(data + i, '\r', line.end - i)) {
      line.end = static_cast<std::size_t>(static_cast<const char*>(cr) - data);
    }
    line.next = line.end;
    if (line.next < size) {
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
    if (!visit(line)) return;
    i = line.next;
  }
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
  std::unordered_set<std::string_view> seen;
  ForEachLine(m_bytes, [&](const Line& line) {
    if (line.header && seen.insert(line.section).second) names.emplace_back(line.section);
    return true;
  });
  return names;
}

bool IniText::AnySection(const std::function<bool(std::string_view)>& match) const {
  bool found = false;
  ForEachLine(m_bytes, [&](const Line& line) {
    found = line.header && match(line.section);
    return !found;
  });
  return found;
}

bool IniText::HasSection(std::string_view section) const {
  return AnySection([section](std::string_view s) { return s == section; });
}

std::size_t IniText::FirstHeader(std::string_view section) const {
  // Lines before any header belong to the section without a name.
  if (section.empty()) return 0;
  if (m_lastHeader != std::string::npos && section == m_lastSection) return m_lastHeader;
  std::size_t at = std::string::npos;
  ForEachLine(m_bytes, [&](const Line& line) {
    if (line.header && line.section == section) at = line.begin;
    return at == std::string::npos;
  });
  if (at != std::string::npos) {
    m_lastSection = section;
    m_lastHeader = at;
  }
  return at;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  std::optional<std::string> value;
  const std::size_t from = FirstHeader(section);
  if (from == std::string::npos) return value;
  ForEachLine(
      m_bytes,
      [&](const Line& line) {
        if (!line.header && line.section == section && !line.key.empty() && line.key == key) {
          value = m_bytes.substr(line.value, line.end - line.value);
        }
        return !value;
      },
      from);
  return value;
}

bool IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  // A line break cannot be part of a value: the text up to it is stored.
  value = value.substr(0, value.find_first_of("\r\n"));
  std::optional<Line> anchor;  // the line after which a new line goes
  std::optional<Line> found;   // the key's line
  // Edits go after the section's first header, which stays where it is.
  const std::size_t from = FirstHeader(section);
  if (from != std::string::npos) {
    ForEachLine(
        m_bytes,
        [&](const Line& line) {
          if (line.section != section) return !anchor;  // past the section's first block
          if (line.header) {
            anchor = line;
          } else if (!line.key.empty() && anchor) {
            if (line.key == key) {
              found = line;
              return false;
            }
            anchor = line;
          }
          return true;
        },
        from);
  }
  if (found) {
    if (std::string_view(m_bytes).substr(found->value, found->end - found->value) == value) {
      return false;
    }
    m_bytes.replace(found->value, found->end - found->value, value);
    return true;
  }
  std::string add;
  if (!anchor) add.append("[").append(section).append("]").append(LineEnd(m_bytes));
  add.append(key).append("=").append(value);
  Insert(anchor ? anchor->next : m_bytes.size(), add);
  return true;
}

bool IniText::AddSection(std::string_view section) {
  if (FirstHeader(section) != std::string::npos) return false;
  Insert(m_bytes.size(), "[" + std::string(section) + "]");
  return true;
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

bool IniText::RemoveSection(std::string_view section) {
  m_lastHeader = std::string::npos;
  // The blocks to drop, found in one pass; the rest is copied once.
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  std::size_t start = std::string::npos;
  ForEachLine(m_bytes, [&](const Line& line) {
    if (line.header) {
      if (start != std::string::npos) blocks.emplace_back(start, line.begin);
      start = line.section == section ? line.begin : std::string::npos;
    }
    return true;
  });
  if (start != std::string::npos) blocks.emplace_back(start, m_bytes.size());
  if (blocks.empty()) return false;
  std::string kept;
  kept.reserve(m_bytes.size());
  std::size_t from = 0;
  for (const auto& [begin, end] : blocks) {
    kept.append(m_bytes, from, begin - from);
    from = end;
  }
  kept.append(m_bytes, from);
  m_bytes = std::move(kept);
  return true;
}

}  // namespace mametan
