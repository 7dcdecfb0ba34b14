// The autostart entry in the real HKEY_LOCAL_MACHINE Run key. The test puts
// back whatever entry was there before it ran.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "autostart.h"
#include "autostart_win.h"
#include "reg_tool_win.h"
#include "registry_backend_win.h"
#include "registry_module.h"

namespace vistrel {
namespace {

using test::RegQuery;
using test::RunReg;

const std::string kRunForReg = std::string("HKLM\\") + kAutostartKey;

class AutostartRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const RegistryData before = mdlRegistry::QueryValue(SystemRegistry(), Hive::LocalMachine,
                                                        kAutostartKey, kAutostartValueName);
    if (const auto* text = std::get_if<std::string>(&before)) saved_ = *text;
    DeleteAutostartEntry(SystemRegistry());
  }
  void TearDown() override {
    DeleteAutostartEntry(SystemRegistry());
    if (saved_) {
      const auto key =
          SystemRegistry().Open(Hive::LocalMachine, kAutostartKey, RegistryAccess::All);
      if (key) key->Set(kAutostartValueName, kRegSz, saved_->data(), saved_->size());
    }
  }

  std::optional<std::string> saved_;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST_F(AutostartRegistryTest, ExpectedDataIsThisExecutablesFullPath) {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(Lower(ExpectedAutostartData()), Lower(std::string(path, length)));
}

TEST_F(AutostartRegistryTest, SetWritesTheEntryRegSeesAndClearRemovesIt) {
  EXPECT_FALSE(AutostartIsSet());
  SetAutostart(true);
  const auto seen = RegQuery(kRunForReg, kAutostartValueName);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->type, "REG_SZ");
  EXPECT_EQ(seen->data, ExpectedAutostartData());
  EXPECT_TRUE(AutostartIsSet());

  SetAutostart(false);
  EXPECT_FALSE(RegQuery(kRunForReg, kAutostartValueName));
  EXPECT_FALSE(AutostartIsSet());
}

TEST_F(AutostartRegistryTest, EntryWrittenByRegInOtherCaseCounts) {
  const std::string upper = [] {
    std::string text = ExpectedAutostartData();
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  }();
  ASSERT_EQ(RunReg("add \"" + kRunForReg + "\" /v \"" + kAutostartValueName + "\" /t REG_SZ /d \"" +
                   upper + "\" /f"),
            0);
  EXPECT_TRUE(AutostartIsSet());
}

TEST_F(AutostartRegistryTest, EntryForAnotherProgramDoesNotCount) {
  ASSERT_EQ(RunReg("add \"" + kRunForReg + "\" /v \"" + kAutostartValueName +
                   "\" /t REG_SZ /d \"C:\\Elsewhere\\vistrel.exe\" /f"),
            0);
  EXPECT_FALSE(AutostartIsSet());
}

}  // namespace
}  // namespace vistrel
