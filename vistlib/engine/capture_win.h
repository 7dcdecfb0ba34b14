#pragma once
// One capture: the screen into CaptureBitmap, the active window's rectangle,
// the window table, and the new image for the editor.
#include <vector>

#include "engine_state_win.h"
#include "monitor_layout.h"

namespace vistlib {

// The colour of the parts of the virtual screen that no monitor shows.
inline constexpr COLORREF kUncoveredColour = RGB(128, 128, 128);

// A bitmap compatible with `source` holding `virtualScreen` of it (source
// coordinates are screen coordinates, so they are negative left of or above
// the primary monitor), with the parts no monitor covers filled with
// kUncoveredColour. Empty when the system refuses the bitmap or the copy.
Bitmap CopyVirtualScreen(HDC source, const vistrel::Rect& virtualScreen,
                         const std::vector<MonitorInfo>& monitors);

void TakeCapture(EngineState& engine, bool drawCursor);

}  // namespace vistlib
