#pragma once
// The arithmetic of a desktop made of several monitors: the virtual screen
// they span (monitors left of or above the primary one have negative
// coordinates), the parts of it no monitor shows, the monitor under a point,
// and rectangles moved into the capture's pixels. A capture copies the whole
// virtual screen, so capture pixel (0, 0) is the virtual screen's top-left
// corner. All rectangles are physical pixels; nothing here is ever scaled.
#include <optional>
#include <vector>

#include "rect.h"

namespace vistlib {

inline constexpr int kDefaultDpi = 96;

struct MonitorInfo {
  vistrel::Rect rect;  // screen coordinates
  int dpi = kDefaultDpi;
  bool primary = false;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

using vistrel::Intersect;
using vistrel::IsEmpty;
using vistrel::Offset;
using vistrel::Union;

// The smallest rectangle holding every monitor; empty without monitors.
vistrel::Rect VirtualScreen(const std::vector<MonitorInfo>& monitors);

// The parts of `virtualScreen` that no monitor covers (beside a shorter
// monitor, or between monitors that leave a gap), as disjoint rectangles in
// screen coordinates. Filled with one colour they keep whatever the screen
// device holds there out of the picture.
std::vector<vistrel::Rect> UncoveredParts(const vistrel::Rect& virtualScreen,
                                          const std::vector<MonitorInfo>& monitors);

// The monitor that shows `point`; when none does (a gap, or beyond the
// edges), the nearest one, as the system picks for a window off screen.
// Nothing only without monitors.
std::optional<std::size_t> MonitorAt(const std::vector<MonitorInfo>& monitors, Point point);

// `screenRect` cut to what the monitors show: the smallest rectangle holding
// its parts on each monitor. Empty when no monitor shows any of it.
vistrel::Rect ClipToMonitors(const vistrel::Rect& screenRect,
                             const std::vector<MonitorInfo>& monitors);

// A screen rectangle in the pixels of a capture of `virtualScreen`.
vistrel::Rect ToCapturePixels(const vistrel::Rect& screenRect, const vistrel::Rect& virtualScreen);

// A length laid out for 96 dpi, at `dpi` (rounded half away from zero, as
// the system's MulDiv does).
int ScaleForDpi(int length96, int dpi);

// What a capture needs to know of the desktop at the moment it is taken.
struct DesktopLayout {
  std::vector<MonitorInfo> monitors;
  vistrel::Rect virtualScreen;
  Point pointer;

  // The pointer's monitor in capture pixels; the whole capture without monitors.
  vistrel::Rect PointerMonitorInCapture() const;
  // A window's rectangle cut to the monitors, in capture pixels. A window no
  // monitor shows (minimised, moved off screen) gives the whole capture, as a
  // rectangle that selects nothing would be of no use.
  vistrel::Rect WindowInCapture(const vistrel::Rect& screenRect) const;
  // The DPI of the monitor under the pointer.
  int PointerDpi() const;
};

}  // namespace vistlib
