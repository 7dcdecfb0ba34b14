#pragma once
// Reads the facts of the top-level windows and their direct children for the
// window table builder.
#include <windows.h>

#include <vector>

#include "window_table.h"

namespace vistlib {

// The top-level windows among the siblings of `start`, from the bottom of the
// Z order to the top, each with its direct children (top-most first).
std::vector<WindowFacts> WalkTopLevelWindows(HWND start);

}  // namespace vistlib
