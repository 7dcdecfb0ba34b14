#pragma once
// What a close request on the main window leads to.

namespace vistrel {

// Why the window is asked to close.
enum class CloseReason {
  CloseBox = 0,      // the window's close box or system menu
  Code = 1,          // the program itself
  WindowsEnds = 2,   // Windows is shutting down or the user logs off
  TaskManager = 3,   // another program (a task list) closed the window
};

enum class CloseAction {
  // Refused: the selector was closed; hand its choice to the wizard.
  HandOverToWizard,
  // End the process now (the quit procedure asked for it).
  EndProcess,
  // Run the whole quit procedure: the session ends or another program closed
  // the window; the tray icon and the library must not be left behind.
  Quit,
};

CloseAction DecideClose(CloseReason reason, bool quitting, bool endRequested);

// The selector's options and the wizard's crop styles count differently:
// option 0 full screen, 1 active window, 2 drawn area; crop style 0 active
// window, 1 full screen, 2 drawn area. Option 3 and crop style 3 are both the
// monitor the pointer was on.
int CropStyleForAreaMode(int areaMode);
int AreaModeForCropStyle(int cropStyle);

}  // namespace vistrel
