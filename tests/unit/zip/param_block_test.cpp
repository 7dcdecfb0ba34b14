// The block the packer reads: fixed values, and each option landing in its
// own field (a swapped field would make the packer do something else).
#include <gtest/gtest.h>

#include <cstring>

#include "param_block_builder.h"

namespace vistlib::zip {
namespace {

int32_t ZIPDLL_CALL NoCallback(CallbackRecord*) { return 0; }

ParamBlockBuilder Build(const ZipSettings& settings, std::vector<std::string> specs = {"C:\\a.bmp"}) {
  static int caller;
  return ParamBlockBuilder(settings, reinterpret_cast<void*>(0x1234), &caller, &NoCallback, specs,
                           "C:\\out\\a.zip");
}

TEST(ParamBlock, DefaultSettingsGiveTheFixedValues) {
  ZipSettings settings;
  ParamBlockBuilder builder = Build(settings, {"C:\\x\\a.bmp", "b.txt"});
  const ParamBlock& b = *builder.Block();
  EXPECT_EQ(b.handle, reinterpret_cast<void*>(0x1234));
  EXPECT_EQ(b.version, 140);
  EXPECT_EQ(b.check, 7);
  EXPECT_EQ(b.callback, &NoCallback);
  EXPECT_EQ(b.level, 9);
  EXPECT_EQ(b.noDirEntries, -1);
  EXPECT_EQ(b.quiet, -1);
  EXPECT_EQ(b.grow, -1);
  EXPECT_EQ(b.junkDirNames, -1);
  for (int32_t f : {b.trace, b.reserved24, b.encrypt, b.systemFiles, b.flag36, b.flag40, b.flag48,
                    b.verbose, b.flag64, b.flag68, b.recurse, b.forceDos, b.move, b.flag92, b.update,
                    b.freshen, b.flag104, b.latestTime, b.reserved112[0], b.reserved112[1]}) {
    EXPECT_EQ(f, 0);
  }
  EXPECT_STREQ(b.password, "");
  EXPECT_STREQ(b.archivePath, "C:\\out\\a.zip");
  ASSERT_EQ(b.specCount, 2);
  EXPECT_STREQ(b.specs[0], "C:\\x\\a.bmp");
  EXPECT_STREQ(b.specs[1], "b.txt");
  EXPECT_EQ(b.specs[2], nullptr);
}

TEST(ParamBlock, EachOptionSetsItsOwnField) {
  struct Case {
    AddOption option;
    int32_t ParamBlock::*field;
    int32_t expected;
  };
  const Case cases[] = {
      {AddDirNames, &ParamBlock::junkDirNames, 0},   {AddRecurseDirs, &ParamBlock::recurse, -1},
      {AddMove, &ParamBlock::move, -1},              {AddFreshen, &ParamBlock::freshen, -1},
      {AddUpdate, &ParamBlock::update, -1},          {AddZipTime, &ParamBlock::latestTime, -1},
      {AddForceDOS, &ParamBlock::forceDos, -1},      {AddHiddenFiles, &ParamBlock::systemFiles, -1},
      {AddEncrypt, &ParamBlock::encrypt, -1},
  };
  ZipSettings plain;
  ParamBlockBuilder base = Build(plain);
  for (const Case& c : cases) {
    ZipSettings settings;
    settings.AddOptions.Include(c.option);
    ParamBlockBuilder builder = Build(settings);
    EXPECT_EQ(builder.Block()->*c.field, c.expected) << "option " << c.option;
    // No other field moves.
    int changed = 0;
    for (const Case& other : cases) {
      if (builder.Block()->*other.field != base.Block()->*other.field) ++changed;
    }
    EXPECT_EQ(changed, 1) << "option " << c.option;
  }
}

TEST(ParamBlock, UpdateWinsOverFreshenAndTraceImpliesVerbose) {
  ZipSettings settings;
  settings.AddOptions = {AddUpdate, AddFreshen};
  settings.Trace = true;
  ParamBlockBuilder builder = Build(settings);
  EXPECT_EQ(builder.Block()->update, -1);
  EXPECT_EQ(builder.Block()->freshen, 0);
  EXPECT_EQ(builder.Block()->trace, -1);
  EXPECT_EQ(builder.Block()->verbose, -1);
}

TEST(ParamBlock, StringsAreCopiedIntoOwnTerminatedBuffers) {
  ZipSettings settings;
  settings.Password = std::string(80, 'p');
  std::string spec(255, 's');
  ParamBlockBuilder builder = Build(settings, {spec});
  spec[0] = 'X';  // the caller's string may change after the fill
  EXPECT_EQ(std::strlen(builder.Block()->password), 80u);
  EXPECT_EQ(std::string(builder.Block()->specs[0]), std::string(255, 's'));
  EXPECT_TRUE(ParamBlockBuilder::Fits(std::string(255, 'a'), kPathBufferSize));
  EXPECT_FALSE(ParamBlockBuilder::Fits(std::string(256, 'a'), kPathBufferSize));
}

}  // namespace
}  // namespace vistlib::zip
