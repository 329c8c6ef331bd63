// Code page 932 over glibc iconv. "CP932" is Microsoft's table (0x5C is the
// backslash, NEC and IBM rows present); "SHIFT_JIS" would not do.
#include <iconv.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <vector>

#include "core/platform/Cp932.h"
#include "core/platform/Utf8.h"

namespace mametan::cp932 {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
    // iconv_open's failure value is (iconv_t)-1.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    if (m_cd == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
  }
  ~Converter() { iconv_close(m_cd); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as possible of [in, in+inLen), appending to `out`.
  // Returns the number of input bytes consumed; stops at the first byte
  // sequence that cannot be converted.
  std::size_t Run(const char* in, std::size_t inLen, std::string& out) {
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    std::size_t left = inLen;
    char buffer[4096];
    while (left > 0) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t rc = iconv(m_cd, &src, &left, &dst, &room);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return inLen - left;
  }

 private:
  iconv_t m_cd;
};

Converter& Decoder() {
  thread_local Converter conv("UTF-8", "CP932");
  return conv;
}

Converter& Encoder() {
  thread_local Converter conv("CP932", "UTF-8");
  return conv;
}

// What each code of the code page decodes to, asked of iconv once: 0 for no
// character. The code page keeps no state between characters, so decoding
// code by code gives what iconv gives for the whole text.
class DecodeTable {
 public:
  DecodeTable() {
    std::string out;
    for (int b = 0x80; b < 0x100; ++b) m_single[b] = Ask({static_cast<char>(b)}, out);
    for (int lead = 0x81; lead < 0x100; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail < 0x100; ++trail) {
        m_double[(lead << 8) | trail] =
            Ask({static_cast<char>(lead), static_cast<char>(trail)}, out);
      }
    }
  }
  char32_t Single(unsigned char b) const { return m_single[b]; }
  char32_t Double(unsigned char lead, unsigned char trail) const {
    return m_double[(lead << 8) | trail];
  }

 private:
  static char32_t Ask(std::string code, std::string& out) {
    out.clear();
    if (Decoder().Run(code.data(), code.size(), out) != code.size()) return 0;
    char32_t cp = 0;
    return utf8::DecodeOne(out, 0, cp) == out.size() ? cp : 0;
  }
  std::array<char32_t, 0x100> m_single{};
  std::vector<char32_t> m_double = std::vector<char32_t>(0x10000);
};

}  // namespace

std::string Decode(std::string_view bytes) {
  static const DecodeTable table;
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  for (std::size_t pos = 0; pos < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++pos;
      continue;
    }
    char32_t cp = 0;
    if (IsLeadByte(b) && pos + 1 < bytes.size()) {
      cp = table.Double(b, static_cast<unsigned char>(bytes[pos + 1]));
      if (cp) pos += 2;
    }
    if (!cp) {
      cp = table.Single(b);
      ++pos;
    }
    // An invalid or truncated sequence: its first byte is kept as a raw byte.
    utf8::Append(out, cp ? cp : kRawByteBase + b);
  }
  return out;
}

std::optional<std::string> detail::EncodeChars(std::string_view text, std::size_t* badOffset) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    pos += Encoder().Run(text.data() + pos, text.size() - pos, out);
    if (pos >= text.size()) break;
    char32_t cp = 0;
    const std::size_t len = utf8::DecodeOne(text, pos, cp);
    if (len != 0 && IsRawByteCodePoint(cp)) {
      out += static_cast<char>(cp - kRawByteBase);
      pos += len;
      continue;
    }
    if (badOffset) *badOffset = pos;
    return std::nullopt;
  }
  return out;
}

}  // namespace mametan::cp932
