#pragma once
// The classification file as the editor holds it: code page 932 bytes whose
// line ends are all CR LF, shown as text, and written back so that every line
// the user left alone keeps its exact bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace mametan {

// Every line end becomes CR LF: CR LF stays, a lone LF or a lone CR becomes
// CR LF. Byte-wise, which is safe for code page 932 because no trail byte of
// a double-byte character is CR or LF.
std::string NormalizeLineEnds(std::string_view bytes);

class KindFileText {
 public:
  // The file's bytes as read; their line ends become CR LF.
  explicit KindFileText(std::string_view fileBytes = {});

  // The text for the editor: the decoded lines joined by "\n".
  std::string Text() const;

  // The bytes for the edited text (lines joined by "\n"), lines joined by
  // CR LF. A line equal to a line of the file (in place, or moved) is written
  // with that line's bytes, so text with no change gives the file's bytes
  // back exactly, even where code page 932 has two codes for one character
  // or the bytes were no code page 932 at all. Other lines are encoded; when
  // one holds a character the file cannot hold, nothing is returned and
  // `badOffset` gets that character's offset in `edited`.
  std::optional<std::string> Encode(std::string_view edited,
                                    std::size_t* badOffset = nullptr) const;

  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;  // line ends normalized
};

}  // namespace mametan
