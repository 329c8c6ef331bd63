// The settings store on the real registry API (Wine's, in the test prefix).
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "core/app/SettingsStore.h"
#include "core/common/AppError.h"
#include "core/platform/WinRegistry.h"

namespace mametan {
namespace {

const wchar_t* const kCompany = L"Software\\VelmaroSoftware";
const wchar_t* const kSettings = L"Software\\VelmaroSoftware\\Mametan";

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

HKEY CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

// A value as the wide API sees it: type and UTF-16 data, NULs included.
struct WideValue {
  DWORD type = 0;
  std::wstring data;
};

std::map<std::wstring, WideValue> ReadAllWide(const wchar_t* path) {
  std::map<std::wstring, WideValue> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    BYTE data[2048];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) {
      break;
    }
    values[name] = WideValue{type, std::wstring(reinterpret_cast<wchar_t*>(data), size / 2)};
  }
  RegCloseKey(key);
  return values;
}

class WinRegistryStore : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kCompany);
    ASSERT_FALSE(KeyExists(kCompany));
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kCompany); }

  // Stores a value with the wide API, as another program (or regedit) would.
  void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    const HKEY key = CreateKey(kSettings);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void PutText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    Put(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }

  TApSystem Load() {
    TApSystem r;
    LoadSettings(registry, r);
    return r;
  }

  WinRegistry registry;
};

TEST_F(WinRegistryStore, TheAnsiCodePageIsJapanese) {
  // Without it the A functions would pass the texts through code page 1252
  // and every byte would still round-trip, hiding a wrong conversion.
  EXPECT_EQ(GetACP(), 932u);
}

TEST_F(WinRegistryStore, FirstLoadGivesDefaultsAndCreatesOnlyTheCompanyKey) {
  const TApSystem r = Load();
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_EQ(r.File_Kind, "item.txt");
  EXPECT_EQ(r.Tax, 5);
  EXPECT_FALSE(r.SaveWindowPos || r.OpenWindowAtBoot || r.AutoTax || r.NextInput || r.EnterToNext);
  EXPECT_EQ(r.InputWindow_Left, 0);
  EXPECT_EQ(r.InputWindow_Top, 0);
  EXPECT_TRUE(KeyExists(kCompany));
  EXPECT_FALSE(KeyExists(kSettings));
}

TEST_F(WinRegistryStore, ReadOnlyStoreReadsTheValuesAndCreatesOrChangesNothing) {
  WinRegistry readOnly(WinRegistry::Access::ReadOnly);
  TApSystem r;
  LoadSettings(readOnly, r);
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_FALSE(KeyExists(kCompany)) << "a missing key stays missing";

  PutText(L"File_Kakeibo", L"家計簿.csv");
  LoadSettings(readOnly, r);
  EXPECT_EQ(r.File_Kakeibo, "家計簿.csv");
  r.File_Kakeibo = "other.csv";
  EXPECT_THROW(SaveSettings(readOnly, r), AppError);
  EXPECT_EQ(ReadAllWide(kSettings).at(L"File_Kakeibo").data, std::wstring(L"家計簿.csv\0", 8));
  const auto company = readOnly.OpenCompanyKey();
  ASSERT_TRUE(company);
  EXPECT_FALSE(company->CreateSubKey("Other"));
  EXPECT_FALSE(company->DeleteSubKey("Mametan"));
  EXPECT_TRUE(KeyExists(kSettings));
}

TEST_F(WinRegistryStore, SaveWritesTenTextValuesInCodePage932) {
  TApSystem r;
  r.File_Kakeibo = "C:\\家計簿\\２０２４年.csv";
  r.File_Kind = "分類～表.txt";
  r.SaveWindowPos = true;
  r.DelRegistry = true;
  r.InputWindow_Left = -120;
  r.InputWindow_Top = 2147483647;
  r.NextInput = true;
  r.Tax = 8;
  SaveSettings(registry, r);

  const auto values = ReadAllWide(kSettings);
  ASSERT_EQ(values.size(), 10u) << "DelRegistry is never stored";
  const std::map<std::wstring, std::wstring> expected = {
      {L"File_Kakeibo", L"C:\\家計簿\\２０２４年.csv"},
      {L"File_Kind", L"分類～表.txt"},
      {L"SaveWindowPos", L"1"},
      {L"OpenWindowAtBoot", L"0"},
      {L"InputWindow_Left", L"-120"},
      {L"InputWindow_Top", L"2147483647"},
      {L"AutoTax", L"0"},
      {L"NextInput", L"1"},
      {L"Tax", L"8"},
      {L"EnterToNext", L"0"},
  };
  for (const auto& [name, text] : expected) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    ASSERT_EQ(values.count(name), 1u);
    const WideValue& v = values.at(name);
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
    // The Japanese characters arrive as themselves, with exactly one NUL.
    EXPECT_EQ(v.data, text + L'\0');
  }

  // The A side: code page 932 bytes plus one NUL.
  const HKEY key = CreateKey(kSettings);
  char data[64];
  DWORD size = sizeof data;
  DWORD type = 0;
  ASSERT_EQ(
      RegQueryValueExA(key, "File_Kind", nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
      ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(data, size),
            std::string("\x95\xAA\x97\xDE\x81\x60\x95\x5C.txt", 12) + '\0');

  TApSystem back = Load();
  r.DelRegistry = false;
  EXPECT_EQ(back, r);
}

