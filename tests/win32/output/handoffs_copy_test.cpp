// "Copy screen-shot to clipboard" on the real clipboard, read back by a reader
// that asks for each format in turn, after another program has put its own
// picture and text there.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "handoffs_win.h"
#include "test_bitmaps.h"

namespace vistrel::wizard {
namespace {

using vistrel::testing::PatternBitmap;
using vistrel::testing::PatternPixel;
using vistrel::testing::Pixels;

constexpr int kWidth = 7, kHeight = 5;  // odd: padded 24-bit rows

class ClipboardOwner {
 public:
  ClipboardOwner()
      : window_(CreateWindowExA(0, "STATIC", "copy test", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr)) {}
  ~ClipboardOwner() { DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

std::vector<uint8_t> Bytes(HANDLE block) {
  std::vector<uint8_t> bytes;
  if (block == nullptr) return bytes;
  const auto* data = static_cast<const uint8_t*>(GlobalLock(block));
  if (data != nullptr) bytes.assign(data, data + GlobalSize(block));
  GlobalUnlock(block);
  return bytes;
}

HGLOBAL Block(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(block), data, size);
  GlobalUnlock(block);
  return block;
}

// Another program's picture (a solid green bitmap and a PNG block) and a text.
void AnotherProgramsPicture(HWND owner) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HDC screen = GetDC(nullptr);
  HBITMAP green = CreateCompatibleBitmap(screen, 4, 4);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, green);
  RECT all{0, 0, 4, 4};
  HBRUSH brush = CreateSolidBrush(RGB(0, 200, 0));
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  SetClipboardData(CF_BITMAP, green);
  const char png[] = "\x89PNG\r\n\x1a\n another program's picture";
  SetClipboardData(RegisterClipboardFormatA("PNG"), Block(png, sizeof png));
  SetClipboardData(CF_TEXT, Block("a text", 7));
  CloseClipboard();
}

// The pixels of a packed DIB of 24 or 32 bits, bottom-up, top row first.
std::vector<uint32_t> DibPixels(const std::vector<uint8_t>& dib, int bitCount) {
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  const size_t offset =
      header->biSize +
      (header->biSize == sizeof(BITMAPINFOHEADER) && header->biCompression == BI_BITFIELDS ? 12
                                                                                           : 0);
  const int bytes = bitCount / 8;
  const size_t stride = (static_cast<size_t>(header->biWidth) * bytes + 3) & ~size_t{3};
  std::vector<uint32_t> pixels;
  for (int y = 0; y < header->biHeight; ++y) {
    const uint8_t* row = dib.data() + offset + (header->biHeight - 1 - y) * stride;
    for (int x = 0; x < header->biWidth; ++x, row += bytes)
      pixels.push_back(row[2] << 16 | row[1] << 8 | row[0]);
  }
  return pixels;
}

std::vector<uint32_t> Pattern() {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels.push_back(PatternPixel(x, y));
  return pixels;
}

TEST(CopyToClipboard, ReplacesAnotherProgramsPictureInEveryFormat) {
  ClipboardOwner owner;
  AnotherProgramsPicture(owner.get());
  HBITMAP picture = PatternBitmap(kWidth, kHeight);
  CopyToClipboard(owner.get(), picture, false);
  DeleteObject(picture);

  ASSERT_TRUE(OpenClipboard(owner.get()));
  std::vector<UINT> formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  const bool textStayed = IsClipboardFormatAvailable(CF_TEXT) != 0;
  const std::vector<uint8_t> dib = Bytes(GetClipboardData(CF_DIB));
  const std::vector<uint8_t> v5 = Bytes(GetClipboardData(CF_DIBV5));
  const std::vector<uint8_t> png = Bytes(GetClipboardData(RegisterClipboardFormatA("PNG")));
  int width = 0, height = 0;
  const std::vector<uint32_t> bitmap =
      Pixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), width, height);
  CloseClipboard();

  EXPECT_FALSE(textStayed) << "the clipboard was not emptied first";
  ASSERT_GE(formats.size(), 3u);
  ASSERT_GT(dib.size(), sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(DibPixels(dib, 24), Pattern()) << "CF_DIB";
  ASSERT_GT(v5.size(), sizeof(BITMAPV5HEADER));
  const auto* v5Header = reinterpret_cast<const BITMAPV5HEADER*>(v5.data());
  EXPECT_EQ(v5Header->bV5Size, sizeof(BITMAPV5HEADER));
  EXPECT_EQ(v5Header->bV5BitCount, 32);
  EXPECT_EQ(v5Header->bV5AlphaMask, 0xFF000000u);
  EXPECT_EQ(DibPixels(v5, 32), Pattern()) << "CF_DIBV5";
  // Windows makes the bitmap from our DIB, not from the other program's.
  EXPECT_EQ(width, kWidth);
  EXPECT_EQ(bitmap, Pattern()) << "CF_BITMAP";
  // Ours: a whole PNG file (its header chunk names the size), not the other program's bytes.
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(png[19], kWidth);
  EXPECT_EQ(png[23], kHeight);
}

}  // namespace
}  // namespace vistrel::wizard
