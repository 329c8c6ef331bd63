// Code page 932 over MultiByteToWideChar / WideCharToMultiByte, one character
// at a time, so that bytes Windows rejects can be kept as raw-byte code points
// and characters it cannot hold are refused instead of becoming "?". Which
// bytes count as invalid and which one-way mappings are accepted follows the
// Linux half, so a file decodes to the same text on both systems.
#include <windows.h>

#include "core/platform/Cp932.h"
#include "core/platform/Utf8.h"

namespace mametan::cp932 {
namespace {

constexpr UINT kCodePage = 932;

// Windows maps these lone bytes to U+0080 and U+F8F0..U+F8F3; they are no
// characters of the code page, so they travel as raw bytes like any other
// invalid byte.
bool IsVendorSingleByte(unsigned char b) { return b == 0x80 || b == 0xA0 || b >= 0xFD; }

// Characters that code page 932 has no code of its own for but that Windows
// users type for one of its characters (the wave dash of Linux input methods
// for the full-width tilde, the yen sign for the backslash byte, ...).
struct OneWay {
  char32_t cp;
  const char* bytes;
};
constexpr OneWay kOneWay[] = {
    {0x00A2, "\x81\x91"}, {0x00A3, "\x81\x92"}, {0x00A5, "\x5C"},
    {0x00AC, "\x81\xCA"}, {0x2014, "\x81\x5C"}, {0x2016, "\x81\x61"},
    {0x203E, "\x7E"},     {0x2212, "\x81\x7C"}, {0x301C, "\x81\x60"},
};

// Decodes one character of `len` bytes; false when Windows refuses it.
bool DecodeChar(const char* p, int len, wchar_t& wc) {
  return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, p, len, &wc, 1) == 1;
}

// Encodes one BMP character; false when the code page has no code for it.
bool EncodeChar(wchar_t wc, std::string& out) {
  char buf[4];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wc, 1, buf, sizeof buf,
                                    nullptr, &usedDefault);
  if (n < 1 || n > 2 || usedDefault) return false;
  const auto first = static_cast<unsigned char>(buf[0]);
  if (n == 1 && (first < 0x80 || IsVendorSingleByte(first))) return false;
  // Only an exact round trip counts: no best-fit look-alikes.
  wchar_t back = 0;
  if (!DecodeChar(buf, n, back) || back != wc) return false;
  out.append(buf, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

std::string Decode(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[pos]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++pos;
      continue;
    }
    wchar_t wc = 0;
    if (IsSingleByteKana(b) && DecodeChar(bytes.data() + pos, 1, wc)) {
      utf8::Append(out, wc);
      ++pos;
    } else if (IsLeadByte(b) && pos + 1 < bytes.size() && DecodeChar(bytes.data() + pos, 2, wc)) {
      utf8::Append(out, wc);
      pos += 2;
    } else {
      // An invalid or truncated sequence: keep its first byte as a raw byte
      // and look at the next one afresh.
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
    char32_t cp = 0;
    const std::size_t len = utf8::DecodeOne(text, pos, cp);
    bool ok = len != 0;
    if (ok && cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (ok && IsRawByteCodePoint(cp)) {
      out += static_cast<char>(cp - kRawByteBase);
    } else if (ok) {
      const OneWay* oneWay = nullptr;
      for (const OneWay& m : kOneWay) {
        if (m.cp == cp) oneWay = &m;
      }
      if (oneWay) {
        out += oneWay->bytes;
      } else {
        // Code page 932 holds nothing outside the Basic Multilingual Plane.
        ok = cp <= 0xFFFF && EncodeChar(static_cast<wchar_t>(cp), out);
      }
    }
    if (!ok) {
      if (badOffset) *badOffset = pos;
      return std::nullopt;
    }
    pos += len;
  }
  return out;
}

}  // namespace mametan::cp932
