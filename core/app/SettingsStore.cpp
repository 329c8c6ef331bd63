#include "core/app/SettingsStore.h"

#include <string_view>

#include "core/common/AppError.h"
#include "core/common/IntegerText.h"

namespace mametan {

namespace {

// Reads a text value. `found` tells whether the key and the value existed.
std::string ReadText(RegistryKey* company, const char* name, const std::string& def, bool* found) {
  if (found) *found = false;
  if (!company) return def;
  const auto key = company->OpenSubKey(kSettingsKeyName);
  if (!key) return def;
  RegValue value;
  const QueryStatus status = key->QueryValue(name, value);
  if (status == QueryStatus::Missing) return def;
  if (found) *found = true;
  if (status == QueryStatus::Ok && value.data.empty()) return std::string();
  if (status == QueryStatus::ReadFailed) {
    throw AppError(FormatMessage("'%s' の取得に失敗しました", name));
  }
  if (value.type != RegType::Sz && value.type != RegType::ExpandSz) {
    throw AppError(FormatMessage("'%s' のデータ型が不正です", name));
  }
  const std::size_t nul = value.data.find('\0');
  return nul == std::string::npos ? value.data : value.data.substr(0, nul);
}

std::int32_t ReadInteger(RegistryKey* company, const char* name, std::int32_t def) {
  bool found = false;
  const std::string text = ReadText(company, name, std::string(), &found);
  if (!found) return def;
  return StrToInt32(text).value_or(def);
}

bool ReadBool(RegistryKey* company, const char* name) { return ReadInteger(company, name, 0) != 0; }

void WriteText(RegistryKey* company, const char* name, const std::string& text) {
  if (!company || !company->CreateSubKey(kSettingsKeyName)) {
    throw AppError(FormatMessage("キー %s の作成に失敗しました", kSettingsKeyName));
  }
  const auto key = company->OpenSubKey(kSettingsKeyName);
  if (!key) return;
  if (!key->SetText(name, text)) {
    throw AppError(FormatMessage("'%s' の設定に失敗しました", name));
  }
}

void WriteInteger(RegistryKey* company, const char* name, std::int32_t value) {
  WriteText(company, name, IntToStr(value));
}

void WriteBool(RegistryKey* company, const char* name, bool value) {
  WriteInteger(company, name, value ? 1 : 0);
}

// Holds a batch of the store open for one load, save or delete.
class Batch {
 public:
  Batch(RegistryBackend& registry, bool change) : m_registry(registry) {
    m_registry.BeginBatch(change);
  }
  ~Batch() {
    if (m_open) m_registry.EndBatch();
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;
  bool End() {
    m_open = false;
    return m_registry.EndBatch();
  }

 private:
  RegistryBackend& m_registry;
  bool m_open = true;
};

// The error with the store's account of the failure (the file and the
// system's reason) as its second line.
AppError WithDetail(RegistryBackend& registry, const AppError& error) {
  const std::string detail = registry.FailureDetail();
  return detail.empty() ? error : AppError(std::string(error.what()) + "\n" + detail);
}

void DeleteTree(RegistryKey& parent, const std::string& name) {
  if (auto key = parent.OpenSubKey(name)) {
    if (const auto count = key->SubKeyCount()) {
      for (std::size_t i = *count; i-- > 0;) {
        if (const auto child = key->SubKeyName(i)) DeleteTree(*key, *child);
      }
    }
  }
  parent.DeleteSubKey(name);
}

}  // namespace

void LoadSettings(RegistryBackend& registry, TApSystem& r) {
  Batch batch(registry, false);
  const auto company = registry.OpenCompanyKey();
  RegistryKey* c = company.get();
  // A value that cannot be read keeps the field's initial value; the values
  // after it are still read, so that the save at exit writes them back as
  // they were instead of the initial values. The first error is reported.
  std::string firstError;
  const auto read = [&firstError](auto&& readValue) {
    try {
      readValue();
    } catch (const AppError& e) {
      if (firstError.empty()) firstError = e.what();
    }
  };
  read([&] { r.File_Kakeibo = ReadText(c, "File_Kakeibo", "kakeibo.csv", nullptr); });
  read([&] { r.File_Kind = ReadText(c, "File_Kind", "item.txt", nullptr); });
  read([&] { r.SaveWindowPos = ReadBool(c, "SaveWindowPos"); });
  read([&] { r.OpenWindowAtBoot = ReadBool(c, "OpenWindowAtBoot"); });
  read([&] { r.InputWindow_Left = ReadInteger(c, "InputWindow_Left", 0); });
  read([&] { r.InputWindow_Top = ReadInteger(c, "InputWindow_Top", 0); });
  read([&] { r.AutoTax = ReadBool(c, "AutoTax"); });
  read([&] { r.NextInput = ReadBool(c, "NextInput"); });
  read([&] { r.Tax = ReadInteger(c, "Tax", 5); });
  read([&] { r.EnterToNext = ReadBool(c, "EnterToNext"); });
  const std::string unreadable = registry.UnreadableStore();
  batch.End();
  if (!unreadable.empty()) {
    throw WithDetail(
        registry, AppError(FormatMessage("設定ファイル %s が読み込めません。標準の設定を使用します",
                                         unreadable)));
  }
  if (!firstError.empty()) throw AppError(firstError);
}

void SaveSettings(RegistryBackend& registry, const TApSystem& r) {
  // One batch: a store kept in a file takes all ten values in one replace.
  Batch batch(registry, true);
  try {
    const auto company = registry.OpenCompanyKey();
    RegistryKey* c = company.get();
    WriteText(c, "File_Kakeibo", r.File_Kakeibo);
    WriteText(c, "File_Kind", r.File_Kind);
    WriteBool(c, "SaveWindowPos", r.SaveWindowPos);
    WriteBool(c, "OpenWindowAtBoot", r.OpenWindowAtBoot);
    WriteInteger(c, "InputWindow_Left", r.InputWindow_Left);
    WriteInteger(c, "InputWindow_Top", r.InputWindow_Top);
    WriteBool(c, "AutoTax", r.AutoTax);
    WriteBool(c, "NextInput", r.NextInput);
    WriteInteger(c, "Tax", r.Tax);
    WriteBool(c, "EnterToNext", r.EnterToNext);
  } catch (const AppError& e) {
    batch.End();
    throw WithDetail(registry, e);
  }
  if (!batch.End()) {
    // Nothing reached the store: the error names the first change lost, as
    // a store written value by value would have failed on it.
    const std::string lost = registry.LostChange();
    throw WithDetail(
        registry,
        AppError(lost.empty() ? FormatMessage("キー %s の作成に失敗しました", kSettingsKeyName)
                              : FormatMessage("'%s' の設定に失敗しました", lost)));
  }
}

void DeleteSettingsKey(RegistryBackend& registry) {
  Batch batch(registry, true);
  if (const auto company = registry.OpenCompanyKey()) DeleteTree(*company, kSettingsKeyName);
}

}  // namespace mametan
