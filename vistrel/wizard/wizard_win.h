#pragma once
// The output wizard window, as the rest of the program sees it. One window,
// created hidden at start-up and only hidden afterwards; everything here runs
// on the user-interface thread.
#include <windows.h>

#include <functional>

#include "twips_rect.h"

namespace vistrel::wizard {

// What the wizard asks of the shell. The shell fills these in before
// PreloadWizard; an empty function is skipped.
struct ShellHooks {
  // Ends the program (tray icon, library, converter), used when the walk ends
  // and "EndAfterShot" is 1. Does not return when it ends the process.
  std::function<void()> quitProgram;
  // Enables or disables the tray menu item "&Edit".
  std::function<void(bool enabled)> enableEditMenu;
  // "Selected area...": shows the area selector modally on `wholePic` with the
  // option `auswahl` (0 full screen, 1 active window, 2 cursor selection)
  // chosen. Returns when the selector is closed; the selector hands its choice
  // back through SetCropStyle/SetCropRect/ShowSelection before that.
  std::function<void(int auswahl, HBITMAP wholePic)> showSelectorModal;
  // The "Wahl" setting re-read when the wizard opens: the shell's area choice.
  std::function<void(int wahl)> applyAreaChoice;
  // Hides the output preview window (when there is one).
  std::function<void()> hideOutputPreview;
};

// Start-up: loads the window hidden (its pages, the format list, centred),
// without opening a walk. Returns false when the window cannot be created.
bool PreloadWizard(HINSTANCE instance, const ShellHooks& hooks);
HWND WizardWindow();

// Capture, in the shell's order: ResetCurrentPage at its start; after
// Transfer, LoadWholePicFromClipboard (WholePic and TempPic from the
// clipboard's bitmap; false and empty pictures when there is none); then
// OpenWizard (settings and the walk's start, which may run straight through
// when every page is hidden); then ShowSelection and ShowWizard.
void ResetCurrentPage();
bool LoadWholePicFromClipboard();
void OpenWizard();
void ShowWizard();
// Hides the wizard without ending the walk (the capture must not show it).
void HideWizard();
bool WizardVisible();
// Saves the settings, hides the wizard and the preview, enables "&Edit".
void CloseWizard();

// Area selector hand-over. Setting the crop style runs its click handler
// (the selection text is refreshed).
int CropStyle();
void SetCropStyle(int style);
TwipsRect CropRect();
void SetCropRect(const TwipsRect& rect);
void ShowSelection();

// The three pictures, owned by the wizard (valid until the next capture).
HBITMAP WholePic();
HBITMAP TempPic();
HBITMAP FxPic();

}  // namespace vistrel::wizard
