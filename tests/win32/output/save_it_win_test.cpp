#include "save_it_win.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fx_exchange_win.h"
#include "test_bitmaps.h"
#include "test_files.h"

namespace vistrel {
namespace {

using testing::FilesIn;
using testing::PatternBitmap;
using testing::PatternPixel;
using testing::Pixels;

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

// A png file's pixels, top row first, as 0x00RRGGBB; none when it cannot be read.
std::vector<uint32_t> PngPixels(const std::string& path, int& width, int& height) {
  const std::vector<uint8_t> file = ReadAll(path);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_RGB;
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  std::vector<uint32_t> pixels;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3)
    pixels.push_back(uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2]);
  return pixels;
}

// The png written straight from the picture holds its every pixel, in rows
// from the top, across the blocks it is made in (a picture of 700 rows of 300
// pixels spans three); the clipboard and the component are not used: what
// another program put on the clipboard stays there.
TEST(SaveItWin, StraightPngHoldsEveryPixelOfThePictureWithoutTheClipboard) {
  const std::string folder = MakeTempFolder();
  bool componentCalled = false;
  SetConvertImage([&](const std::string&) -> long {
    componentCalled = true;
    return 33211;
  });
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
  std::memcpy(GlobalLock(text), "other", 6);
  GlobalUnlock(text);
  SetClipboardData(CF_TEXT, text);
  CloseClipboard();

  HBITMAP picture = PatternBitmap(300, 700);
  SaveTarget target;
  target.folder = folder;
  target.formatEntry = kFileFormats[3];
  target.straightToFile = true;
  std::string last;
  int width = 0, height = 0;
  const std::vector<uint32_t> expected = Pixels(picture, width, height);
  ASSERT_TRUE(SaveItWin(nullptr, target, picture, last).saved);
  int pngWidth = 0, pngHeight = 0;
  const std::vector<uint32_t> written = PngPixels(last, pngWidth, pngHeight);
  EXPECT_EQ(pngWidth, 300);
  EXPECT_EQ(pngHeight, 700);
  EXPECT_TRUE(written == expected);
  EXPECT_FALSE(componentCalled);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"Vistrel.png"});
  SetConvertImage(nullptr);
  DeleteObject(picture);
}

// A png that cannot be put in place leaves neither the file nor its partial
// one, and the system's cause: into a missing folder, and onto a name a folder
// holds.
TEST(SaveItWin, StraightPngThatCannotBeWrittenLeavesNothing) {
  HBITMAP picture = PatternBitmap(300, 700);
  SetLastError(0);
  EXPECT_FALSE(WritePngFile(picture, "Q:\\no\\such\\folder\\p.png"));
  EXPECT_NE(GetLastError(), 0u);
  const std::string folder = MakeTempFolder();
  ASSERT_TRUE(CreateDirectoryA((folder + "\\p.png").c_str(), nullptr));
  SetLastError(0);
  EXPECT_FALSE(WritePngFile(picture, folder + "\\p.png"));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"p.png"});
  EXPECT_FALSE(WritePngFile(nullptr, folder + "\\q.png"));
  EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"p.png"});
  DeleteObject(picture);
}

}  // namespace
}  // namespace vistrel
