#pragma once
// Routines of the shell that every window of the program uses.
#include <windows.h>

namespace vistrel {

// Centres the window on the screen.
void CenterForm(HWND window);
// Puts the window into (on) or out of (off) the always-on-top band.
void SetTopmost(HWND window, bool on);
// Removes the tray icon, closes vistlib and the conversion component and ends
// the process.
[[noreturn]] void QuitProgram();
// The main window (hidden unless it shows the area selector); null before start-up.
HWND MainformWindow();
// Enables or disables the tray menu item "&Edit".
void EnableEditMenuItem(bool enabled);

}  // namespace vistrel
