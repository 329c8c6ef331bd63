// Code page 932 over glibc iconv. "CP932" is Microsoft's table (0x5C is the
// backslash, NEC and IBM rows present); "SHIFT_JIS" would not do.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "platform/Cp932.h"
#include "platform/Utf8.h"

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

}  // namespace

std::string Decode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    pos += Decoder().Run(bytes.data() + pos, bytes.size() - pos, out);
    if (pos < bytes.size()) {
      // An invalid or truncated sequence: keep its first byte as a raw byte.
      const auto b = static_cast<unsigned char>(bytes[pos]);
      utf8::Append(out, kRawByteBase + b);
      ++pos;
    }
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
