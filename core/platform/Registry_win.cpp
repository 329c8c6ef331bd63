// The registry key objects of WinRegistry. Every key is opened with full
// access (or, for a read-only store, for reading only) and closed when its
// object goes; nothing is flushed explicitly.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "core/platform/Utf8.h"
#include "core/platform/WinRegistry.h"

namespace mametan {
namespace {

// The longest key name the registry allows is 255 characters.
constexpr DWORD kMaxKeyNameChars = 255 + 1;

// UTF-16 as the registry holds it to the program's UTF-8. A surrogate without
// its partner (the registry takes any 16-bit units) is kept as the three-byte
// form of its code, so that the text goes back to the registry unchanged.
std::string ToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size() * 3);
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t c = static_cast<char16_t>(wide[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) {
      const char32_t low = static_cast<char16_t>(wide[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    utf8::Append(out, c);
  }
  return out;
}

// The program's UTF-8 to UTF-16; nothing for bytes that are not UTF-8 (or the
// three-byte form of a lone surrogate ToUtf8 gives).
std::optional<std::wstring> ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    std::size_t len = utf8::DecodeOne(text, pos, c);
    if (len == 0) {
      const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
      if (pos + 3 > text.size() || byte(0) != 0xED || (byte(1) & 0xE0) != 0xA0 ||
          (byte(2) & 0xC0) != 0x80) {
        return std::nullopt;
      }
      c = 0xD000 | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
      len = 3;
    }
    if (c >= 0x10000) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c);
    }
    pos += len;
  }
  return out;
}

RegType TypeOf(DWORD type) {
  return type == REG_SZ ? RegType::Sz : type == REG_EXPAND_SZ ? RegType::ExpandSz : RegType::Other;
}

class WinKey : public RegistryKey {
 public:
  WinKey(HKEY key, bool readOnly) : m_key(key), m_readOnly(readOnly) {}
  ~WinKey() override { RegCloseKey(m_key); }
  WinKey(const WinKey&) = delete;
  WinKey& operator=(const WinKey&) = delete;

  std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) override {
    const auto wide = ToWide(name);
    if (!wide || m_readOnly) return nullptr;
    HKEY sub = nullptr;
    if (RegCreateKeyExW(m_key, wide->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &sub, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(sub, false);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    const auto wide = ToWide(name);
    if (!wide) return nullptr;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(m_key, wide->c_str(), 0, m_readOnly ? KEY_READ : KEY_ALL_ACCESS, &sub) !=
        ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(sub, m_readOnly);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    const auto wide = ToWide(name);
    if (!wide) return QueryStatus::Missing;
    DWORD type = 0;
    DWORD size = 0;
    // A value whose type and size cannot be told does not exist for the store.
    if (RegQueryValueExW(m_key, wide->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return QueryStatus::Missing;
    }
    out.type = TypeOf(type);
    out.data.clear();
    if (size == 0) return QueryStatus::Ok;
    // The value can grow between the two calls: grow and ask again.
    std::vector<BYTE> buffer;
    LONG rc = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
      buffer.assign(size + sizeof(wchar_t), 0);
      rc = RegQueryValueExW(m_key, wide->c_str(), nullptr, &type, buffer.data(), &size);
    }
    if (rc != ERROR_SUCCESS) return QueryStatus::ReadFailed;
    out.type = TypeOf(type);
    if (out.type == RegType::Other) {
      out.data.assign(reinterpret_cast<const char*>(buffer.data()), size);
    } else {
      // A text is 16-bit units; an odd last byte belongs to no character.
      std::wstring units(size / sizeof(wchar_t), L'\0');
      std::memcpy(units.data(), buffer.data(), units.size() * sizeof(wchar_t));
      out.data = ToUtf8(units);
    }
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    const auto wideName = ToWide(name);
    const auto wideText = ToWide(text);
    if (!wideName || !wideText || m_readOnly) return false;
    const std::wstring data = *wideText + L'\0';
    return RegSetValueExW(m_key, wideName->c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  std::optional<std::size_t> SubKeyCount() override {
    DWORD count = 0;
    if (RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return count;
  }

  std::optional<std::string> SubKeyName(std::size_t index) override {
    wchar_t name[kMaxKeyNameChars];
    DWORD length = kMaxKeyNameChars;
    if (RegEnumKeyExW(m_key, static_cast<DWORD>(index), name, &length, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return ToUtf8(std::wstring_view(name, length));
  }

  bool DeleteSubKey(const std::string& name) override {
    const auto wide = ToWide(name);
    return wide && !m_readOnly && RegDeleteKeyW(m_key, wide->c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY m_key;
  bool m_readOnly;
};

}  // namespace

std::unique_ptr<RegistryKey> WinRegistry::OpenCompanyKey() {
  HKEY key = nullptr;
  if (m_access == Access::ReadOnly) {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kCompanyKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(key, true);
  }
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kCompanyKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<WinKey>(key, false);
}

}  // namespace mametan
