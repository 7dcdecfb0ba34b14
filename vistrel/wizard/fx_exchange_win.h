#pragma once
// Pictures to and from the conversion component through the clipboard, the
// hourglass around long work, and DoFx on the real clipboard.
#include <windows.h>

#include <functional>
#include <string>

#include "effects_command.h"

namespace vistrel {

// ConvertImage(command) of the conversion component: the program's one
// instance unless another function is bound (tests bind stand-ins).
using ConvertImageFn = std::function<long(const std::string& command)>;
void SetConvertImage(ConvertImageFn convert);
long CallConvertImage(const std::string& command);

// Remembers the pointer and shows the hourglass; puts the pointer back when
// destroyed or on Restore.
class Hourglass {
 public:
  Hourglass();
  ~Hourglass();
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;
  void Show();
  void Restore();
  // True while some hourglass is shown: windows keep it when the pointer moves
  // over them while pending events run (WM_SETCURSOR would put the arrow back).
  static bool AnyShown();

 private:
  HCURSOR previous_ = nullptr;
  bool shown_ = false;
  static int shownCount_;
};

// Puts a copy of the bitmap on the clipboard as a 24-bit CF_DIB (readers that ask for
// CF_BITMAP get one made by Windows); empties it first when asked.
bool PutBitmapOnClipboard(HWND owner, HBITMAP bitmap, bool emptyFirst);

// True when the clipboard's owner (the window that last emptied it) belongs to
// this process: what it holds was placed by us or by the capture library.
bool ClipboardOwnedByThisProcess();

// A copy of the clipboard's picture as a device-dependent bitmap (the caller owns it),
// from the format that was placed, or nullptr when there is none.
HBITMAP CopyBitmapFromClipboard(HWND owner);

// A device-dependent copy of a bitmap (the caller owns it), or nullptr.
HBITMAP CopyBitmap(HBITMAP bitmap);

// The user's decimal separator.
char UserDecimalSeparator();

// The screen's twips per pixel in x (1440 / logical pixels per inch).
double ScreenTwipsPerPixelX();

// DoFx: turns TempPic into FxPic and returns the component's result (0 when it
// was not needed). *newFxPic receives the new picture, which the caller owns, or
// nullptr when there is none (an empty TempPic, nothing read back): FxPic then
// becomes empty rather than keep an earlier capture's picture.
long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP* newFxPic);

// The same for a wizard that keeps FxPic in one handle: `fxPic` receives the new
// picture or nullptr (the previous one is deleted).
long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP& fxPic);

// The caption of the program's plain message boxes.
inline constexpr char kProgramTitle[] = "Tarnwick Vistrel";

}  // namespace vistrel
