#pragma once
// One capture: the screen into CaptureBitmap, the active window's rectangle,
// the window table, and the new image for the editor.
#include "engine_state_win.h"

namespace vistlib {

void TakeCapture(EngineState& engine, bool drawCursor);

}  // namespace vistlib
