#pragma once
// Asks the system for the monitors, the virtual screen and the pointer, and
// hands the numbers to the portable layout. Shared by the library's capture
// and the program's crop choices, so both see the desktop the same way.
#include <windows.h>

#include <cstdint>

#include "monitor_layout.h"

namespace vistlib {

namespace monitorquery {

// MDT_EFFECTIVE_DPI of shcore's GetDpiForMonitor, which older systems lack.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

inline int SystemDpi() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return kDefaultDpi;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

inline int MonitorDpi(HMONITOR monitor, int fallback) {
  static const GetDpiForMonitorFn getDpi = [] {
    HMODULE shcore = LoadLibraryA("shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  UINT x = 0, y = 0;
  if (getDpi != nullptr && SUCCEEDED(getDpi(monitor, 0, &x, &y)) && x > 0)
    return static_cast<int>(x);
  return fallback;
}

struct EnumContext {
  std::vector<MonitorInfo>* monitors;
  int systemDpi;
};

inline BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* context = reinterpret_cast<EnumContext*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  context->monitors->push_back(MonitorInfo{vistrel::Rect{r.left, r.top, r.right, r.bottom},
                                           MonitorDpi(monitor, context->systemDpi),
                                           (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  return TRUE;
}

// SetThreadDpiAwarenessContext of newer systems, looked up by name.
using SetThreadDpiContextFn = void*(WINAPI*)(void*);

inline SetThreadDpiContextFn SetThreadDpiContext() {
  static const SetThreadDpiContextFn set = [] {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<SetThreadDpiContextFn>(reinterpret_cast<void*>(
                        GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                  : nullptr;
  }();
  return set;
}

}  // namespace monitorquery

// While it lives, this thread's calls see physical pixels on every monitor
// (per-monitor awareness, v2), whatever the program declares for its windows:
// a screen copy, monitor rectangles, window rectangles and the pointer are
// then never scaled for a monitor whose DPI differs from the system's. On
// systems without per-thread awareness it does nothing.
class PhysicalPixels {
 public:
  PhysicalPixels() {
    if (auto set = monitorquery::SetThreadDpiContext())
      previous_ = set(reinterpret_cast<void*>(static_cast<intptr_t>(-4)));
  }
  ~PhysicalPixels() {
    if (previous_ != nullptr) monitorquery::SetThreadDpiContext()(previous_);
  }
  PhysicalPixels(const PhysicalPixels&) = delete;
  PhysicalPixels& operator=(const PhysicalPixels&) = delete;

 private:
  void* previous_ = nullptr;
};

// The desktop as it is now, in physical pixels. Without a monitor list (a system that gives
// none) the primary screen stands alone at 0,0.
inline DesktopLayout ReadDesktopLayout() {
  PhysicalPixels physical;
  DesktopLayout layout;
  monitorquery::EnumContext context{&layout.monitors, monitorquery::SystemDpi()};
  EnumDisplayMonitors(nullptr, nullptr, &monitorquery::AddMonitor,
                      reinterpret_cast<LPARAM>(&context));
  if (layout.monitors.empty()) {
    layout.monitors.push_back(MonitorInfo{
        vistrel::Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
        context.systemDpi, true});
  }
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  layout.virtualScreen =
      cx > 0 && cy > 0 ? vistrel::Rect{x, y, x + cx, y + cy} : VirtualScreen(layout.monitors);
  POINT pointer{};
  if (GetCursorPos(&pointer)) layout.pointer = Point{pointer.x, pointer.y};
  return layout;
}

}  // namespace vistlib
