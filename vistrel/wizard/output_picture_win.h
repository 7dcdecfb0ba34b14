#pragma once
// The check every output makes before it uses FxPic.
#include <windows.h>

#include "picture_win.h"

namespace vistrel {

// For the outputs (save, mail, print, clipboard copy): when `picture` is empty,
// shows kEmptyPictureText over `owner` and returns true; the caller then writes
// and sends nothing.
bool RefuseEmptyPicture(HWND owner, HBITMAP picture);

}  // namespace vistrel
