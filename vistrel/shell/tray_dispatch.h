#pragma once
// What the tray icon's mouse events and vistlib's capture command lead to.
#include <cstdint>

namespace vistrel {

enum class TrayAction { None, Capture, PopUpMenu };

// The icon's mouse event (a window message number) to the shell's action:
// a double click captures, releasing the right button opens the menu, the
// rest (a single press included) does nothing.
TrayAction TrayEventAction(int event);

// The x coordinate, in pixels, of a mouse-move message's position parameter
// (the low 16 bits, signed).
int MouseX(int64_t positionParam);

// Whether a mouse move on the main window is vistlib's capture command.
bool IsCaptureCommand(int64_t positionParam);

}  // namespace vistrel
