// The autostart box for a user who may not change the Run key: the real
// registry refuses the write (the key's access list denies setting values),
// and the outcome says so and reports the entry as it really is.
#include <windows.h>
#include <aclapi.h>
#include <gtest/gtest.h>

#include <string>

#include "autostart.h"
#include "autostart_win.h"
#include "registry_backend_win.h"
#include "registry_module.h"
#include "setup_settings.h"

namespace vistrel {
namespace {

class AutostartRefusalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAutostartKey, 0,
                            KEY_ALL_ACCESS | READ_CONTROL | WRITE_DAC, &key_),
              ERROR_SUCCESS);
    ASSERT_EQ(GetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &savedAcl_, nullptr, &savedDescriptor_),
              ERROR_SUCCESS);
    SetAutostart(false);
  }
  void TearDown() override {
    SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                    savedAcl_, nullptr);
    RegDeleteValueA(key_, kAutostartValueName);
    LocalFree(savedDescriptor_);
    RegCloseKey(key_);
  }
  // Everyone may read the key but neither set nor delete its values.
  void DenyWrites() {
    EXPLICIT_ACCESSA entries[2] = {};
    entries[0].grfAccessPermissions = KEY_SET_VALUE;
    entries[0].grfAccessMode = DENY_ACCESS;
    entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
    entries[1].grfAccessMode = SET_ACCESS;
    char everyone[] = "EVERYONE";
    for (auto& entry : entries) BuildTrusteeWithNameA(&entry.Trustee, everyone);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclA(2, entries, nullptr, &acl), ERROR_SUCCESS);
    ASSERT_EQ(SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              acl, nullptr),
              ERROR_SUCCESS);
    LocalFree(acl);
  }

  HKEY key_ = nullptr;
  PACL savedAcl_ = nullptr;
  PSECURITY_DESCRIPTOR savedDescriptor_ = nullptr;
};

TEST_F(AutostartRefusalTest, RefusedWriteAndDeleteAreReportedAndTheBoxFollowsTheEntry) {
  const std::string program = ExpectedAutostartData();
  DenyWrites();
  AutostartOutcome outcome = ApplyAutostartBox(SystemRegistry(), true, program);
  EXPECT_FALSE(outcome.isSet);
  EXPECT_NE(outcome.failure.find("only an administrator may change it"), std::string::npos)
      << outcome.failure;
  EXPECT_EQ(SetAutostart(true), ERROR_ACCESS_DENIED);

  // An entry that is there stays, and unticking says so.
  SetSecurityInfo(key_, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, savedAcl_,
                  nullptr);
  ASSERT_EQ(SetAutostart(true), ERROR_SUCCESS);
  DenyWrites();
  outcome = ApplyAutostartBox(SystemRegistry(), false, program);
  EXPECT_TRUE(outcome.isSet);
  EXPECT_NE(outcome.failure.find("could not be taken out"), std::string::npos);
  EXPECT_TRUE(AutostartIsSet());
  // Asking for what is already there needs no write and says nothing.
  EXPECT_EQ(ApplyAutostartBox(SystemRegistry(), true, program).failure, "");
}

}  // namespace
}  // namespace vistrel
