#pragma once
// Small decisions of a capture that need no window system.
#include <optional>

#include "rect.h"

namespace vistlib {

// The active window's rectangle for this capture. `foreground` is the
// foreground window's rectangle, or nothing when there is no foreground
// window; then the previous capture's value is kept. A rectangle whose right
// or bottom edge is 0 is no use for selecting, so the desktop's stands in.
vistrel::Rect ChooseActiveWindowRect(const std::optional<vistrel::Rect>& foreground,
                                     const vistrel::Rect& desktop, const vistrel::Rect& previous);

// The cursor goes into the capture exactly when the argument is "1"; a
// missing argument counts as any other text.
bool CursorRequested(const char* argument);

}  // namespace vistlib
