// Cheese on real windows: the table's entries, order and names; the active
// window; the cursor; the cap; the capture's pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "capture_win.h"
#include "engine_state_win.h"
#include "engine_test_support_win.h"
#include "engine_texts.h"
#include "monitor_layout.h"
#include "vistlib.h"

namespace {

using enginetest::MessageRecorder;
using enginetest::NotifyWindow;
using enginetest::PaintedWindow;
using enginetest::Pixels;
using enginetest::PumpUntil;
using enginetest::Rgb;

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { Init(reinterpret_cast<vistlib::WindowHandle>(notify.get())); }
  void TearDown() override { Quit(); }

  const vistlib::WindowTable& Table() const { return vistlib::Engine().Table; }
  // The window's index in the table, 0 when it is not there.
  int IndexOf(HWND window) const {
    const vistlib::WindowTable& t = Table();
    for (int i = 1; i <= t.WindowCount; ++i) {
      if (t.WindowHandles[i] == reinterpret_cast<uintptr_t>(window)) return i;
    }
    return 0;
  }
  static vistrel::Rect RectOf(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return vistrel::Rect{r.left, r.top, r.right, r.bottom};
  }

  MessageRecorder messages;
  NotifyWindow notify;
};

HWND Control(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
             HWND parent) {
  return CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST_F(CaptureTest, TableHoldsVisibleWindowsAndTheirControlsInPaintingOrder) {
  PaintedWindow lower("  Engine test lower \t", {100, 100, 500, 400}, RGB(200, 0, 0));
  HWND form = lower.get();
  HWND top = Control("STATIC", "top control", WS_VISIBLE, 10, 10, 120, 40, form);
  HWND bottom = Control("BUTTON", "", WS_VISIBLE, 20, 60, 120, 40, form);
  HWND hidden = Control("STATIC", "hidden", 0, 10, 110, 50, 20, form);
  HWND disabled = Control("BUTTON", "disabled", WS_VISIBLE | WS_DISABLED, 10, 140, 50, 20, form);
  HWND empty = Control("STATIC", "zero size", WS_VISIBLE, 10, 170, 0, 0, form);
  HWND grandchild = Control("STATIC", "grandchild", WS_VISIBLE, 2, 2, 30, 10, top);
  SetWindowPos(bottom, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PaintedWindow upper("", {300, 200, 700, 600}, RGB(0, 0, 200));
  PaintedWindow thin("thin", {50, 50, 50, 300}, RGB(0, 200, 0));
  HWND thinChild = Control("STATIC", "child of thin", WS_VISIBLE, 0, 0, 20, 20, thin.get());
  PaintedWindow minimised("minimised", {50, 50, 300, 300}, RGB(0, 200, 0),
                          WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ShowWindow(minimised.get(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(minimised.get()));
  enginetest::Drain(notify.get());

  Cheese("0");

  const vistlib::WindowTable& t = Table();
  int at = IndexOf(form);
  ASSERT_GT(at, 0);
  EXPECT_EQ(t.WindowNames[at], "Engine test lower");
  EXPECT_EQ(t.WindowRects[at], RectOf(form));
  // The controls follow at once, the bottom one first.
  ASSERT_EQ(IndexOf(bottom), at + 1);
  ASSERT_EQ(IndexOf(top), at + 2);
  EXPECT_EQ(t.WindowNames[at + 1], "Control");
  EXPECT_EQ(t.WindowNames[at + 2], "top control");
  EXPECT_EQ(t.WindowRects[at + 1], RectOf(bottom));
  EXPECT_EQ(t.WindowRects[at + 2], RectOf(top));
  for (HWND absent :
       {hidden, disabled, empty, grandchild, thin.get(), thinChild, minimised.get()}) {
    EXPECT_EQ(IndexOf(absent), 0);
  }
  // The window above comes later, under its empty title.
  int upperAt = IndexOf(upper.get());
  ASSERT_GT(upperAt, at + 2);
  EXPECT_EQ(t.WindowNames[upperAt], "");
  // The engine's own message window is never in the table.
  EXPECT_EQ(IndexOf(vistlib::Engine().MsgForm->Handle()), 0);
  for (int i = t.WindowCount + 1; i <= vistlib::MaxWindows; ++i) {
    EXPECT_EQ(t.WindowNames[i], "No Info");
  }
  EXPECT_EQ(t.WindowNames[0], "No Info");
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(CaptureTest, ActiveWindowIsTheForegroundWindowsRectangle) {
  PaintedWindow window("active", {220, 130, 520, 330}, RGB(9, 9, 9),
                       WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetForegroundWindow(window.get());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.get(); }));
  Cheese("0");
  vistrel::Rect rect;
  GiveActiveWindow(&rect);
  EXPECT_EQ(rect, RectOf(window.get()));
  EXPECT_EQ(vistlib::Engine().ForegroundWindow, window.get());

  // A minimised foreground window still gives its rectangle, off screen.
  ShowWindow(window.get(), SW_MINIMIZE);
  SetForegroundWindow(window.get());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.get(); }));
  Cheese("0");
  GiveActiveWindow(&rect);
  EXPECT_EQ(rect, RectOf(window.get()));
}

