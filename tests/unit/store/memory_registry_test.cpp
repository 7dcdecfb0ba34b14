// The in-memory registry must address values the way the real one does, or
// tests on it prove nothing about the product.
#include "memory_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace vistrel {
namespace {

RegistryValue Text(const std::string& text) {
  RegistryValue value;
  value.type = kRegSz;
  value.data.assign(text.begin(), text.end());
  return value;
}

TEST(MemoryRegistry, KeysAndValuesMatchWithoutRegardToCase) {
  MemoryRegistry registry;
  auto created = registry.Create(Hive::CurrentUser, "Software\\Alpha\\Beta");
  ASSERT_TRUE(created);
  ASSERT_EQ(created->Set("Last", kRegSz, "x", 1), kStatusSuccess);

  auto opened = registry.Open(Hive::CurrentUser, "SOFTWARE\\alpha\\BETA", RegistryAccess::Read);
  ASSERT_TRUE(opened);
  RegistryValue value;
  EXPECT_EQ(opened->Query("last", value), kStatusSuccess);
  EXPECT_EQ(value.type, kRegSz);
  EXPECT_EQ(value.data, Text("x").data);

  // Writing under another spelling replaces the value rather than adding one.
  ASSERT_EQ(created->Set("LAST", kRegSz, "y", 1), kStatusSuccess);
  EXPECT_EQ(registry.ValueCount(), 1u);
  // And creating the key again under another spelling finds the same key.
  auto again = registry.Create(Hive::CurrentUser, "software\\ALPHA\\beta");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Query("Last", value), kStatusSuccess);
  EXPECT_EQ(value.data, Text("y").data);
}

TEST(MemoryRegistry, MalformedPathsAreRefused) {
  MemoryRegistry registry;
  long status = 0;
  EXPECT_FALSE(registry.Create(Hive::CurrentUser, "A\\\\B", &status));
  EXPECT_EQ(status, kStatusInvalidParameter);
  EXPECT_FALSE(registry.Create(Hive::CurrentUser, "\\A", &status));
  // A trailing backslash names the same key.
  ASSERT_TRUE(registry.Create(Hive::CurrentUser, "A\\B\\"));
  EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, "A\\B"));
}

TEST(MemoryRegistry, ReadOnlyHiveAllowsReadingOnly) {
  MemoryRegistry registry;
  auto key = registry.Create(Hive::LocalMachine, "K");
  ASSERT_TRUE(key);
  ASSERT_EQ(key->Set("v", kRegSz, "1", 1), kStatusSuccess);
  registry.DenyWrites(Hive::LocalMachine);

  long status = 0;
  EXPECT_FALSE(registry.Open(Hive::LocalMachine, "K", RegistryAccess::All, &status));
  EXPECT_EQ(status, kStatusAccessDenied);
  EXPECT_FALSE(registry.Create(Hive::LocalMachine, "K\\Sub", &status));
  EXPECT_EQ(status, kStatusAccessDenied);

  auto reader = registry.Open(Hive::LocalMachine, "K", RegistryAccess::Read);
  ASSERT_TRUE(reader);
  RegistryValue value;
  EXPECT_EQ(reader->Query("v", value), kStatusSuccess);
  // A key opened for reading cannot be used to write.
  EXPECT_EQ(reader->Set("v", kRegSz, "2", 1), kStatusAccessDenied);
  EXPECT_EQ(reader->Delete("v"), kStatusAccessDenied);
  // The other hive is unaffected.
  EXPECT_TRUE(registry.Create(Hive::CurrentUser, "K"));
}

}  // namespace
}  // namespace vistrel
