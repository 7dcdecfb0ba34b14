#include "auto_file_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vistrel {
namespace {

SaveTarget Target(std::string folder, int format = 0) {
  SaveTarget target;
  target.folder = std::move(folder);
  target.formatEntry = kFileFormats[format];
  return target;
}

FileExistsFn Existing(std::set<std::string> files) {
  return [files = std::move(files)](const std::string& path) { return files.count(path) > 0; };
}

TEST(AutoFileName, DriveRootGetsNoSecondBackslash) {
  EXPECT_EQ(AutoFileName(Target("C:\\"), Existing({})), "C:\\Vistrel.bmp");
  EXPECT_EQ(AutoFileName(Target("C:\\Pics"), Existing({})), "C:\\Pics\\Vistrel.bmp");
}

TEST(AutoFileName, TakesTheFirstFreeNumberIncludingGaps) {
  SaveTarget target = Target("C:\\Pics");
  EXPECT_EQ(AutoFileName(target, Existing({"C:\\Pics\\Vistrel.bmp", "C:\\Pics\\Vistrel1.bmp"})),
            "C:\\Pics\\Vistrel2.bmp");
  EXPECT_EQ(AutoFileName(target, Existing({"C:\\Pics\\Vistrel.bmp", "C:\\Pics\\Vistrel2.bmp"})),
            "C:\\Pics\\Vistrel1.bmp");
  // Only the unnumbered name taken: the numbering starts at 1, not 0.
  EXPECT_EQ(AutoFileName(target, Existing({"C:\\Pics\\Vistrel.bmp"})), "C:\\Pics\\Vistrel1.bmp");
}

TEST(AutoFileName, AnotherFormatRestartsTheNumbering) {
  FileExistsFn exists = Existing({"C:\\Pics\\Vistrel.bmp", "C:\\Pics\\Vistrel1.bmp"});
  EXPECT_EQ(AutoFileName(Target("C:\\Pics", 1), exists), "C:\\Pics\\Vistrel.jpg");
  EXPECT_EQ(AutoFileName(Target("C:\\Pics", 5), exists), "C:\\Pics\\Vistrel.dcx");
}

TEST(AutoFileName, ArchiveModeUsesOneFixedName) {
  SaveTarget target = Target("C:\\Pics", 1);
  target.compressSave = true;
  FileExistsFn exists = Existing({"C:\\Pics\\Vistrel.zip", "C:\\Pics\\Vistrel.jpg"});
  EXPECT_EQ(AutoFileName(target, exists), "C:\\Pics\\Vistrel.zip");
  target.compileZipSave = true;
  EXPECT_EQ(AutoFileName(target, exists), "C:\\Pics\\Vistrel.exe");
  // The executable box alone means nothing while compression is off.
  target.compressSave = false;
  EXPECT_EQ(AutoFileName(target, exists), "C:\\Pics\\Vistrel1.jpg");
}

TEST(AutoFileName, FormatListAndArchiveTest) {
  ASSERT_EQ(kFileFormats.size(), 6u);
  const char* extensions[] = {"bmp", "jpg", "tif", "png", "pcx", "dcx"};
  for (size_t i = 0; i < kFileFormats.size(); ++i) {
    EXPECT_EQ(FormatExtension(kFileFormats[i]), extensions[i]);
  }
  EXPECT_TRUE(IsArchivePath("C:\\a\\Vistrel.ZIP"));
  EXPECT_TRUE(IsArchivePath("C:\\a\\Vistrel.exe"));
  EXPECT_FALSE(IsArchivePath("C:\\a\\Vistrel.jpg"));
  EXPECT_FALSE(IsArchivePath("ip"));
}

}  // namespace
}  // namespace vistrel
