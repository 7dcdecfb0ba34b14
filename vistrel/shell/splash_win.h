#pragma once
// The start-up window: the picture, the program's name and version, and the
// box that puts the program into Windows' autostart list.
#include <windows.h>

#include <functional>

namespace vistrel {

class SplashScreen {
 public:
  // Shows the window (not modal) and starts its 4-second timer; `onTimer`
  // runs after the window has been unloaded by the timer.
  static void Show(HINSTANCE instance, std::function<void()> onTimer);
  static HWND Window();
};

}  // namespace vistrel
