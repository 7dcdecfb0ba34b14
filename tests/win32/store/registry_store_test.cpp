// The settings store and the registry module on the real registry: what they
// write must be what reg.exe sees, and what reg.exe writes must read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "program_settings_win.h"
#include "reg_tool_win.h"
#include "registry_backend_win.h"
#include "registry_module.h"
#include "registry_settings_store_win.h"

namespace vistrel {
namespace {

using test::RegKeyExists;
using test::RegQuery;
using test::RunReg;

constexpr char kVbRoot[] = "Software\\VB and VBA Program Settings";

// Each run files its values under its own names and removes them afterwards.
std::string RunTag() { return std::to_string(GetCurrentProcessId()); }

class RegistrySettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, AppPath().c_str()); }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, AppPath().c_str()); }

  std::string AppPath() const { return std::string(kVbRoot) + "\\" + application_; }
  std::string SectionForReg(const std::string& section) const {
    return "HKCU\\" + AppPath() + "\\" + section;
  }

  std::string application_ = "Vistrel Store Test " + RunTag();
};

TEST_F(RegistrySettingsStoreTest, SavedSettingIsARegSzValueRegSees) {
  RegistrySettingsStore store(application_);
  store.SaveSetting("Divers", "Path", "C:\\My Shots, 2");
  ASSERT_TRUE(store.LastSaveSucceeded());
  const auto seen = RegQuery(SectionForReg("Divers"), "Path");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->type, "REG_SZ");
  EXPECT_EQ(seen->data, "C:\\My Shots, 2");
  EXPECT_EQ(store.GetSetting("Divers", "Path", ""), "C:\\My Shots, 2");

  // The stored size counts the terminating zero, as every REG_SZ writer does.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (AppPath() + "\\Divers").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, sizeof "C:\\My Shots, 2");
}

TEST_F(RegistrySettingsStoreTest, ValuesWrittenByRegReadBackWhateverTheCase) {
  ASSERT_EQ(RunReg("add \"" + SectionForReg("Addressbook") + "\" /v Last /t REG_SZ /d 5 /f"), 0);
  RegistrySettingsStore store(application_);
  EXPECT_EQ(store.GetSetting("ADDRESSBOOK", "last", "0"), "5");
  RegistrySettingsStore otherSpelling("VISTREL STORE TEST " + RunTag());
  EXPECT_EQ(otherSpelling.GetSetting("addressbook", "LAST", "0"), "5");

  // Saving under another spelling overwrites the one value.
  store.SaveSetting("addressBook", "LAST", "6");
  const auto seen = RegQuery(SectionForReg("Addressbook"), "Last");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->data, "6");
}

TEST_F(RegistrySettingsStoreTest, MissingSettingsGiveDefaultsAndCreateNothing) {
  RegistrySettingsStore store(application_);
  EXPECT_EQ(store.GetSetting("Divers", "NewbieTip", "True"), "True");
  EXPECT_EQ(store.GetSetting("Mail", "SMTP_Server", ""), "");
  EXPECT_FALSE(RegKeyExists("HKCU\\" + AppPath()));
  store.SaveSetting("Divers", "Name", "x");
  EXPECT_EQ(store.GetSetting("Divers", "Other", "dflt"), "dflt");
}

TEST(ProgramSettings, IsOneStoreFiledUnderTheProgramTitle) {
  const std::string section = "Store Test " + RunTag();
  const std::string sectionPath = std::string(kVbRoot) + "\\Tarnwick Vistrel\\" + section;
  SettingsStore& settings = ProgramSettings();
  EXPECT_EQ(&settings, &ProgramSettings());
  settings.SaveSetting(section, "ShowCursor", "False");
  const auto seen = RegQuery("HKCU\\" + sectionPath, "ShowCursor");
  RegDeleteTreeA(HKEY_CURRENT_USER, sectionPath.c_str());
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->type, "REG_SZ");
  EXPECT_EQ(seen->data, "False");
}

class RegistryModuleOnRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    ASSERT_TRUE(SystemRegistry().Create(Hive::CurrentUser, path_));
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str()); }

  std::string path_ = "Software\\Vistrel Store Test " + RunTag() + "\\Module";
  std::string forReg_ = "HKCU\\" + path_;
};

