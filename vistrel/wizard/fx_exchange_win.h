#pragma once
// DoFx on the real clipboard, and the conversion component it calls.
#include <windows.h>

#include <functional>
#include <string>

#include "clipboard_picture_win.h"
#include "effects_command.h"
#include "picture_win.h"
#include "user_locale_win.h"
#include "version.h"
#include "wait_cursor_win.h"

namespace vistrel {

// ConvertImage(command) of the conversion component: the program's one
// instance unless another function is bound (tests bind stand-ins).
using ConvertImageFn = std::function<long(const std::string& command)>;
void SetConvertImage(ConvertImageFn convert);
long CallConvertImage(const std::string& command);

// DoFx: turns TempPic into FxPic and returns the component's result (0 when it
// was not needed). *newFxPic receives the new picture, which the caller owns, or
// nullptr when there is none (an empty TempPic, nothing read back): FxPic then
// becomes empty rather than keep an earlier capture's picture.
long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             HBITMAP* newFxPic);

// The same for a shared FxPic: it becomes the new picture, or none. The
// caller keeps TempPic for as long as this runs.
long DoFxWin(HWND owner, const EffectsBoxes& boxes, const UnitScale& unit, HBITMAP tempPic,
             SharedPicture& fxPic);

// The caption of the program's plain message boxes.
inline constexpr char kProgramTitle[] = VISTREL_PRODUCT;

}  // namespace vistrel
