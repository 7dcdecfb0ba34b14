#pragma once
// The count-down of a delayed capture: a small window near the pointer with
// the seconds left. Escape (wherever the keyboard focus is) or a click on it
// cancels. When the time is up the window is hidden and given time to leave
// the screen before the capture runs, so it never shows in the picture.
#include <windows.h>

#include <functional>

#include "gdi_handles_win.h"

namespace vistrel {

// Lets events run for a while, so that windows beneath one just hidden paint
// themselves again before the screen is read.
void LetScreenSettle(DWORD milliseconds);

class Countdown {
 public:
  // fired: the time is up; false: cancelled.
  using DoneFn = std::function<void(bool fired)>;
  using TickFn = std::function<void(int secondsLeft)>;

  Countdown() = default;
  ~Countdown();
  Countdown(const Countdown&) = delete;
  Countdown& operator=(const Countdown&) = delete;

  bool Active() const { return window_ != nullptr; }
  // False (nothing started) when one is already counting down or the window
  // cannot be made.
  bool Start(int milliseconds, TickFn tick, DoneFn done);
  // Cancels a running count-down: the window goes first, then done(false).
  void Cancel();

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Tick();
  void Finish(bool fired);
  void Paint();
  void SetDpi(int dpi);

  HWND window_ = nullptr;
  HHOOK keyboard_ = nullptr;
  Font font_;
  DWORD deadline_ = 0;
  int shown_ = -1;
  TickFn tick_;
  DoneFn done_;
};

}  // namespace vistrel
