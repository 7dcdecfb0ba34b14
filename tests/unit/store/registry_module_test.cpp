// mdlRegistry's read and write semantics, which the autostart entry and the
// mail settings finder rely on.
#include "registry_module.h"

#include <gtest/gtest.h>

#include "memory_registry.h"

namespace vistrel {
namespace {

constexpr char kKey[] = "Software\\Test\\Module";

class RegistryModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(registry_.Create(Hive::CurrentUser, kKey)); }

  void Plant(std::string_view name, uint32_t type, std::vector<uint8_t> bytes) {
    auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::All);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->Set(name, type, bytes.data(), bytes.size()), kStatusSuccess);
  }

  RegistryValue Raw(std::string_view name) {
    RegistryValue value;
    auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::Read);
    if (key) key->Query(name, value);
    return value;
  }

  MemoryRegistry registry_;
};

TEST_F(RegistryModuleTest, TextRoundTripKeepsTheTerminatingZero) {
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "Path", std::string("C:\\A b"),
                          kRegSz);
  // Stored with the zero, counted in the length.
  const RegistryValue raw = Raw("path");
  EXPECT_EQ(raw.type, kRegSz);
  EXPECT_EQ(raw.data, (std::vector<uint8_t>{'C', ':', '\\', 'A', ' ', 'b', 0}));
  // Read back with the zero as its last character.
  const RegistryData read = mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "PATH");
  ASSERT_TRUE(std::holds_alternative<std::string>(read));
  EXPECT_EQ(std::get<std::string>(read), std::string("C:\\A b\0", 7));
}

TEST_F(RegistryModuleTest, EmptyTextIsStoredAsALoneZero) {
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "E", std::string(), kRegSz);
  EXPECT_EQ(Raw("E").data, std::vector<uint8_t>{0});
  const RegistryData read = mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "E");
  EXPECT_EQ(std::get<std::string>(read), std::string(1, '\0'));
}

TEST_F(RegistryModuleTest, DwordReadsAsTheInteger) {
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "N", int32_t{-2}, kRegDword);
  EXPECT_EQ(Raw("N").data, (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
  RegistryData read = mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "N");
  ASSERT_TRUE(std::holds_alternative<int32_t>(read));
  EXPECT_EQ(std::get<int32_t>(read), -2);

  Plant("Big", kRegDword, {0x78, 0x56, 0x34, 0x12});
  read = mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "Big");
  EXPECT_EQ(std::get<int32_t>(read), 0x12345678);
}

TEST_F(RegistryModuleTest, OddSizedDwordsAreReadSafely) {
  // A foreign writer may store fewer or more than four bytes; neither may
  // read past the data or overrun the integer.
  Plant("Short", kRegDword, {0x05});
  Plant("Long", kRegDword, {1, 0, 0, 0, 0xAA, 0xBB});
  EXPECT_EQ(std::get<int32_t>(mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "Short")),
            5);
  EXPECT_EQ(std::get<int32_t>(mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "Long")),
            1);
}

TEST_F(RegistryModuleTest, OtherTypesGiveMinusOneAndLeaveTheValueAlone) {
  Plant("Raw", kRegBinary, {1, 2, 3});
  Plant("Expand", kRegExpandSz, {'%', 'X', '%', 0});
  auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::Read);
  ASSERT_TRUE(key);
  RegistryData value = std::string("before");
  EXPECT_EQ(mdlRegistry::QueryValueEx(*key, "Raw", value), kStatusUnreadableType);
  EXPECT_EQ(std::get<std::string>(value), "before");
  EXPECT_EQ(mdlRegistry::QueryValueEx(*key, "Expand", value), kStatusUnreadableType);
  EXPECT_EQ(std::get<std::string>(value), "before");
  EXPECT_TRUE(IsEmpty(mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "Raw")));
}

TEST_F(RegistryModuleTest, MissingValueReportsStatusAndLeavesTheValueAlone) {
  auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::Read);
  ASSERT_TRUE(key);
  RegistryData value = int32_t{7};
  EXPECT_EQ(mdlRegistry::QueryValueEx(*key, "Nothing", value), kStatusNotFound);
  EXPECT_EQ(std::get<int32_t>(value), 7);
}