TEST_F(RegistryModuleOnRegistry, StoredTextRegSeesAndQueryReadsWithItsZero) {
  mdlRegistry::StoreValue(SystemRegistry(), Hive::CurrentUser, path_, "Tarnwick Vistrel",
                          std::string("C:\\Program Files\\Vistrel\\vistrel.exe"), kRegSz);
  const auto seen = RegQuery(forReg_, "Tarnwick Vistrel");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->type, "REG_SZ");
  EXPECT_EQ(seen->data, "C:\\Program Files\\Vistrel\\vistrel.exe");
  const RegistryData read =
      mdlRegistry::QueryValue(SystemRegistry(), Hive::CurrentUser, path_, "tarnwick vistrel");
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_EQ(std::get<std::string>(read),
            std::string("C:\\Program Files\\Vistrel\\vistrel.exe") + std::string(1, '\0'));
}

TEST_F(RegistryModuleOnRegistry, DwordsBothWays) {
  mdlRegistry::StoreValue(SystemRegistry(), Hive::CurrentUser, path_, "Mine", int32_t{305419896},
                          kRegDword);
  const auto seen = RegQuery(forReg_, "Mine");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->type, "REG_DWORD");
  EXPECT_EQ(seen->data, "0x12345678");

  ASSERT_EQ(RunReg("add \"" + forReg_ + "\" /v Theirs /t REG_DWORD /d 4294967295 /f"), 0);
  const RegistryData read =
      mdlRegistry::QueryValue(SystemRegistry(), Hive::CurrentUser, path_, "Theirs");
  ASSERT_TRUE(std::holds_alternative<int32_t>(read));
  EXPECT_EQ(std::get<int32_t>(read), -1);
}

TEST_F(RegistryModuleOnRegistry, OtherTypesReadAsEmptyWithMinusOne) {
  ASSERT_EQ(RunReg("add \"" + forReg_ + "\" /v Raw /t REG_BINARY /d 0A0B0C /f"), 0);
  EXPECT_TRUE(IsEmpty(mdlRegistry::QueryValue(SystemRegistry(), Hive::CurrentUser, path_, "Raw")));
  const auto key = SystemRegistry().Open(Hive::CurrentUser, path_, RegistryAccess::Read);
  ASSERT_TRUE(key);
  RegistryData value = std::string("untouched");
  EXPECT_EQ(mdlRegistry::QueryValueEx(*key, "Raw", value), kStatusUnreadableType);
  EXPECT_EQ(std::get<std::string>(value), "untouched");
  EXPECT_EQ(mdlRegistry::QueryValueEx(*key, "Absent", value), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryModuleOnRegistry, LongTextReadsWhole) {
  const std::string text(5000, 'q');
  mdlRegistry::StoreValue(SystemRegistry(), Hive::CurrentUser, path_, "Long", text, kRegSz);
  const RegistryData read =
      mdlRegistry::QueryValue(SystemRegistry(), Hive::CurrentUser, path_, "Long");
  EXPECT_EQ(std::get<std::string>(read), text + std::string(1, '\0'));
}

TEST_F(RegistryModuleOnRegistry, MissingKeyIsANoOpAndDeleteRemoves) {
  const std::string missing = path_ + "\\Missing";
  mdlRegistry::StoreValue(SystemRegistry(), Hive::CurrentUser, missing, "v", std::string("x"),
                          kRegSz);
  EXPECT_FALSE(RegKeyExists("HKCU\\" + missing));
  EXPECT_TRUE(IsEmpty(mdlRegistry::QueryValue(SystemRegistry(), Hive::CurrentUser, missing, "v")));
  mdlRegistry::DeleteValue(SystemRegistry(), Hive::CurrentUser, missing, "v");

  mdlRegistry::StoreValue(SystemRegistry(), Hive::CurrentUser, path_, "v", std::string("x"),
                          kRegSz);
  ASSERT_TRUE(RegQuery(forReg_, "v"));
  mdlRegistry::DeleteValue(SystemRegistry(), Hive::CurrentUser, path_, "V");
  EXPECT_FALSE(RegQuery(forReg_, "v"));
}

}  // namespace
}  // namespace vistrel
