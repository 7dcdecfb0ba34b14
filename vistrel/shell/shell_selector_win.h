#pragma once
// The capture area selector, as the wizard opens it from "Selected area...".
#include <windows.h>

namespace vistrel {

// Shows the main window as the area selector, modally: the capture `wholePic`
// (copied, not taken over) is shown and the option `auswahl` (0 full screen,
// 1 active window, 2 cursor selection) is on. Returns when the user goes back
// to the wizard, after the choice was handed to the wizard (crop style, crop
// rectangle, selection text). The caller sets and clears DialogOpen.
void ShowSelectorModal(int auswahl, HBITMAP wholePic);

}  // namespace vistrel
