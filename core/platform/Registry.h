#pragma once
// The per-user settings store seen as a registry: a company key whose subkeys
// play INI sections and hold text values. Shaped after the Win32 calls the
// settings store makes (RegCreateKeyExW, RegOpenKeyExW, RegQueryValueExW,
// RegSetValueExW, RegQueryInfoKeyW, RegEnumKeyExW, RegDeleteKeyW); a key
// object is closed (RegCloseKey) when it is destroyed.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace mametan {

enum class RegType { Sz, ExpandSz, Other };

struct RegValue {
  RegType type = RegType::Sz;
  // Text values: UTF-8, possibly with the terminating NUL and anything after
  // it as stored. Other types: the raw bytes.
  std::string data;
};

enum class QueryStatus { Ok, Missing, ReadFailed };

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Opens the subkey, creating it when it is missing; nullptr on failure.
  virtual std::unique_ptr<RegistryKey> CreateSubKey(const std::string& name) = 0;
  // Opens an existing subkey; nullptr when it is missing or cannot be opened.
  virtual std::unique_ptr<RegistryKey> OpenSubKey(const std::string& name) = 0;
  virtual QueryStatus QueryValue(const std::string& name, RegValue& out) = 0;
  // Writes a text value (REG_SZ), replacing a value of any type.
  virtual bool SetText(const std::string& name, const std::string& text) = 0;
  virtual std::optional<std::size_t> SubKeyCount() = 0;
  virtual std::optional<std::string> SubKeyName(std::size_t index) = 0;
  // Deletes a subkey that has no subkeys of its own.
  virtual bool DeleteSubKey(const std::string& name) = 0;
};

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  // Opens the company key (HKCU\Software\VelmaroSoftware), creating it when
  // missing. nullptr when it can be neither opened nor created.
  virtual std::unique_ptr<RegistryKey> OpenCompanyKey() = 0;
  // The store's name when it exists but cannot be read (its values then look
  // missing); empty otherwise.
  virtual std::string UnreadableStore() { return {}; }

  // A store kept in one file takes a whole load, save or delete at once:
  // BeginBatch reads the file once (for a change, under a lock held until
  // EndBatch), the keys then read and change that copy, and EndBatch puts a
  // changed copy in place with one replace, so that the file holds all the
  // batch's values or none of them. A store that works value by value (the
  // registry) ignores both. While a batch for a change could not take the
  // file, the company key cannot be opened.
  virtual void BeginBatch(bool change) { (void)change; }
  // False when the changes did not reach the store; nothing was written then.
  virtual bool EndBatch() { return true; }
  // After a failed EndBatch: the first change that was lost, a value's name,
  // or empty when it was the creation of a key.
  virtual std::string LostChange() const { return {}; }
  // The file and the system's reason for the last failure ("file: reason"),
  // for a second line under the error; empty when there is nothing to add.
  virtual std::string FailureDetail() const { return {}; }
};

}  // namespace mametan
