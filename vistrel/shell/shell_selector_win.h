#pragma once
// The capture area selector, as the wizard opens it from "Selected area...".
#include <windows.h>

namespace vistrel {

// Shows the main window as the area selector, modally, over `owner`: the
// capture `capture` (not taken over) is shown, the option matching the
// wizard's crop style (0 active window, 1 full screen, 2 selected area) is on.
// Returns when the user goes back to the wizard; the result is the crop style
// the wizard should select. The caller sets and clears DialogOpen.
int RunAreaSelector(HWND owner, HBITMAP capture, int cropStyle);

}  // namespace vistrel
