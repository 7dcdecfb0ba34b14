#pragma once
// The hidden window that owns the Print Screen hot key and turns its presses
// into the capture command for the program's notification window.
#include <windows.h>

namespace vistlib {

// The capture command: a mouse move with these parameters, sent to the
// window given to Init.
constexpr LONG_PTR kCaptureCommandW = -123;
constexpr LONG_PTR kCaptureCommandL = -456;
constexpr UINT kPrintScreenKey = VK_SNAPSHOT;  // 0x2C, no modifiers

class TMsgForm {
 public:
  // Creates the window hidden, with an empty caption. Throws when the system
  // refuses the window.
  TMsgForm();
  // Destroying the form releases the hot key.
  ~TMsgForm();
  TMsgForm(const TMsgForm&) = delete;
  TMsgForm& operator=(const TMsgForm&) = delete;

  HWND Handle() const { return window_; }

  // Adds the global atom and registers Print Screen under it for this window;
  // each failure is shown as its own message and the other step still runs.
  void RegisterHotkey(HWND notifyWindow);
  // Unregisters the hot key and deletes the atom; safe to call twice.
  void ReleaseHotkey();
  // Gives up the key held now and registers the engine's CaptureKey instead.
  void ChangeHotkey();

 private:
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void WMHotKey(WPARAM id);
  void FormClose();
  // Registers CaptureKey under the atom and says what stands in its way.
  void TakeKey();

  HWND window_ = nullptr;
  bool registered_ = false;
};

}  // namespace vistlib
