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
  // "Selected area...": shows the area selector modally over `owner` on the
  // capture `wholePic` (not taken over), its option matching `cropStyle`
  // (0 active window, 1 full screen, 2 selected area). Returns the crop style
  // the wizard selects afterwards (-1 keeps the current one). The wizard sets
  // and clears DialogOpen around it.
  std::function<int(HWND owner, HBITMAP wholePic, int cropStyle)> runAreaSelector;
  // The "Wahl" setting re-read when the wizard opens: the shell's area choice.
  std::function<void(int wahl)> applyAreaChoice;
  // Hides the output preview window (when there is one).
  std::function<void()> hideOutputPreview;
  // "&Setup": the setup dialog, modal over `owner`.
  std::function<void(HWND owner)> showSetup;
};

// Start-up: loads the window hidden (its pages, the format list, centred),
// without opening a walk. Returns false when the window cannot be created.
bool PreloadWizard(HINSTANCE instance, const ShellHooks& hooks);
HWND WizardWindow();

// Capture, in the shell's order: ResetCurrentPage at its start;
// ReleasePictures before the screen is copied (the last capture's pictures
// would only add to the memory the new one takes); after
// the capture, TakeCapture (WholePic and TempPic become the library's picture,
// which the wizard then owns; false and empty pictures when there is none); then
// OpenWizard (settings and the walk's start, which may run straight through
// when every page is hidden); then ShowSelection and ShowWizard.
void ResetCurrentPage();
void ReleasePictures();
bool TakeCapture(HBITMAP picture);
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
// After the unit was changed elsewhere (the setup dialog): the unit caption,
// the size boxes and the selection text follow the stored "ScaleSystem".
void RefreshUnits();
// The setup dialog's page choice copied to the wizard's own "don't show" box.
void SetNotShow(int page, bool on);

// For the shell's message loop: keyboard navigation (Tab, Alt+letter) in the
// wizard's pages. True when the message was handled.
bool IsWizardDialogMessage(MSG* message);

// The three pictures, owned by the wizard (valid until the next capture).
HBITMAP WholePic();
HBITMAP TempPic();
HBITMAP FxPic();

}  // namespace vistrel::wizard