TEST_F(WinRegistryStore, NamesOutsideCodePage932AreKeptAndOthersTextsGoBackUnchanged) {
  TApSystem r;
  r.File_Kakeibo = "C:\\users\\한글\\家計簿.csv";
  r.File_Kind = "D:\\😀\\item.txt";
  SaveSettings(registry, r);
  auto values = ReadAllWide(kSettings);
  EXPECT_EQ(values.at(L"File_Kakeibo").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(values.at(L"File_Kakeibo").data, std::wstring(L"C:\\users\\한글\\家計簿.csv") + L'\0');
  EXPECT_EQ(values.at(L"File_Kind").data, std::wstring(L"D:\\\xD83D\xDE00\\item.txt") + L'\0');
  EXPECT_EQ(Load(), r);

  // A lone surrogate another program stored survives the save at exit.
  const std::wstring lone(
      L"a\xD800"
      L"b\0",
      4);
  PutText(L"File_Kind", lone.substr(0, 3));
  SaveSettings(registry, Load());
  EXPECT_EQ(ReadAllWide(kSettings).at(L"File_Kind").data, lone);
}

TEST_F(WinRegistryStore, ValuesWrittenByOthersAreReadAsTheStoreReadsThem) {
  PutText(L"File_Kakeibo", L"");                     // text with only its NUL
  Put(L"File_Kind", REG_SZ, L"", 0);                 // no data at all
  PutText(L"SaveWindowPos", L"2");                   // true
  PutText(L"OpenWindowAtBoot", L"yes");              // not a number: false
  PutText(L"InputWindow_Left", L" -8");              // leading blank allowed
  PutText(L"InputWindow_Top", L"$10");               // hexadecimal
  PutText(L"AutoTax", std::wstring(L"1\0junk", 6));  // ends at the first NUL
  PutText(L"Tax", L"7 ");                            // trailing blank: default
  TApSystem r = Load();
  EXPECT_EQ(r.File_Kakeibo, "");
  EXPECT_EQ(r.File_Kind, "") << "an empty value is not the default";
  EXPECT_TRUE(r.SaveWindowPos);
  EXPECT_FALSE(r.OpenWindowAtBoot);
  EXPECT_EQ(r.InputWindow_Left, -8);
  EXPECT_EQ(r.InputWindow_Top, 16);
  EXPECT_TRUE(r.AutoTax);
  EXPECT_EQ(r.Tax, 5);

  // Environment references are kept as they stand.
  PutText(L"File_Kind", L"%USERPROFILE%\\分類.txt", REG_EXPAND_SZ);
  PutText(L"File_Kakeibo", L"%TEMP%\\kakeibo.csv", REG_EXPAND_SZ);
  r = Load();
  EXPECT_EQ(r.File_Kind, "%USERPROFILE%\\分類.txt");
  EXPECT_EQ(r.File_Kakeibo, "%TEMP%\\kakeibo.csv");
}

TEST_F(WinRegistryStore, WrongTypeKeepsItsInitialValueAndTheSaveReplacesIt) {
  PutText(L"File_Kakeibo", L"a.csv");
  PutText(L"AutoTax", L"1");
  const DWORD eight = 8;
  Put(L"Tax", REG_DWORD, &eight, sizeof eight);
  PutText(L"EnterToNext", L"1");
  TApSystem r;
  try {
    LoadSettings(registry, r);
    FAIL() << "no error raised";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "'Tax' のデータ型が不正です");
  }
  EXPECT_EQ(r.File_Kakeibo, "a.csv");
  EXPECT_TRUE(r.AutoTax);
  EXPECT_EQ(r.Tax, 0) << "not the default 5";
  EXPECT_TRUE(r.EnterToNext) << "read on past the failure";

  SaveSettings(registry, r);
  const auto values = ReadAllWide(kSettings);
  EXPECT_EQ(values.at(L"Tax").type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(values.at(L"Tax").data, std::wstring(L"0\0", 2));
}

TEST_F(WinRegistryStore, DeleteRemovesTheKeyWithNestedSubkeysAndKeepsTheCompany) {
  SaveSettings(registry, TApSystem{});
  for (const wchar_t* sub : {L"\\A\\B", L"\\A\\C", L"\\分類\\深い\\もっと深い", L"\\Z"}) {
    RegCloseKey(CreateKey(std::wstring(kSettings) + sub));
  }
  RegCloseKey(CreateKey(std::wstring(kCompany) + L"\\Other"));

  // Why the store walks the tree: the system call refuses a key with subkeys.
  HKEY company = CreateKey(kCompany);
  EXPECT_NE(RegDeleteKeyA(company, "Mametan"), ERROR_SUCCESS);
  RegCloseKey(company);
  ASSERT_TRUE(KeyExists(kSettings));

  DeleteSettingsKey(registry);
  EXPECT_FALSE(KeyExists(kSettings));
  EXPECT_TRUE(KeyExists(kCompany));
  EXPECT_TRUE(KeyExists((std::wstring(kCompany) + L"\\Other").c_str()));

  EXPECT_NO_THROW(DeleteSettingsKey(registry)) << "a missing key is silent";
  EXPECT_EQ(Load().Tax, 5);
}

}  // namespace
}  // namespace mametan
