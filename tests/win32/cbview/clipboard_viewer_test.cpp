// The viewer window on the test's own thread: it follows what other windows
// put on the clipboard, keeps the clipboard-viewer chain intact while others
// join and leave, reports a clipboard held by another program, and leaves the
// chain with its window when closed.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <thread>

#include "cb_viewer_win.h"
#include "chain_recorder_win.h"
#include "text_fit_win.h"

namespace vistlib::cbview {
namespace {

using cbview_test::ChainRecorder;
using cbview_test::PumpUntil;
using cbview_test::PutOnClipboard;
using cbview_test::TextBlock;
using cbview_test::TextOf;

class OpenViewer {
 public:
  OpenViewer() {
    viewer_.Show();
    inner_ = FindWindowExA(viewer_.Handle(), nullptr, kViewerClassName, nullptr);
    other_ = CreateWindowExA(0, "STATIC", "another program", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             nullptr, nullptr);
  }
  ~OpenViewer() { DestroyWindow(other_); }

  HWND Frame() const { return viewer_.Handle(); }
  HWND Inner() const { return inner_; }
  HWND Other() const { return other_; }
  ViewFormat Shown() const {
    return static_cast<ViewFormat>(SendMessageA(inner_, kGetShownFormat, 0, 0));
  }
  std::string Text() const { return TextOf(FindWindowExA(inner_, nullptr, "EDIT", nullptr)); }
  std::string Status() const {
    return TextOf(FindWindowExA(viewer_.Handle(), nullptr, STATUSCLASSNAMEA, nullptr));
  }
  bool Showing(ViewFormat format, const std::string& text = "") const {
    return Shown() == format && (text.empty() || Text() == text);
  }
  void PutText(const std::string& text) const {
    ASSERT_TRUE(PutOnClipboard(other_, CF_TEXT, TextBlock(text)));
  }

 private:
  TCBViewer viewer_;
  HWND inner_ = nullptr;
  HWND other_ = nullptr;
};

HBITMAP SmallBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 30);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HPALETTE SixteenColours() {
  BYTE block[sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY)] = {};
  auto* logical = reinterpret_cast<LOGPALETTE*>(block);
  logical->palVersion = 0x300;
  logical->palNumEntries = 16;
  for (int i = 0; i < 16; ++i)
    logical->palPalEntry[i] = {static_cast<BYTE>(i * 16), 0, static_cast<BYTE>(255 - i * 16), 0};
  return CreatePalette(logical);
}

