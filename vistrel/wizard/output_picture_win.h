#pragma once
// The check every output makes before it uses FxPic.
#include <windows.h>

namespace vistrel {

// True when the bitmap is missing or has no pixels.
bool PictureIsEmpty(HBITMAP picture);

// For the outputs (save, mail, print, clipboard copy): when `picture` is empty,
// shows kEmptyPictureText over `owner` and returns true; the caller then writes
// and sends nothing.
bool RefuseEmptyPicture(HWND owner, HBITMAP picture);

}  // namespace vistrel
