#include "app/SettingsStore.h"

#include <string_view>

#include "common/AppError.h"
#include "common/IntegerText.h"

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
  const auto company = registry.OpenCompanyKey();
  RegistryKey* c = company.get();
  r.File_Kakeibo = ReadText(c, "File_Kakeibo", "kakeibo.csv", nullptr);
  r.File_Kind = ReadText(c, "File_Kind", "item.txt", nullptr);
  r.SaveWindowPos = ReadBool(c, "SaveWindowPos");
  r.OpenWindowAtBoot = ReadBool(c, "OpenWindowAtBoot");
  r.InputWindow_Left = ReadInteger(c, "InputWindow_Left", 0);
  r.InputWindow_Top = ReadInteger(c, "InputWindow_Top", 0);
  r.AutoTax = ReadBool(c, "AutoTax");
  r.NextInput = ReadBool(c, "NextInput");
  r.Tax = ReadInteger(c, "Tax", 5);
  r.EnterToNext = ReadBool(c, "EnterToNext");
}

void SaveSettings(RegistryBackend& registry, const TApSystem& r) {
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
}

void DeleteSettingsKey(RegistryBackend& registry) {
  if (const auto company = registry.OpenCompanyKey()) DeleteTree(*company, kSettingsKeyName);
}

}  // namespace mametan
