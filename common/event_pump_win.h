#pragma once
// The program's one event pump, and the Win32 side of the rule in work_gate.h:
// handlers of commands ask MayStartWork first, and a window closed while work
// runs closes when the work has returned.
#include <windows.h>

#include "work_gate.h"

namespace vistrel {

// Lets pending window events run once, from inside a handler. Only work that
// holds a WorkScope may call it: what the user does meanwhile is refused.
inline void DoEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit request for the main loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    // Keys in a dialog move between its controls, as in the main loop.
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    char name[16] = {};
    if (root && GetClassNameA(root, name, sizeof name) > 0 && lstrcmpA(name, "#32770") == 0 &&
        IsDialogMessageA(root, &message)) {
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// For the handler of a command that starts work (a button, a menu item, a key):
// false, with the default beep, while other work runs; the command is refused.
inline bool MayStartWork() {
  if (!WorkRunning()) return true;
  MessageBeep(MB_OK);
  return false;
}

// For a window's WM_CLOSE: true when work runs, and the window is then asked
// again once the work has returned.
inline bool CloseWaitsForWork(HWND window) {
  if (!WorkRunning()) return false;
  AfterWork([window] {
    if (IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
  });
  return true;
}

}  // namespace vistrel
