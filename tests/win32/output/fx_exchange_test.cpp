#include "fx_exchange_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_bitmaps.h"

namespace vistrel {
namespace {

using testing::PatternBitmap;
using testing::PatternPixel;
using testing::Pixels;

class FxExchange : public ::testing::Test {
 protected:
  void TearDown() override { SetConvertImage(nullptr); }
};

TEST_F(FxExchange, BitmapSurvivesTheClipboardRoundTrip) {
  HBITMAP source = PatternBitmap(7, 5);
  ASSERT_TRUE(PutBitmapOnClipboard(nullptr, source, true));
  HBITMAP back = CopyBitmapFromClipboard(nullptr);
  ASSERT_NE(back, nullptr);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = Pixels(back, w, h);
  ASSERT_EQ(w, 7);
  ASSERT_EQ(h, 5);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(pixels[y * w + x], PatternPixel(x, y)) << x << "," << y;
  DeleteObject(back);

  // The picture goes over as a DIB; a reader asking for CF_BITMAP gets the same pixels.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(EnumClipboardFormats(0), static_cast<UINT>(CF_DIB));
  HBITMAP made = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(Pixels(made, w, h), pixels);
  CloseClipboard();
  DeleteObject(source);
}

TEST_F(FxExchange, ChangedEffectsGoThroughTheComponentAndComeBack) {
  // A stand-in component: reads the clipboard picture, inverts it, puts it back.
  std::vector<std::string> commands;
  SetConvertImage([&commands](const std::string& command) -> long {
    commands.push_back(command);
    HBITMAP in = CopyBitmapFromClipboard(nullptr);
    if (!in) return 99;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, in);
    BITMAP info{};
    GetObjectA(in, sizeof info, &info);
    PatBlt(dc, 0, 0, info.bmWidth, info.bmHeight, DSTINVERT);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    PutBitmapOnClipboard(nullptr, in, true);
    DeleteObject(in);
    return 0;
  });
  HBITMAP temp = PatternBitmap(4, 3);
  EffectsBoxes boxes;
  boxes.invert = true;
  boxes.scaleTextX = "4";
  HBITMAP fx = nullptr;
  EXPECT_EQ(DoFxWin(nullptr, boxes, {15, 15.0, '.'}, temp, &fx), 0);
  ASSERT_EQ(commands,
            (std::vector<std::string>{"source=clipboard, dest=clipboard,inv=1 ,rot=0,rescale=4pix"}));
  ASSERT_NE(fx, nullptr);
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = Pixels(fx, w, h);
  EXPECT_EQ(pixels[0], ~PatternPixel(0, 0) & 0xFFFFFF);
  EXPECT_EQ(pixels[2 * w + 3], ~PatternPixel(3, 2) & 0xFFFFFF);
  DeleteObject(fx);
  DeleteObject(temp);
}

TEST_F(FxExchange, UnchangedEffectsCopyTempPicWithoutTheComponent) {
  bool called = false;
  SetConvertImage([&called](const std::string&) -> long {
    called = true;
    return 0;
  });
  HBITMAP temp = PatternBitmap(3, 3);
  HBITMAP fx = nullptr;
  EffectsBoxes boxes;
  boxes.scaleTextX = "3";
  EXPECT_EQ(DoFxWin(nullptr, boxes, {15, 15.0, '.'}, temp, &fx), 0);
  EXPECT_FALSE(called);
  ASSERT_NE(fx, nullptr);
  EXPECT_NE(fx, temp) << "FxPic must be its own copy";
  int w = 0, h = 0;
  EXPECT_EQ(Pixels(fx, w, h)[4], PatternPixel(1, 1));
  DeleteObject(fx);
  DeleteObject(temp);
}

TEST_F(FxExchange, MissingComponentIsAnErrorNumberNotSuccess) {
  EXPECT_NE(CallConvertImage("source=clipboard, dest=clipboard"), 0);
  SetConvertImage([](const std::string&) -> long { throw std::runtime_error("boom"); });
  EXPECT_NE(CallConvertImage("source=clipboard, dest=clipboard"), 0);
}

TEST(Hourglass, KnownToTheWindowsWhileAnyIsShownAndGoneWhenRestoredOrDestroyed) {
  EXPECT_FALSE(Hourglass::AnyShown());
  {
    Hourglass outer, inner;
    outer.Show();
    inner.Show();
    inner.Show();  // a second Show is no second hourglass
    inner.Restore();
    EXPECT_TRUE(Hourglass::AnyShown());
  }
  EXPECT_FALSE(Hourglass::AnyShown());
}

}  // namespace
}  // namespace vistrel
