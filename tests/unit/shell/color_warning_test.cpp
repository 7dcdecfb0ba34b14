#include "color_warning.h"

#include <gtest/gtest.h>

#include "fake_store.h"

namespace vistrel {
namespace {

constexpr double k32 = 4294967296.0;

TEST(ColorWarning, CountsAndTexts) {
  EXPECT_EQ(ColorCount(32, 1), k32);
  EXPECT_EQ(ColorCount(8, 1), 256);
  EXPECT_EQ(ColorCount(4, 4), 64);
  EXPECT_EQ(ColorText(65536), "High Color (16bit)");
  EXPECT_EQ(ColorText(k32), "True Color (32bit)");
  EXPECT_EQ(ColorText(256), "256 color");
  EXPECT_EQ(ColorText(16777216), "16777216 color");
  std::string text = ColorWarningMessage(k32, "Tarnwick Vistrel");
  EXPECT_EQ(text.rfind("Windows is currently running in True Color (32bit) mode. \rTarnwick "
                       "Vistrel is running in compatibility mode. Because of this",
                       0),
            0u);
  EXPECT_NE(text.find("(Control Panel / Item \"Display\" You will have to restart Tarnwick "
                      "Vistrel)\r\rDo you want to see this message again?"),
            std::string::npos);
}

TEST(ColorWarning, NoStoredValueShowsNothingAndStoresNothing) {
  FakeStore store;
  EXPECT_FALSE(PrepareColorWarning(store, k32));
  EXPECT_TRUE(store.writes.empty());
}

TEST(ColorWarning, ArmedOn32BitShowsAndNoSwitchesItOffUntilTheDepthChanges) {
  FakeStore store;
  store.SaveSetting("Divers", "ColorWarning", "-1");
  store.writes.clear();
  ASSERT_TRUE(PrepareColorWarning(store, k32));
  EXPECT_FALSE(AnswerColorWarning(store, k32, WarningAnswer::No, false));
  EXPECT_EQ(store.GetSetting("Divers", "ColorWarning", ""), "4294967296");

  // Next start at the same depth: nothing.
  EXPECT_FALSE(PrepareColorWarning(store, k32));
  // A start at 16 bits re-arms without showing...
  EXPECT_FALSE(PrepareColorWarning(store, 65536));
  EXPECT_EQ(store.GetSetting("Divers", "ColorWarning", ""), "-1");
  // ...and the next 32-bit start shows it again.
  EXPECT_TRUE(PrepareColorWarning(store, k32));
}

TEST(ColorWarning, OtherDepthsNeverShowWhateverIsStored) {
  for (double count : {65536.0, 16777216.0, 256.0}) {
    for (const char* stored : {"-1", "4294967296", "junk"}) {
      FakeStore store;
      store.SaveSetting("Divers", "ColorWarning", stored);
      EXPECT_FALSE(PrepareColorWarning(store, count)) << count << " " << stored;
    }
  }
}

TEST(ColorWarning, AnswersAndSafeColor) {
  FakeStore store;
  EXPECT_FALSE(AnswerColorWarning(store, k32, WarningAnswer::Yes, false));
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(AnswerColorWarning(store, k32, WarningAnswer::Cancel, false));
  EXPECT_TRUE(store.writes.empty());
  // SafeColor ends the program whatever the answer, before the answer counts.
  for (auto answer : {WarningAnswer::Yes, WarningAnswer::No, WarningAnswer::Cancel}) {
    FakeStore safe;
    EXPECT_TRUE(AnswerColorWarning(safe, k32, answer, true));
    EXPECT_TRUE(safe.writes.empty());
  }
}

}  // namespace
}  // namespace vistrel