TEST_F(CaptureTest, CaptureIsTheScreenAtItsSizeAndItsWindowsColours) {
  PaintedWindow window("colours", {400, 300, 600, 500}, RGB(12, 34, 56));
  enginetest::Drain(notify.get());
  Cheese("0");
  Pixels pixels = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  ASSERT_EQ(pixels.width, GetSystemMetrics(SM_CXSCREEN));
  ASSERT_EQ(pixels.height, GetSystemMetrics(SM_CYSCREEN));
  for (int y = 300; y < 500; y += 7) {
    for (int x = 400; x < 600; x += 7) ASSERT_EQ(pixels.At(x, y), Rgb(12, 34, 56)) << x << "," << y;
  }
  // Until the editor changes it, the editor's image is the capture itself:
  // no second screen of memory is held.
  EXPECT_TRUE(vistlib::Engine().EditorImage.Empty());
  EXPECT_EQ(&vistlib::EditorPicture(vistlib::Engine()), &vistlib::Engine().CaptureBitmap);
}

TEST_F(CaptureTest, CursorIsDrawnWithItsTopLeftAtThePointerOnlyForOne) {
  // A black square cursor with its hot spot in the middle: if the hot spot
  // were subtracted, the square would start 16 pixels up and left.
  std::vector<BYTE> andMask(32 * 4, 0x00), xorMask(32 * 4, 0x00);
  HCURSOR square =
      CreateCursor(GetModuleHandleA(nullptr), 16, 16, 32, 32, andMask.data(), xorMask.data());
  ASSERT_NE(square, nullptr);
  const uint32_t green = Rgb(0, 160, 0);
  PaintedWindow window("cursor", {600, 400, 900, 700}, RGB(0, 160, 0));
  SetClassLongPtrA(window.get(), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(square));
  SetForegroundWindow(window.get());
  SetCursorPos(700, 500);
  SetCursor(square);
  ASSERT_TRUE(PumpUntil([&] {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && info.hCursor == square && info.ptScreenPos.x == 700 &&
           info.ptScreenPos.y == 500;
  })) << "Wine reports no cursor over its window";

  auto squareDrawn = [&](const Pixels& p) {
    for (int y = 500; y < 532; ++y)
      for (int x = 700; x < 732; ++x)
        if (p.At(x, y) != 0) return false;
    return true;
  };
  auto untouched = [&](const Pixels& p) {
    for (int y = 484; y < 540; ++y)
      for (int x = 684; x < 740; ++x)
        if (p.At(x, y) != green) return false;
    return true;
  };
  auto aboveAndLeftUntouched = [&](const Pixels& p) {
    for (int y = 484; y < 500; ++y)
      for (int x = 684; x < 732; ++x)
        if (p.At(x, y) != green) return false;
    for (int y = 500; y < 532; ++y)
      for (int x = 684; x < 700; ++x)
        if (p.At(x, y) != green) return false;
    return true;
  };

  Cheese("1");
  Pixels with = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  EXPECT_TRUE(squareDrawn(with));
  EXPECT_TRUE(aboveAndLeftUntouched(with));
  for (const char* other : {"0", "", "x"}) {
    Cheese(other);
    EXPECT_TRUE(untouched(enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get())))
        << '"' << other << '"';
  }
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  DestroyCursor(square);
}

