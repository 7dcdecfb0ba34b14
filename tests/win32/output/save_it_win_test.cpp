#include "save_it_win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fx_exchange_win.h"
#include "test_bitmaps.h"

namespace vistrel {
namespace {

using testing::PatternBitmap;
using testing::PatternPixel;

std::string MakeTempFolder() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  std::string folder = std::string(base) + "vistrel_save_" + std::to_string(GetCurrentProcessId()) +
                       "_" + std::to_string(GetTickCount());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SaveItWin, BitmapFileHoldsThePictureBottomRowFirst) {
  std::string folder = MakeTempFolder();
  HBITMAP picture = PatternBitmap(5, 3);
  std::string path = folder + "\\p.bmp";
  ASSERT_TRUE(WriteBitmapFile(picture, path));
  std::vector<uint8_t> file = ReadAll(path);
  ASSERT_EQ(file.size(), 54u + 16u * 3u);
  EXPECT_EQ(file[28], 24);
  // First stored row is the bottom one (y = 2); pixels are blue, green, red.
  uint32_t p = PatternPixel(1, 2);
  EXPECT_EQ(file[54 + 3], p & 0xFF);
  EXPECT_EQ(file[54 + 4], (p >> 8) & 0xFF);
  EXPECT_EQ(file[54 + 5], p >> 16);
  EXPECT_FALSE(FileCanBeRead(path + ".part"));
  DeleteObject(picture);
}

TEST(SaveItWin, UnwritableFolderFailsAndLeavesNothing) {
  HBITMAP picture = PatternBitmap(2, 2);
  EXPECT_FALSE(WriteBitmapFile(picture, "Q:\\no\\such\\folder\\p.bmp"));
  EXPECT_FALSE(WriteBitmapFile(nullptr, MakeTempFolder() + "\\p.bmp"));
  DeleteObject(picture);
}

TEST(SaveItWin, SavingTwiceNumbersTheSecondFile) {
  std::string folder = MakeTempFolder();
  HBITMAP picture = PatternBitmap(3, 2);
  SaveTarget target;
  target.folder = folder;
  std::string last;
  SaveOutcome first = SaveItWin(nullptr, target, picture, last);
  EXPECT_TRUE(first.saved);
  EXPECT_EQ(last, folder + "\\Vistrel.bmp");
  EXPECT_EQ(first.saveName, folder + "\\Vistrel1.bmp");
  SaveItWin(nullptr, target, picture, last);
  EXPECT_EQ(last, folder + "\\Vistrel1.bmp");
  EXPECT_TRUE(FileCanBeRead(folder + "\\Vistrel.bmp"));
  EXPECT_TRUE(FileCanBeRead(folder + "\\Vistrel1.bmp"));
  EXPECT_EQ(AutoFileNameWin(target), folder + "\\Vistrel2.bmp");
  DeleteObject(picture);
}

TEST(SaveItWin, OtherFormatsAreWrittenByTheComponentFromTheClipboard) {
  std::string folder = MakeTempFolder();
  std::string seenCommand;
  int seenWidth = 0;
  SetConvertImage([&](const std::string& command) -> long {
    seenCommand = command;
    HBITMAP on = CopyBitmapFromClipboard(nullptr);
    BITMAP info{};
    if (on) GetObjectA(on, sizeof info, &info);
    seenWidth = info.bmWidth;
    DeleteObject(on);
    std::ofstream(command.substr(command.find("dest=") + 5)) << "png";
    return 0;
  });
  HBITMAP picture = PatternBitmap(6, 2);
  SaveTarget target;
  target.folder = folder;
  target.formatEntry = kFileFormats[3];
  std::string last;
  EXPECT_TRUE(SaveItWin(nullptr, target, picture, last).saved);
  EXPECT_EQ(seenCommand, "source=clipboard, dest=" + folder + "\\Vistrel.png");
  EXPECT_EQ(seenWidth, 6);
  EXPECT_EQ(last, folder + "\\Vistrel.png");
  SetConvertImage(nullptr);
  DeleteObject(picture);
}

}  // namespace
}  // namespace vistrel
