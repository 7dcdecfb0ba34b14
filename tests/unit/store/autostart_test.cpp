// The autostart entry: written, recognised, removed, and still recognised by a
// user who may only read HKEY_LOCAL_MACHINE.
#include "autostart.h"

#include <gtest/gtest.h>

#include "memory_registry.h"
#include "registry_module.h"

namespace vistrel {
namespace {

constexpr char kProgram[] = "C:\\Program Files\\Vistrel\\vistrel.exe";

class AutostartTest : public ::testing::Test {
 protected:
  // Windows always has the Run key.
  void SetUp() override { ASSERT_TRUE(registry_.Create(Hive::LocalMachine, kAutostartKey)); }
  MemoryRegistry registry_;
};

TEST(AutostartData, JoinsDirectoryNameAndExtension) {
  EXPECT_EQ(AutostartData("C:\\Program Files\\Vistrel", "vistrel"), kProgram);
  // At a drive's root the directory already ends in a backslash.
  EXPECT_EQ(AutostartData("D:\\", "vistrel"), "D:\\vistrel.exe");
}

TEST_F(AutostartTest, WrittenEntryReadsBackWithoutItsZeroAndMatches) {
  EXPECT_FALSE(AutostartEntryMatches(registry_, kProgram));
  WriteAutostartEntry(registry_, kProgram);
  EXPECT_EQ(ReadAutostartEntry(registry_), kProgram);
  EXPECT_TRUE(AutostartEntryMatches(registry_, kProgram));
  EXPECT_TRUE(AutostartEntryMatches(registry_, "c:\\PROGRAM FILES\\vistrel\\VISTREL.EXE"));
  EXPECT_FALSE(AutostartEntryMatches(registry_, "C:\\Program Files\\Vistrel\\vistrel.ex"));
  EXPECT_FALSE(AutostartEntryMatches(registry_, "C:\\Other\\vistrel.exe"));
}

TEST_F(AutostartTest, DeletedEntryNoLongerMatches) {
  WriteAutostartEntry(registry_, kProgram);
  DeleteAutostartEntry(registry_);
  EXPECT_EQ(ReadAutostartEntry(registry_), "");
  EXPECT_FALSE(AutostartEntryMatches(registry_, kProgram));
  // Deleting an absent entry is harmless.
  DeleteAutostartEntry(registry_);
}

TEST_F(AutostartTest, ReadOnlyUserStillSeesTheEntry) {
  WriteAutostartEntry(registry_, kProgram);
  registry_.DenyWrites(Hive::LocalMachine);
  EXPECT_TRUE(AutostartEntryMatches(registry_, kProgram));
  // And cannot change it, without any failure surfacing.
  DeleteAutostartEntry(registry_);
  WriteAutostartEntry(registry_, "C:\\Elsewhere\\vistrel.exe");
  EXPECT_TRUE(AutostartEntryMatches(registry_, kProgram));
}

TEST_F(AutostartTest, EntryWithoutItsZeroKeepsItsLastCharacter) {
  auto key = registry_.Open(Hive::LocalMachine, kAutostartKey, RegistryAccess::All);
  ASSERT_TRUE(key);
  const std::string data = kProgram;
  key->Set(kAutostartValueName, kRegSz, data.data(), data.size());
  EXPECT_TRUE(AutostartEntryMatches(registry_, kProgram));
}

TEST_F(AutostartTest, EntryOfAnotherTypeIsNotOurs) {
  auto key = registry_.Open(Hive::LocalMachine, kAutostartKey, RegistryAccess::All);
  ASSERT_TRUE(key);
  const uint8_t one[4] = {1, 0, 0, 0};
  key->Set(kAutostartValueName, kRegDword, one, 4);
  EXPECT_EQ(ReadAutostartEntry(registry_), "");
  EXPECT_FALSE(AutostartEntryMatches(registry_, kProgram));
  // An empty text entry matches nothing, not even an empty expectation.
  WriteAutostartEntry(registry_, "");
  EXPECT_FALSE(AutostartEntryMatches(registry_, ""));
}

TEST(Autostart, MissingRunKeyIsNotCreated) {
  MemoryRegistry registry;
  WriteAutostartEntry(registry, kProgram);
  EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, kAutostartKey));
  EXPECT_FALSE(AutostartEntryMatches(registry, kProgram));
}

}  // namespace
}  // namespace vistrel
