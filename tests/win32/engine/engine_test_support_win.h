#pragma once
// What the engine's Windows tests share: windows that paint a known colour,
// waiting with a deadline while messages run, the recorder that stands in
// for the library's message boxes, and pixel access to bitmaps.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace enginetest {

// Runs this thread's messages until `condition` holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Runs the messages that are waiting now, and those they cause, by posting a
// marker to `window` and pumping until it comes back.
void Drain(HWND window);

// A window of a class that fills itself with `colour`.
class PaintedWindow {
 public:
  PaintedWindow(const char* title, RECT rect, COLORREF colour, DWORD style = WS_POPUP | WS_VISIBLE,
                HWND parent = nullptr);
  ~PaintedWindow();
  PaintedWindow(const PaintedWindow&) = delete;
  PaintedWindow& operator=(const PaintedWindow&) = delete;
  HWND get() const { return window_; }

 private:
  HWND window_;
};

// Receives the capture command; keeps every mouse move it gets.
class NotifyWindow {
 public:
  NotifyWindow();
  ~NotifyWindow();
  HWND get() const { return window_; }
  struct Move {
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Move> moves;
  std::vector<WPARAM> hotkeys;  // WM_HOTKEY, when a test registers a key here

 private:
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  HWND window_;
};

// Replaces the library's message boxes with a list for as long as it lives.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  static std::vector<std::string>& Messages();
};

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // top-down rows, 0x00RRGGBB
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
};
Pixels ReadPixels(HBITMAP bitmap);

// 0x00RRGGBB as the pixels above hold it.
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return (r << 16) | (g << 8) | b; }

// Presses and releases a key through the system's input queue.
void PressKey(WORD key);

// Starts engine_helper.exe with `arguments`; nullptr when it did not start.
HANDLE StartHelper(const std::string& arguments);

// Another process that holds the Print Screen hot key while this lives.
class OtherProcessHoldsPrintScreen {
 public:
  OtherProcessHoldsPrintScreen();
  ~OtherProcessHoldsPrintScreen();
  bool holding() const { return holding_; }

 private:
  HANDLE ready_ = nullptr;
  HANDLE stop_ = nullptr;
  HANDLE process_ = nullptr;
  bool holding_ = false;
};

}  // namespace enginetest
