#pragma once
// The DPI a window is shown at, and lengths drawn for 96 dpi turned into its
// pixels. Windows built in code (not from a dialog template, which the system
// scales by its font) place their children with these.
#include <windows.h>

#include "gdi_handles_win.h"

namespace vistrel {

inline constexpr int kLayoutDpi = 96;

// The screen's DPI as this process sees it (the system DPI).
inline int SystemDpi() {
  WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kLayoutDpi;
}

// The DPI of the monitor `window` is laid out for: the window's own where the
// system knows it (Windows 10 and later), else the system DPI.
inline int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && getDpiForWindow != nullptr) {
    if (const UINT dpi = getDpiForWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

// A length laid out at 96 dpi, at `dpi`.
inline int Scaled(int length96, int dpi) { return MulDiv(length96, dpi, kLayoutDpi); }

}  // namespace vistrel