TEST_F(RegistryModuleTest, SetValueExWritesNothingForOtherTypes) {
  auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::All);
  ASSERT_TRUE(key);
  EXPECT_EQ(mdlRegistry::SetValueEx(*key, "B", kRegBinary, std::string("abc")),
            kStatusUnreadableType);
  EXPECT_EQ(registry_.ValueCount(), 0u);
}

TEST_F(RegistryModuleTest, SetValueExConvertsBetweenTextAndNumber) {
  auto key = registry_.Open(Hive::CurrentUser, kKey, RegistryAccess::All);
  ASSERT_TRUE(key);
  EXPECT_EQ(mdlRegistry::SetValueEx(*key, "S", kRegSz, int32_t{-1}), kStatusSuccess);
  EXPECT_EQ(Raw("S").data, (std::vector<uint8_t>{'-', '1', 0}));
  EXPECT_EQ(mdlRegistry::SetValueEx(*key, "D", kRegDword, std::string("300")), kStatusSuccess);
  EXPECT_EQ(Raw("D").data, (std::vector<uint8_t>{0x2C, 0x01, 0, 0}));
  // A number that does not fit in 32 bits is refused, not wrapped.
  EXPECT_EQ(mdlRegistry::SetValueEx(*key, "X", kRegDword, std::string("1e12")),
            kStatusInvalidParameter);
  EXPECT_EQ(Raw("X").type, kRegNone);
}

TEST_F(RegistryModuleTest, KeyThatCannotBeOpenedMakesEveryOperationANoOp) {
  constexpr char kMissing[] = "Software\\Test\\Missing";
  EXPECT_TRUE(IsEmpty(mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kMissing, "v")));
  // Storing does not create the key.
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kMissing, "v", std::string("x"), kRegSz);
  EXPECT_FALSE(registry_.KeyExists(Hive::CurrentUser, kMissing));
  mdlRegistry::DeleteValue(registry_, Hive::CurrentUser, kMissing, "v");
  EXPECT_EQ(registry_.ValueCount(), 0u);
}

TEST_F(RegistryModuleTest, ReadingNeedsOnlyReadAccess) {
  // A user who may not write the hive must still see what is stored there.
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "v", std::string("kept"), kRegSz);
  registry_.DenyWrites(Hive::CurrentUser);
  const RegistryData read = mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "v");
  EXPECT_EQ(std::get<std::string>(read), std::string("kept\0", 5));
  // Writing and deleting quietly do nothing.
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "v", std::string("new"), kRegSz);
  mdlRegistry::DeleteValue(registry_, Hive::CurrentUser, kKey, "v");
  EXPECT_EQ(Raw("v").data, (std::vector<uint8_t>{'k', 'e', 'p', 't', 0}));
}

TEST_F(RegistryModuleTest, DeleteValueRemovesIt) {
  mdlRegistry::StoreValue(registry_, Hive::CurrentUser, kKey, "v", std::string("x"), kRegSz);
  mdlRegistry::DeleteValue(registry_, Hive::CurrentUser, kKey, "V");
  EXPECT_TRUE(IsEmpty(mdlRegistry::QueryValue(registry_, Hive::CurrentUser, kKey, "v")));
}

TEST_F(RegistryModuleTest, ValueTextDropsTheZeroAndReadsAbsenceAsEmpty) {
  Plant("Server", kRegSz, {'s', 'm', 't', 'p', 0});
  Plant("NoZero", kRegSz, {'a', 'b'});
  Plant("Port", kRegDword, {25, 0, 0, 0});
  Plant("Raw", kRegBinary, {'x', 0});
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, kKey, "server"), "smtp");
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, kKey, "NoZero"), "ab");
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, kKey, "Port"), "25");
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, kKey, "Raw"), "");
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, kKey, "Absent"), "");
  EXPECT_EQ(QueryValueText(registry_, Hive::CurrentUser, "Software\\None", "Server"), "");
}

}  // namespace
}  // namespace vistrel