TEST_F(CaptureTest, SeventyWindowsGiveSixtyThreeEntriesOneMessageAndAWholeCapture) {
  std::vector<std::unique_ptr<PaintedWindow>> windows;
  for (int i = 0; i < 70; ++i) {
    windows.push_back(std::make_unique<PaintedWindow>(
        "many", RECT{10 + i * 5, 10 + i * 5, 110 + i * 5, 110 + i * 5}, RGB(0, 0, 255)));
  }
  enginetest::Drain(notify.get());
  Cheese("0");
  EXPECT_EQ(Table().WindowCount, 63);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0], vistlib::kTooManyWindowsText);
  // The top-most windows are the ones left out: the walk goes bottom-up.
  EXPECT_EQ(IndexOf(windows.back()->get()), 0);
  Pixels pixels = enginetest::ReadPixels(vistlib::Engine().CaptureBitmap.bitmap.get());
  EXPECT_EQ(pixels.width, GetSystemMetrics(SM_CXSCREEN));
  // The last window's colour is in the capture: it was copied whole.
  EXPECT_EQ(pixels.At(10 + 69 * 5 + 50, 10 + 69 * 5 + 50), Rgb(0, 0, 255));
}

TEST_F(CaptureTest, EachCaptureStartsANewTable) {
  auto window = std::make_unique<PaintedWindow>("gone soon", RECT{10, 10, 200, 200}, RGB(1, 2, 3));
  Cheese("0");
  int at = IndexOf(window->get());
  ASSERT_GT(at, 0);
  vistlib::Engine().Table.WindowSelected[at] = 1;
  vistlib::Engine().Table.WindowBorderState[at] = 5;
  vistlib::Engine().Table.ManualIndex = at;
  HWND old = window->get();
  window.reset();
  Cheese("0");
  EXPECT_EQ(IndexOf(old), 0);
  for (int i = 0; i <= vistlib::MaxWindows; ++i) {
    EXPECT_EQ(Table().WindowSelected[i], 0);
    EXPECT_EQ(Table().WindowBorderState[i], 0);
  }
  EXPECT_EQ(Table().ManualIndex, -1);
}

}  // namespace

// The copy of a desktop whose monitors lie left of and above the primary one:
// a memory context stands in for the screen, its origin moved so that screen
// coordinates -300,-100 are its first pixel.
TEST(CopyVirtualScreen, NegativeOriginsComeOutPixelExactWithTheGapFilled) {
  // A 300x100 monitor at -300,-100..0,0 and the 200x150 primary at 0,0,
  // with a 50-pixel gap right of the primary reaching to a 100x150 monitor.
  const std::vector<vistlib::MonitorInfo> monitors{{{-300, -100, 0, 0}, 96, false},
                                                   {{0, 0, 200, 150}, 144, true},
                                                   {{250, 0, 350, 150}, 96, false}};
  const vistrel::Rect virtualScreen = vistlib::VirtualScreen(monitors);
  ASSERT_EQ(virtualScreen, (vistrel::Rect{-300, -100, 350, 150}));

  HDC screen = GetDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HBITMAP device = CreateCompatibleBitmap(screen, 650, 250);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(source, device);
  // Screen x,y lands on device pixel x+300, y+100.
  SetViewportOrgEx(source, 300, 100, nullptr);
  // Whatever a real device would give where no monitor is.
  RECT all{-300, -100, 350, 150};
  HBRUSH garbage = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(source, &all, garbage);
  for (int y = -100; y < 150; ++y)
    for (int x = -300; x < 350; ++x)
      for (const vistlib::MonitorInfo& m : monitors)
        if (x >= m.rect.left && x < m.rect.right && y >= m.rect.top && y < m.rect.bottom)
          SetPixel(source, x, y, RGB(x & 0xFF, y & 0xFF, (x >> 8) & 0x0F));

  vistlib::Bitmap copy = vistlib::CopyVirtualScreen(source, virtualScreen, monitors);
  SelectObject(source, old);
  DeleteObject(device);
  DeleteObject(garbage);
  DeleteDC(source);

  ASSERT_TRUE(copy);
  Pixels pixels = enginetest::ReadPixels(copy.get());
  ASSERT_EQ(pixels.width, 650);
  ASSERT_EQ(pixels.height, 250);
  int wrong = 0;
  for (int y = -100; y < 150; ++y) {
    for (int x = -300; x < 350; ++x) {
      bool shown = false;
      for (const vistlib::MonitorInfo& m : monitors)
        shown |= x >= m.rect.left && x < m.rect.right && y >= m.rect.top && y < m.rect.bottom;
      const uint32_t expected =
          shown ? Rgb(x & 0xFF, y & 0xFF, (x >> 8) & 0x0F) : Rgb(128, 128, 128);
      if (pixels.At(x + 300, y + 100) != expected && ++wrong <= 5) {
        ADD_FAILURE() << "screen " << x << "," << y << " holds " << std::hex
                      << pixels.At(x + 300, y + 100) << " instead of " << expected;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
}
