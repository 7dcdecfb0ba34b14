// The per-user settings store: where values land, how they are found again,
// and what a reader gets when nothing (or something odd) is stored.
#include <gtest/gtest.h>

#include "memory_settings_store.h"

namespace vistrel {
namespace {

constexpr char kDivers[] = "Software\\VB and VBA Program Settings\\Tarnwick Vistrel\\Divers";

RegistryValue Raw(MemoryRegistry& registry, std::string_view path, std::string_view name) {
  RegistryValue value;
  auto key = registry.Open(Hive::CurrentUser, path, RegistryAccess::Read);
  if (key) key->Query(name, value);
  return value;
}

TEST(SettingsStore, EmptyStoreGivesDefaultsAndWritesNothing) {
  MemorySettingsStore store;
  EXPECT_EQ(store.GetSetting("Divers", "NewbieTip", "True"), "True");
  EXPECT_EQ(store.GetSetting("Mail", "SMTP_Server", ""), "");
  EXPECT_EQ(store.GetSetting("Divers", "ScaleSystem", "0"), "0");
  EXPECT_EQ(store.Registry().ValueCount(), 0u);
  EXPECT_FALSE(
      store.Registry().KeyExists(Hive::CurrentUser, "Software\\VB and VBA Program Settings"));
}

TEST(SettingsStore, SaveLandsAsTextWithItsZeroUnderTheApplicationAndSection) {
  MemorySettingsStore store;
  store.SaveSetting("Divers", "Path", "C:\\Shots");
  EXPECT_TRUE(store.LastSaveSucceeded());
  const RegistryValue raw = Raw(store.Registry(), kDivers, "Path");
  EXPECT_EQ(raw.type, kRegSz);
  EXPECT_EQ(raw.data, (std::vector<uint8_t>{'C', ':', '\\', 'S', 'h', 'o', 't', 's', 0}));
  // Read back without the zero.
  EXPECT_EQ(store.GetSetting("Divers", "Path", "x"), "C:\\Shots");
}

TEST(SettingsStore, NamesMatchWithoutRegardToCase) {
  MemorySettingsStore store;
  store.SaveSetting("Addressbook", "Last", "3");
  EXPECT_EQ(store.GetSetting("addressbook", "last", "0"), "3");
  store.SaveSetting("ADDRESSBOOK", "LAST", "4");
  EXPECT_EQ(store.GetSetting("Addressbook", "Last", "0"), "4");
  EXPECT_EQ(store.Registry().ValueCount(), 1u);

  // The application name too: another spelling of the title reads the same values.
  MemorySettingsStore other("TARNWICK VISTREL");
  other.SaveSetting("Divers", "Name", "shot");
  BackendSettingsStore sameRegistry(other.Registry());
  EXPECT_EQ(sameRegistry.GetSetting("divers", "name", ""), "shot");
}

TEST(SettingsStore, MissingValueInAnExistingSectionGivesTheDefault) {
  MemorySettingsStore store;
  store.SaveSetting("Show", "0", "True");
  EXPECT_EQ(store.GetSetting("Show", "1", "False"), "False");
  EXPECT_EQ(store.GetSetting("Automate", "0", "False"), "False");
}

TEST(SettingsStore, EmptyTextIsAValueNotAMissingOne) {
  MemorySettingsStore store;
  store.SaveSetting("Mail", "Reply_Address", "");
  EXPECT_EQ(store.GetSetting("Mail", "Reply_Address", "default"), "");
}

TEST(SettingsStore, ForeignValuesReadSensibly) {
  MemorySettingsStore store;
  auto key = store.Registry().Create(Hive::CurrentUser, kDivers);
  ASSERT_TRUE(key);
  // Text stored without its zero keeps every character.
  key->Set("NoZero", kRegSz, "abc", 3);
  // A number stored as a DWORD reads as its decimal text.
  const uint8_t minusOne[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  key->Set("Dword", kRegDword, minusOne, 4);
  // Raw bytes are not a setting: the default comes back.
  key->Set("Bytes", kRegBinary, "abc", 3);
  // Text with an inner zero ends there.
  key->Set("Inner", kRegSz, "ab\0cd", 6);

  EXPECT_EQ(store.GetSetting("Divers", "NoZero", "d"), "abc");
  EXPECT_EQ(store.GetSetting("Divers", "Dword", "d"), "-1");
  EXPECT_EQ(store.GetSetting("Divers", "Bytes", "d"), "d");
  EXPECT_EQ(store.GetSetting("Divers", "Inner", "d"), "ab");
}

TEST(SettingsStore, EmptyNamesAreNotSettings) {
  MemorySettingsStore store;
  store.SaveSetting("", "Key", "x");
  EXPECT_FALSE(store.LastSaveSucceeded());
  store.SaveSetting("Divers", "", "x");
  EXPECT_FALSE(store.LastSaveSucceeded());
  EXPECT_EQ(store.Registry().ValueCount(), 0u);
  EXPECT_EQ(store.GetSetting("", "Key", "d"), "d");
}

TEST(SettingsStore, RefusedWriteIsReportedAndLosesNothingStored) {
  MemorySettingsStore store;
  store.SaveSetting("Divers", "Name", "old");
  store.Registry().DenyWrites(Hive::CurrentUser);
  store.SaveSetting("Divers", "Name", "new");
  EXPECT_FALSE(store.LastSaveSucceeded());
  EXPECT_EQ(store.GetSetting("Divers", "Name", ""), "old");
}

TEST(SettingIsTrue, ReadsBothBooleanForms) {
  for (const char* text : {"True", "true", "TRUE", "-1", "1", "2", "0.5", " -1 ", "+3", "1,5"}) {
    EXPECT_TRUE(SettingIsTrue(text)) << text;
  }
  for (const char* text : {"False", "false", "0", "-0", "0.0", " 0 ", ""}) {
    EXPECT_FALSE(SettingIsTrue(text)) << text;
  }
}

TEST(SettingIsTrue, DamagedTextReadsAsFalse) {
  for (const char* text : {"abc", "Truex", "1x", "yes", "--1", "- 1"}) {
    EXPECT_FALSE(SettingIsTrue(text)) << text;
  }
}

}  // namespace
}  // namespace vistrel