// Moved onto a monitor of another DPI, the viewer takes the suggested
// rectangle and its button and panel scale with it, there and back.
TEST(ClipboardViewer, FollowsAChangeOfDpiThereAndBack) {
  OpenViewer viewer;
  HWND button = FindWindowExA(viewer.Frame(), nullptr, "BUTTON", nullptr);
  auto size = [](HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    return SIZE{box.right - box.left, box.bottom - box.top};
  };
  auto top = [&](HWND child) {
    RECT box{};
    GetWindowRect(child, &box);
    MapWindowPoints(nullptr, viewer.Frame(), reinterpret_cast<POINT*>(&box), 2);
    return static_cast<int>(box.top);
  };
  // A size that fits the screen at twice the DPI, whatever placement is stored.
  SetWindowPos(viewer.Frame(), nullptr, 10, 10, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT frame{};
  GetWindowRect(viewer.Frame(), &frame);
  const SIZE button96 = size(button);
  const int inner96 = top(viewer.Inner());
  for (const int dpi : {192, 96}) {
    SCOPED_TRACE(dpi);
    RECT suggested = {frame.left, frame.top, frame.left + MulDiv(frame.right - frame.left, dpi, 96),
                      frame.top + MulDiv(frame.bottom - frame.top, dpi, 96)};
    SendMessageA(viewer.Frame(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(size(viewer.Frame()).cx, suggested.right - suggested.left);
    EXPECT_EQ(size(button).cx, MulDiv(button96.cx, dpi, 96));
    EXPECT_EQ(size(button).cy, MulDiv(button96.cy, dpi, 96));
    EXPECT_EQ(top(viewer.Inner()), MulDiv(inner96, dpi, 96));
    const textfit::Check check = textfit::Measure(viewer.Frame());
    EXPECT_EQ(check.checked, 1);
    EXPECT_EQ(check.clipped, 0) << check.report;
  }
}

TEST(ClipboardViewer, FollowsEveryChangeAndKeepsTheChain) {
  ChainRecorder first, middle;  // joined before the viewer: it passes on to them
  first.Join();
  middle.Join();
  HWND inner = nullptr;
  {
    OpenViewer viewer;
    inner = viewer.Inner();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(GetClipboardViewer(), inner);

    viewer.PutText("Hello\nclipboard");
    EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvText, "Hello\r\nclipboard"); }))
        << viewer.Text();
    EXPECT_TRUE(PumpUntil([&] { return first.draws > 0; })) << "the change was not passed on";

    ASSERT_TRUE(PutOnClipboard(viewer.Other(), CF_BITMAP, SmallBitmap()));
    EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvBitmap); }));

    ASSERT_TRUE(PutOnClipboard(viewer.Other(), CF_PALETTE, SixteenColours()));
    EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvPalette); }));

    ASSERT_TRUE(PutOnClipboard(viewer.Other(), 0, nullptr));
    EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvEmpty, kEmptyText); }))
        << viewer.Text();

    // The last window leaves: the notice passes through the viewer to its next.
    const int changesBefore = middle.chainChanges;
    first.Leave();
    EXPECT_TRUE(PumpUntil([&] { return middle.chainChanges > changesBefore; }))
        << "the viewer did not pass the leaving notice on";

    // A later viewer joins and the one after ours leaves in the middle.
    ChainRecorder later;
    later.Join();
    middle.Leave();
    const int middleDraws = middle.draws, laterDraws = later.draws;
    viewer.PutText("after the middle left");
    EXPECT_TRUE(
        PumpUntil([&] { return viewer.Showing(ViewFormat::cvText, "after the middle left"); }));
    EXPECT_GT(later.draws, laterDraws);
    EXPECT_EQ(middle.draws, middleDraws) << "a window that left still got changes";

    // The first in the chain leaves too; changes still reach the viewer.
    later.Leave();
    viewer.PutText("still followed");
    EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvText, "still followed"); }));

    // Closed by its button: the window is destroyed and leaves the chain.
    HWND button = GetDlgItem(viewer.Frame(), kUnloadButtonId);
    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(inner); })) << "the viewer window was kept";
    EXPECT_EQ(FindWindowA(kCBViewerClassName, nullptr), nullptr);
  }
  EXPECT_NE(GetClipboardViewer(), inner);
  // A viewer joining now is the whole chain and gets every change.
  ChainRecorder after;
  after.Join();
  const int draws = after.draws;
  HWND other =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(PutOnClipboard(other, CF_TEXT, TextBlock("after closing")));
  EXPECT_TRUE(PumpUntil([&] { return after.draws > draws; }));
  after.Leave();
  DestroyWindow(other);
}

TEST(ClipboardViewer, ClipboardHeldByAnotherProgramIsReportedThenShown) {
  OpenViewer viewer;
  HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    HWND window =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    OpenClipboard(window);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, TextBlock("held for a while"));
    SetEvent(holding);
    WaitForSingleObject(release, 20000);
    CloseClipboard();
    DestroyWindow(window);
  });
  ASSERT_EQ(WaitForSingleObject(holding, 20000), WAIT_OBJECT_0);
  // As if the change had been announced while the other program still holds it.
  SendMessageA(viewer.Inner(), WM_DRAWCLIPBOARD, 0, 0);
  EXPECT_EQ(viewer.Status(), kClipboardBusyText);
  EXPECT_TRUE(IsWindow(viewer.Inner()));
  SetEvent(release);
  EXPECT_TRUE(PumpUntil([&] { return viewer.Showing(ViewFormat::cvText, "held for a while"); }))
      << viewer.Text();
  EXPECT_EQ(viewer.Status(), "");
  holder.join();
  CloseHandle(holding);
  CloseHandle(release);
}

}  // namespace
}  // namespace vistlib::cbview
