// Transfer: the editor's image reaches the clipboard as CF_BITMAP (with
// CF_PALETTE when it has a palette), replacing whatever was there; the capture
// itself is promised and copied when asked for. GivePicture hands the same
// picture to the caller.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "clipboard_transfer_win.h"
#include "engine_state_win.h"
#include "engine_test_support_win.h"
#include "engine_texts.h"
#include "vistlib.h"

namespace {

using enginetest::MessageRecorder;
using enginetest::NotifyWindow;
using enginetest::Pixels;

class TransferTest : public ::testing::Test {
 protected:
  void SetUp() override { Init(reinterpret_cast<vistlib::WindowHandle>(notify.get())); }
  void TearDown() override { Quit(); }

  static void PutText(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(memory), text, strlen(text) + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
  }
  static Pixels ClipboardPixels() {
    Pixels pixels;
    if (!OpenClipboard(nullptr)) return pixels;
    pixels = enginetest::ReadPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    return pixels;
  }

  MessageRecorder messages;
  NotifyWindow notify;
};

TEST_F(TransferTest, PutsACopyOfTheCaptureOnTheClipboard) {
  enginetest::PaintedWindow window("transfer", {100, 100, 300, 300}, RGB(250, 128, 1));
  enginetest::Drain(notify.get());
  PutText("old");
  Cheese("0");
  Transfer();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  // A true-colour display has no palette, so none is handed out.
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_PALETTE));
  Pixels clip = ClipboardPixels();
  Pixels capture = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  EXPECT_EQ(clip.width, capture.width);
  EXPECT_EQ(clip.height, capture.height);
  EXPECT_TRUE(clip.argb == capture.argb);
  EXPECT_EQ(clip.At(200, 200), enginetest::Rgb(250, 128, 1));
  // The engine keeps its own image: a second Transfer still works.
  Transfer();
  EXPECT_TRUE(ClipboardPixels().argb == capture.argb);
}

TEST_F(TransferTest, PutsTheEditorsCurrentImageNotTheCapture) {
  Cheese("0");
  // What the editor's crop leaves behind: a smaller image of its own.
  HDC screen = GetDC(nullptr);
  HBITMAP cropped = CreateCompatibleBitmap(screen, 40, 30);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, cropped);
  RECT all{0, 0, 40, 30};
  HBRUSH brush = CreateSolidBrush(RGB(7, 8, 9));
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  vistlib::Engine().EditorImage.bitmap.reset(cropped);

  Transfer();
  Pixels clip = ClipboardPixels();
  EXPECT_EQ(clip.width, 40);
  EXPECT_EQ(clip.height, 30);
  EXPECT_EQ(clip.At(39, 29), enginetest::Rgb(7, 8, 9));

  // The next capture replaces what the editor left: no stale crop goes out.
  Cheese("0");
  Transfer();
  clip = ClipboardPixels();
  EXPECT_EQ(clip.width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(clip.height, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(TransferTest, APromisedCaptureIsTheCaptureOfItsTransferWhateverComesAfter) {
  enginetest::PaintedWindow window("promise", {100, 100, 300, 300}, RGB(3, 200, 90));
  enginetest::Drain(notify.get());
  Cheese("0");
  const Pixels capture = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  Transfer();
  // The editor changing its image later does not change what was handed out.
  HDC screen = GetDC(nullptr);
  vistlib::Engine().EditorImage.bitmap.reset(CreateCompatibleBitmap(screen, 10, 10));
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(ClipboardPixels().argb == capture.argb);

  // The next capture takes the promise back: nothing, rather than another picture.
  Transfer();  // the editor's image, placed at once
  Cheese("0");
  Transfer();
  Cheese("0");
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));

  // The library's end keeps its promise: the capture stays on the clipboard.
  Transfer();
  const Pixels last = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  Quit();
  EXPECT_TRUE(ClipboardPixels().argb == last.argb);
  Init(reinterpret_cast<vistlib::WindowHandle>(notify.get()));
}

TEST_F(TransferTest, GivePictureHandsOverACopyWithoutTheClipboard) {
  vistlib::BitmapHandle none = 1;
  GivePicture(&none);
  EXPECT_EQ(none, 0u) << "no capture yet";

  Cheese("0");
  PutText("another program's");
  vistlib::BitmapHandle given = 0;
  GivePicture(&given);
  ASSERT_NE(given, 0u);
  const auto bitmap = reinterpret_cast<HBITMAP>(given);
  EXPECT_NE(bitmap, vistlib::Engine().CaptureBitmap.bitmap.get());
  EXPECT_TRUE(enginetest::ReadPixels(bitmap).argb ==
              enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get()).argb);
  EXPECT_TRUE(DeleteObject(bitmap)) << "the caller owns the copy";
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT)) << "the clipboard is left alone";
}

TEST_F(TransferTest, ImageWithAPaletteAlsoGivesACopyOfThePalette) {
  Cheese("0");
  struct {
    LOGPALETTE header;
    PALETTEENTRY more[2];
  } logical{};
  logical.header.palVersion = 0x300;
  logical.header.palNumEntries = 3;
  PALETTEENTRY* entries = logical.header.palPalEntry;
  entries[0] = {10, 20, 30, 0};
  entries[1] = {40, 50, 60, 0};
  entries[2] = {70, 80, 90, 0};
  // On a palette display the capture has one; the editor's image is the capture.
  vistlib::Engine().CaptureBitmap.palette.reset(CreatePalette(&logical.header));
  Transfer();
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_PALETTE));
  ASSERT_TRUE(OpenClipboard(nullptr));
  auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
  PALETTEENTRY read[3]{};
  UINT count = palette ? GetPaletteEntries(palette, 0, 3, read) : 0;
  CloseClipboard();
  EXPECT_NE(palette, vistlib::Engine().CaptureBitmap.palette.get());
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(read[2].peRed, 70);
  EXPECT_EQ(read[2].peBlue, 90);
}

TEST_F(TransferTest, NoImageYetLeavesTheClipboardEmptyRatherThanStale) {
  // As in a library just loaded: no capture, and the editor holds no image.
  vistlib::Engine().CaptureBitmap = vistlib::Picture();
  vistlib::Engine().EditorImage = vistlib::Picture();
  PutText("stale");
  Transfer();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(TransferTest, WaitsForAClipboardHeldBrieflyAndReportsOneHeldForLong) {
  Cheese("0");
  auto holdFor = [](DWORD ms, HANDLE opened) {
    return std::thread([ms, opened] {
      bool open = OpenClipboard(nullptr);
      SetEvent(opened);
      Sleep(ms);
      if (open) CloseClipboard();
    });
  };
  HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread brief = holdFor(150, opened);
  WaitForSingleObject(opened, 5000);
  Transfer();
  brief.join();
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

  ResetEvent(opened);
  std::thread longer = holdFor(2500, opened);
  WaitForSingleObject(opened, 5000);
  Transfer();
  longer.join();
  CloseHandle(opened);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0], vistlib::kNoClipboardText);
}

}  // namespace
