#pragma once
// Hands a picture to the clipboard as CF_BITMAP, with CF_PALETTE when it has a
// palette.
#include <windows.h>

#include "gdi_win.h"

namespace vistlib {

// Replaces the clipboard's contents with a copy of `picture` (an empty picture
// leaves the clipboard empty, so no stale image is taken for it). Returns
// false when the clipboard stayed busy or refused the image; the caller tells
// the user.
bool PutPictureOnClipboard(HWND owner, const Picture& picture);

}  // namespace vistlib
