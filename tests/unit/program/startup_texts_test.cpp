#include "startup_texts.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shell_state.h"

namespace vistrel {
namespace {

TEST(StartupTexts, FixedTextsKeepTheirExactWording) {
  EXPECT_EQ(VersionLabel(), "Version: 99.0  revision 55");
  EXPECT_EQ(AlreadyRunningText(kAppTitle), "Tarnwick Vistrel already runnig.");
  std::string tip = NewbieTipText();
  EXPECT_EQ(tip.rfind("To make a screen-shot you will have the following possibilites (after "
                      "closing this message box): \r\r1. Press your print-screen key\r\r",
                      0),
            0u);
  EXPECT_NE(tip.find("select \"Make screen-shot\"\r\r\rDo you want"), std::string::npos);
  EXPECT_TRUE(tip.ends_with("You have to close this message box to try the above."));
  std::string refused = CaptureRefusedText();
  EXPECT_EQ(refused.rfind("Cannot make screenshots while one of the program's windows is open.", 0),
            0u);
  EXPECT_NE(refused.find("Setup"), std::string::npos);
}

TEST(StartupTexts, TrayTipIsTerminatedAndPaddedWithSpaces) {
  TrayTipField field = TrayTip(kAppTitle, 99);
  const char expected[] = "Tarnwick Vistrel 99 -Hit PrintScreen-key!";
  EXPECT_STREQ(field.data(), expected);
  for (size_t i = sizeof expected; i < 63; ++i) EXPECT_EQ(field[i], ' ') << i;
  EXPECT_EQ(field[63], '\0');

  // A title so long that the text fills the field still ends in a zero byte.
  TrayTipField longTip = TrayTip(std::string(80, 'x'), 99);
  EXPECT_EQ(longTip[63], '\0');
  EXPECT_EQ(std::strlen(longTip.data()), 63u);
}

TEST(StartupTexts, CommandLineWords) {
  EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\vistrel.exe\"  setup "), "setup");
  EXPECT_EQ(ArgumentsOf("vistrel.exe SafeColor"), "SafeColor");
  EXPECT_EQ(ArgumentsOf("vistrel.exe"), "");
  EXPECT_EQ(ArgumentsOf("\"unterminated"), "");

  EXPECT_TRUE(IsSafeColor("SafeColor"));
  EXPECT_FALSE(IsSafeColor("safecolor"));
  EXPECT_FALSE(IsSafeColor("SafeColor x"));
  EXPECT_TRUE(IsSetup("SETUP"));
  EXPECT_FALSE(IsSetup("setup2"));
  EXPECT_TRUE(IsShootYourself("shootyourself"));
  EXPECT_FALSE(IsShootYourself(""));
}

TEST(FileExists, TrueOnlyForFilesThatOpen) {
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists("/nonexistent/dir/splash.dat"));
  std::string path = testing::TempDir() + "file_exists_probe.dat";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(FileExists(path));
  std::remove(path.c_str());
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace vistrel
