#pragma once
// The capture area selector, as the wizard opens it from "Selected area...".
#include <windows.h>

namespace vistrel {

// Shows the main window as the area selector, modally over `owner`: the
// capture `wholePic` (copied, not taken over) is shown and the option that
// matches the wizard's crop style `cropStyle` (0 active window, 1 full screen,
// 2 selected area) is on. Returns, when the user goes back to the wizard, the
// crop style chosen (the wizard's crop rectangle and selection text are
// already updated). The caller sets and clears DialogOpen.
int RunAreaSelector(HWND owner, HBITMAP wholePic, int cropStyle);

}  // namespace vistrel
