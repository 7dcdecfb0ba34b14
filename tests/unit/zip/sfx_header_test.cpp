#include <gtest/gtest.h>

#include "sfx_header.h"

namespace vistlib::zip {
namespace {

TEST(SfxHeader, DefaultSettingsGiveCaptionOnlyAndZeroReservedBytes) {
  const std::optional<SfxHeader> header = BuildSfxHeader(ZipSettings{});
  ASSERT_TRUE(header);
  const SfxHeader& h = *header;
  EXPECT_EQ(std::string(h.begin(), h.begin() + 3), "MPU");
  EXPECT_EQ(h[3], 0);
  EXPECT_EQ(h[4], 23);
  EXPECT_EQ(h[5], 0);
  EXPECT_EQ(h[6], 0);
  EXPECT_EQ(std::string(h.begin() + 7, h.begin() + 30), "Self-extracting Archive");
  for (std::size_t i = 30; i < h.size(); ++i) ASSERT_EQ(h[i], 0) << i;
}

TEST(SfxHeader, TextsFollowEachOtherInOrder) {
  ZipSettings s;
  s.SFXCaption = "Cap";
  s.SFXDefaultDir = "C:\\dir";
  s.SFXCommandLine = "run.exe";
  const SfxHeader h = *BuildSfxHeader(s);
  EXPECT_EQ(h[4], 3);
  EXPECT_EQ(h[5], 6);
  EXPECT_EQ(h[6], 7);
  EXPECT_EQ(std::string(h.begin() + 7, h.begin() + 23), "CapC:\\dirrun.exe");
  EXPECT_EQ(h[23], 0);
}

TEST(SfxHeader, EachOptionHasItsBit) {
  auto flags = [](auto configure) {
    ZipSettings s;
    configure(s);
    return BuildSfxHeader(s)->at(3);
  };
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOptions = {SFXAskCmdLine}; }), 0x01);
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOptions = {SFXAskFiles}; }), 0x02);
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOptions = {SFXHideOverWriteBox}; }), 0x04);
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOverWriteMode = OvrAlways; }), 0x08);
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOverWriteMode = OvrNever; }), 0x10);
  EXPECT_EQ(flags([](ZipSettings& s) { s.SFXOverWriteMode = OvrConfirm; }), 0x00);
  EXPECT_EQ(flags([](ZipSettings& s) {
              s.SFXOptions = {SFXAskCmdLine, SFXAskFiles, SFXHideOverWriteBox};
              s.SFXOverWriteMode = OvrNever;
            }),
            0x17);
}

TEST(SfxHeader, TextsMayTakeAtMost249Bytes) {
  ZipSettings s;
  s.SFXCaption = std::string(200, 'c');
  s.SFXDefaultDir = std::string(40, 'd');
  s.SFXCommandLine = std::string(9, 'l');
  const std::optional<SfxHeader> full = BuildSfxHeader(s);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->at(255), 'l');  // the last byte is the command line's last
  s.SFXCommandLine += 'l';
  EXPECT_FALSE(BuildSfxHeader(s));
}

}  // namespace
}  // namespace vistlib::zip
