#include "core/app/SettingsStore.h"

#include <gtest/gtest.h>

#include "core/common/AppError.h"
#include "tests/support/MemoryRegistry.h"

namespace mametan {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void Put(const std::string& name, const std::string& text, RegType type = RegType::Sz) {
    auto& key = registry.Company().subkeys["Mametan"];
    if (!key) key = std::make_shared<MemoryRegistry::Node>();
    key->values[name] = RegValue{type, text};
  }
  std::string Stored(const std::string& name) {
    return registry.Find("Mametan")->values.at(name).data;
  }
  TApSystem Load() {
    TApSystem r;
    LoadSettings(registry, r);
    return r;
  }

  MemoryRegistry registry;
};

TEST_F(SettingsStoreTest, MissingKeyGivesDefaults) {
  const TApSystem r = Load();
  EXPECT_EQ(r.File_Kakeibo, "kakeibo.csv");
  EXPECT_EQ(r.File_Kind, "item.txt");
  EXPECT_EQ(r.Tax, 5);
  EXPECT_FALSE(r.SaveWindowPos || r.OpenWindowAtBoot || r.AutoTax || r.NextInput || r.EnterToNext);
  EXPECT_EQ(r.InputWindow_Left, 0);
  EXPECT_EQ(r.InputWindow_Top, 0);
  EXPECT_EQ(registry.Find("Mametan"), nullptr) << "the load creates no settings key";
}

TEST_F(SettingsStoreTest, TextValues) {
  Put("File_Kakeibo", "");
  using namespace std::string_literals;
  Put("File_Kind", "%HOME%\\家計簿.txt\0junk"s, RegType::ExpandSz);
  const TApSystem r = Load();
  EXPECT_EQ(r.File_Kakeibo, "") << "an empty value is not the default";
  EXPECT_EQ(r.File_Kind, "%HOME%\\家計簿.txt") << "used literally, up to the first NUL";
}

TEST_F(SettingsStoreTest, IntegerAndBooleanConversion) {
  const std::pair<const char*, std::int32_t> taxes[] = {
      {"abc", 5}, {"", 5}, {"7 ", 5}, {" 8", 8}, {"-3", -3}, {"$10", 16}, {"150", 150}};
  for (const auto& [text, tax] : taxes) {
    Put("Tax", text);
    EXPECT_EQ(Load().Tax, tax) << text;
  }
  const std::pair<const char*, bool> bools[] = {{"2", true},  {"-1", true},   {"1", true},
                                                {"0", false}, {"yes", false}, {"true", false},
                                                {"", false}};
  for (const auto& [text, value] : bools) {
    Put("AutoTax", text);
    EXPECT_EQ(Load().AutoTax, value) << text;
  }
}

TEST_F(SettingsStoreTest, WrongTypeKeepsItsInitialValueAndTheOthersLoad) {
  Put("File_Kakeibo", "a.csv");
  Put("AutoTax", "1");
  Put("Tax", std::string("\x08\0\0\0", 4), RegType::Other);
  Put("EnterToNext", "1");
  TApSystem r;
  try {
    LoadSettings(registry, r);
    FAIL() << "no error raised";
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "'Tax' のデータ型が不正です");
    EXPECT_EQ(ErrorBoxText(e.what()), "'Tax' のデータ型が不正です.");
  }
  EXPECT_EQ(r.File_Kakeibo, "a.csv");
  EXPECT_TRUE(r.AutoTax);
  EXPECT_EQ(r.Tax, 0) << "not the default 5";
  EXPECT_TRUE(r.EnterToNext) << "read on, so that the save keeps it";

  // The save at exit replaces it with a text and keeps the others.
  SaveSettings(registry, r);
  EXPECT_EQ(Stored("Tax"), std::string("0\0", 2));
  EXPECT_EQ(Stored("EnterToNext"), std::string("1\0", 2));
}

TEST_F(SettingsStoreTest, FailingReadNamesTheValue) {
  Put("File_Kind", "x");
  registry.failRead.insert("File_Kind");
  TApSystem r;
  EXPECT_THROW(
      {
        try {
          LoadSettings(registry, r);
        } catch (const AppError& e) {
          EXPECT_STREQ(e.what(), "'File_Kind' の取得に失敗しました");
          throw;
        }
      },
      AppError);
}

TEST_F(SettingsStoreTest, SaveWritesTenTextValuesThatLoadBack) {
  TApSystem r;
  r.File_Kakeibo = "家計簿.csv";
  r.File_Kind = "";
  r.SaveWindowPos = true;
  r.DelRegistry = true;
  r.InputWindow_Left = -20;
  r.InputWindow_Top = 300;
  r.NextInput = true;
  r.Tax = 8;
  SaveSettings(registry, r);
  const auto& values = registry.Find("Mametan")->values;
  EXPECT_EQ(values.size(), 10u) << "DelRegistry is never stored";
  EXPECT_EQ(Stored("InputWindow_Left"), std::string("-20\0", 4));
  EXPECT_EQ(Stored("SaveWindowPos"), std::string("1\0", 2));
  EXPECT_EQ(Stored("AutoTax"), std::string("0\0", 2));
  for (const auto& [name, value] : values) EXPECT_EQ(value.type, RegType::Sz) << name;

  TApSystem back = Load();
  r.DelRegistry = false;
  EXPECT_EQ(back, r);
}

TEST_F(SettingsStoreTest, FailingSaveRaisesAndKeepsEarlierValues) {
  registry.failSet.insert("AutoTax");
  TApSystem r;
  try {
    SaveSettings(registry, r);
    FAIL();
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "'AutoTax' の設定に失敗しました");
  }
  const auto& values = registry.Find("Mametan")->values;
  EXPECT_EQ(values.count("InputWindow_Top"), 1u);
  EXPECT_EQ(values.count("NextInput"), 0u);

  MemoryRegistry other;
  other.failCreate.insert("Mametan");
  try {
    SaveSettings(other, r);
    FAIL();
  } catch (const AppError& e) {
    EXPECT_STREQ(e.what(), "キー Mametan の作成に失敗しました");
  }
}

TEST_F(SettingsStoreTest, DeleteRemovesNestedKeysAndKeepsCompany) {
  SaveSettings(registry, TApSystem{});
  auto& node = *registry.Find("Mametan");
  node.subkeys["A"] = std::make_shared<MemoryRegistry::Node>();
  node.subkeys["A"]->subkeys["B"] = std::make_shared<MemoryRegistry::Node>();
  node.subkeys["C"] = std::make_shared<MemoryRegistry::Node>();
  registry.Company().subkeys["Other"] = std::make_shared<MemoryRegistry::Node>();
  DeleteSettingsKey(registry);
  EXPECT_EQ(registry.Find("Mametan"), nullptr);
  EXPECT_NE(registry.Find("Other"), nullptr);
  EXPECT_NO_THROW(DeleteSettingsKey(registry)) << "a missing key is silent";
  EXPECT_EQ(Load().Tax, 5);
}

}  // namespace
}  // namespace mametan
