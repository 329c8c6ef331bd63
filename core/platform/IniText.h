#pragma once
// The text of an INI file, kept as its bytes. The file is shared with other
// programs and with hand editing, so a change touches only the lines it is
// about: every other byte (comments, lines without "=", other sections in any
// encoding, a byte-order mark, CR LF or CR line ends, key order, a last line
// without a line end) stays exactly as it was.
//
// Reading: a line ends at LF, CR LF or a lone CR. A line whose text without
// surrounding blanks is "[name]" starts the section `name`. In a section, a
// line with "=" holds a value: the key is the text before the first "=",
// the value the literal text after it to the line end, with no list, quote,
// comment or escape meaning. Blanks (space, tab) next to "=" are not part of
// the key or the value ("key = value" is key "key", value "value"); the
// value's own inner and trailing blanks are kept. When a key occurs twice,
// the first occurrence counts, for reading and writing alike.
//
// Writing: "key=value", with the file's own line end. A value has no line
// break and does not start with a blank when read, so a written value is
// stored up to its first CR or LF, and one that starts with blanks reads back
// without them; any other text reads back the same.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mametan {

class IniText {
 public:
  IniText() = default;
  explicit IniText(std::string bytes) : m_bytes(std::move(bytes)) {}
  IniText(const IniText&) = default;
  IniText& operator=(const IniText&) = default;

  const std::string& bytes() const { return m_bytes; }

  // The names of the sections in order of their first header, each once.
  std::vector<std::string> Sections() const;
  bool HasSection(std::string_view section) const;
  // Whether a section header's name matches; stops at the first that does.
  bool AnySection(const std::function<bool(std::string_view)>& match) const;
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Each change tells whether the bytes changed.
  // Replaces the value of the key's first line in the section, or adds a
  // line at the end of the section's first block, or adds the section at the
  // end of the file.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  // Adds the section's header at the end of the file when it is missing.
  bool AddSection(std::string_view section);
  // Removes every block of the section: its header and the lines up to the
  // next header.
  bool RemoveSection(std::string_view section);

 private:
  // Inserts the lines `text` at the start of a line, or after the last line
  // when that has no line end.
  void Insert(std::size_t at, std::string text);
  // Where the section's first header starts; npos when it has none. The
  // last answer is kept: the program asks about one section many times, and
  // its edits all lie after that header.
  std::size_t FirstHeader(std::string_view section) const;

  std::string m_bytes;
  mutable std::string m_lastSection;
  mutable std::size_t m_lastHeader = std::string::npos;
};

}  // namespace mametan
