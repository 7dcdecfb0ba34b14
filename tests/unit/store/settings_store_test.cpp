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
  const RegistryValue raw = Raw(store.Registry(), kDivers, "Name");
  EXPECT_EQ(raw.data, (std::vector<uint8_t>{'o', 'l', 'd', 0}));
}

// A registry that refuses every write, as a key whose access list grants only
// reading: one report for the whole session, and the session keeps its choices.
TEST(SettingsStore, RefusedWritesAreReportedOnceAndKeptForTheSession) {
  struct Save {
    const char *section, *key, *value;
  };
  const Save saves[] = {
      {"Divers", "FileFormat", "3"},   {"Divers", "FileFormat", "3"},
      {"Divers", "Path", "C:\\Shots"}, {"Show", "2", "0"},
      {"Divers", "FileFormat", "4"},
  };
  MemorySettingsStore store;
  store.SaveSetting("Divers", "FileFormat", "1");
  store.Registry().DenyWrites(Hive::CurrentUser);
  std::vector<BackendSettingsStore::Refusal> reports;
  store.OnFirstRefusal([&](const BackendSettingsStore::Refusal& r) { reports.push_back(r); });
  for (const Save& save : saves) {
    store.SaveSetting(save.section, save.key, save.value);
    EXPECT_FALSE(store.LastSaveSucceeded()) << save.key;
    EXPECT_EQ(store.GetSetting(save.section, save.key, "none"), save.value) << save.key;
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].keyPath, kDivers);
  EXPECT_EQ(reports[0].status, kStatusAccessDenied);
  EXPECT_EQ(Raw(store.Registry(), kDivers, "FileFormat").data, (std::vector<uint8_t>{'1', 0}));

  // Writable again: the value lands and the registry is the truth once more.
  store.Registry().DenyWrites(Hive::CurrentUser, false);
  store.SaveSetting("Divers", "FileFormat", "5");
  EXPECT_TRUE(store.LastSaveSucceeded());
  EXPECT_EQ(store.GetSetting("divers", "fileformat", ""), "5");
  EXPECT_EQ(reports.size(), 1u);
}

// Counts the writes that reach the registry (each save creates or opens its section).
class CountingRegistry : public RegistryBackend {
 public:
  std::unique_ptr<RegistryKey> Open(Hive hive, std::string_view path, RegistryAccess access,
                                    long* status) override {
    return inner.Open(hive, path, access, status);
  }
  std::unique_ptr<RegistryKey> Create(Hive hive, std::string_view path, long* status) override {
    ++writes;
    return inner.Create(hive, path, status);
  }
  MemoryRegistry inner;
  int writes = 0;
};

TEST(SettingsStore, ValueKnownToBeStoredIsNotWrittenAgain) {
  CountingRegistry registry;
  BackendSettingsStore store(registry);
  store.SaveSetting("Show", "0", "1");
  store.SaveSetting("SHOW", "0", "1");  // names without regard to case
  EXPECT_TRUE(store.LastSaveSucceeded());
  EXPECT_EQ(registry.writes, 1);
  store.SaveSetting("Show", "0", "0");
  EXPECT_EQ(registry.writes, 2);
  EXPECT_EQ(store.GetSetting("Show", "0", "x"), "0");

  // A value read just as the store writes it is known as well.
  registry.inner.Create(Hive::CurrentUser, kDivers)->Set("Name", kRegSz, "shot", 5);
  EXPECT_EQ(store.GetSetting("Divers", "Name", ""), "shot");
  store.SaveSetting("Divers", "Name", "shot");
  EXPECT_EQ(registry.writes, 2);
}

TEST(SettingsStore, EveryValueNotKnownToBeStoredIsWritten) {
  // Each case leaves the registry in a state where skipping the save would
  // leave something other than the text value the save asks for.
  struct Case {
    const char* what;
    uint32_t type;
    std::string bytes;  // what stands in the registry before the read; empty: nothing
  };
  const Case cases[] = {
      {"missing, read as its default", kRegNone, ""},
      {"text without its zero", kRegSz, std::string("1", 1)},
      {"a number stored as a DWORD", kRegDword, std::string("\x01\0\0\0", 4)},
      {"expandable text", kRegExpandSz, std::string("1\0", 2)},
  };
  for (const Case& c : cases) {
    CountingRegistry registry;
    BackendSettingsStore store(registry);
    if (!c.bytes.empty())
      registry.inner.Create(Hive::CurrentUser, kDivers)
          ->Set("Rotate", c.type, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(store.GetSetting("Divers", "Rotate", "1"), "1") << c.what;
    const int before = registry.writes;
    store.SaveSetting("Divers", "Rotate", "1");
    EXPECT_EQ(registry.writes, before + 1) << c.what;
    const RegistryValue raw = Raw(registry.inner, kDivers, "Rotate");
    EXPECT_EQ(raw.type, kRegSz) << c.what;
    EXPECT_EQ(raw.data, (std::vector<uint8_t>{'1', 0})) << c.what;
  }

  // Changed by someone else and read again: the store writes its value back.
  CountingRegistry registry;
  BackendSettingsStore store(registry);
  store.SaveSetting("Divers", "Rotate", "90");
  registry.inner.Create(Hive::CurrentUser, kDivers)->Set("Rotate", kRegSz, "0", 2);
  EXPECT_EQ(store.GetSetting("Divers", "Rotate", ""), "0");
  store.SaveSetting("Divers", "Rotate", "90");
  EXPECT_EQ(store.GetSetting("Divers", "Rotate", ""), "90");
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
