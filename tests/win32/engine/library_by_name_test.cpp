// The engine as the program meets it: vistlib.dll loaded by name, its exports
// called through GetProcAddress, its messages in real message boxes.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine_test_support_win.h"
#include "vistlib.h"

namespace {

// Watches for message boxes of this process, notes caption and text, and
// presses OK, while it lives.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() : thread_([this] { Run(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  struct Search {
    DWORD process;
    HWND found;
  };
  static BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
      search->found = window;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK CollectStatic(HWND child, LPARAM data) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") == 0) {
      char text[512] = "";
      GetWindowTextA(child, text, sizeof text);
      *reinterpret_cast<std::string*>(data) += text;
    }
    return TRUE;
  }
  void Run() {
    while (!stop_) {
      Search search{GetCurrentProcessId(), nullptr};
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) {
        char caption[128] = "";
        GetWindowTextA(search.found, caption, sizeof caption);
        std::string text;
        EnumChildWindows(search.found, CollectStatic, reinterpret_cast<LPARAM>(&text));
        {
          std::lock_guard<std::mutex> lock(mutex_);
          seen_.push_back(std::string(caption) + "|" + text);
        }
        SendMessageA(search.found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        // Wait for that box to go before looking for the next one.
        for (int i = 0; i < 500 && IsWindow(search.found); ++i) Sleep(10);
      }
      Sleep(20);
    }
  }

  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> seen_;
  std::thread thread_;
};

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

TEST(LibraryByName, CaptureRoundTripThroughTheExports) {
  HMODULE module = LoadLibraryA("vistlib.dll");
  ASSERT_NE(module, nullptr);
  enginetest::NotifyWindow notify;
  enginetest::PaintedWindow window("by name", {300, 300, 500, 450}, RGB(33, 66, 99),
                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetForegroundWindow(window.get());
  enginetest::PumpUntil([&] { return GetForegroundWindow() == window.get(); });
  enginetest::Drain(notify.get());

  Export<vistlib::InitFn>(module, "Init")(reinterpret_cast<vistlib::WindowHandle>(notify.get()));
  vistrel::Rect rect{9, 9, 9, 9};
  Export<vistlib::GiveActiveWindowFn>(module, "GiveActiveWindow")(&rect);
  EXPECT_EQ(rect, (vistrel::Rect{0, 0, 0, 0}));
  Export<vistlib::CheeseFn>(module, "Cheese")("0");
  Export<vistlib::GiveActiveWindowFn>(module, "GiveActiveWindow")(&rect);
  RECT expected;
  GetWindowRect(GetForegroundWindow(), &expected);
  EXPECT_EQ(rect, (vistrel::Rect{expected.left, expected.top, expected.right, expected.bottom}));
  Export<vistlib::TransferFn>(module, "Transfer")();
  ASSERT_TRUE(OpenClipboard(nullptr));
  enginetest::Pixels pixels =
      enginetest::ReadPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  CloseClipboard();
  EXPECT_EQ(pixels.width, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(pixels.height, GetSystemMetrics(SM_CYSCREEN));
  POINT inside{400, 400};
  EXPECT_EQ(pixels.At(inside.x, inside.y), enginetest::Rgb(33, 66, 99));
  Export<vistlib::QuitFn>(module, "Quit")();
  FreeLibrary(module);
}

TEST(LibraryByName, HeldPrintScreenShowsOnePlainMessageBoxWithTheProgramTitle) {
  enginetest::OtherProcessHoldsPrintScreen other;
  ASSERT_TRUE(other.holding());
  HMODULE module = LoadLibraryA("vistlib.dll");
  ASSERT_NE(module, nullptr);
  enginetest::NotifyWindow notify;
  std::vector<std::string> seen;
  {
    MessageBoxWatcher watcher;
    Export<vistlib::InitFn>(module, "Init")(reinterpret_cast<vistlib::WindowHandle>(notify.get()));
    seen = watcher.Seen();
  }
  Export<vistlib::QuitFn>(module, "Quit")();
  FreeLibrary(module);
  ASSERT_EQ(seen.size(), 1u);
  // The known text first, then the cause.
  EXPECT_EQ(seen[0].rfind(
                "Tarnwick Vistrel|Unable to assign PrintScreen as hotkey. You will not be able to "
                "use the PrintScreen-key during this session!\n\nAnother program holds the Print "
                "Screen key",
                0),
            0u)
      << seen[0];
}

}  // namespace
