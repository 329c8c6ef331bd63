// The registry key objects of WinRegistry. Every key is opened with full
// access (or, for a read-only store, for reading only) and closed when its
// object goes; nothing is flushed explicitly.
#include <windows.h>

#include <vector>

#include "core/platform/Cp932.h"
#include "core/platform/WinRegistry.h"

namespace mametan {
namespace {

// The longest key name the registry allows is 255 characters, each at most
// two bytes in code page 932.
constexpr DWORD kMaxKeyNameBytes = 2 * 255 + 1;

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
    const auto bytes = cp932::Encode(name);
    if (!bytes || m_readOnly) return nullptr;
    HKEY sub = nullptr;
    if (RegCreateKeyExA(m_key, bytes->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &sub, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(sub, false);
  }

  std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) override {
    const auto bytes = cp932::Encode(name);
    if (!bytes) return nullptr;
    HKEY sub = nullptr;
    if (RegOpenKeyExA(m_key, bytes->c_str(), 0, m_readOnly ? KEY_READ : KEY_ALL_ACCESS, &sub) !=
        ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(sub, m_readOnly);
  }

  QueryStatus QueryValue(const std::string& name, RegValue& out) override {
    const auto bytes = cp932::Encode(name);
    if (!bytes) return QueryStatus::Missing;
    DWORD type = 0;
    DWORD size = 0;
    // A value whose type and size cannot be told does not exist for the store.
    if (RegQueryValueExA(m_key, bytes->c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return QueryStatus::Missing;
    }
    out.type = TypeOf(type);
    out.data.clear();
    if (size == 0) return QueryStatus::Ok;
    // The size told for a text can be short of what code page 932 needs when
    // the value changes between the two calls: grow and ask again.
    std::vector<BYTE> buffer;
    LONG rc = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
      buffer.assign(size, 0);
      rc = RegQueryValueExA(m_key, bytes->c_str(), nullptr, &type, buffer.data(), &size);
    }
    if (rc != ERROR_SUCCESS) return QueryStatus::ReadFailed;
    out.type = TypeOf(type);
    const std::string raw(reinterpret_cast<const char*>(buffer.data()), size);
    out.data = out.type == RegType::Other ? raw : cp932::Decode(raw);
    return QueryStatus::Ok;
  }

  bool SetText(const std::string& name, const std::string& text) override {
    const auto nameBytes = cp932::Encode(name);
    // A text code page 932 cannot hold is refused rather than stored with "?".
    const auto textBytes = cp932::Encode(text);
    if (!nameBytes || !textBytes || m_readOnly) return false;
    const std::string data = *textBytes + '\0';
    return RegSetValueExA(m_key, nameBytes->c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }

  std::optional<std::size_t> SubKeyCount() override {
    DWORD count = 0;
    if (RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return count;
  }

  std::optional<std::string> SubKeyName(std::size_t index) override {
    char name[kMaxKeyNameBytes];
    DWORD length = kMaxKeyNameBytes;
    if (RegEnumKeyExA(m_key, static_cast<DWORD>(index), name, &length, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return cp932::Decode(std::string_view(name, length));
  }

  bool DeleteSubKey(const std::string& name) override {
    const auto bytes = cp932::Encode(name);
    return bytes && !m_readOnly && RegDeleteKeyA(m_key, bytes->c_str()) == ERROR_SUCCESS;
  }

 private:
  HKEY m_key;
  bool m_readOnly;
};

}  // namespace

std::unique_ptr<RegistryKey> WinRegistry::OpenCompanyKey() {
  HKEY key = nullptr;
  if (m_access == Access::ReadOnly) {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kCompanyKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<WinKey>(key, true);
  }
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kCompanyKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<WinKey>(key, false);
}

}  // namespace mametan
