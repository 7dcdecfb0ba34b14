#pragma once
// Hands a picture to the clipboard as CF_BITMAP, with CF_PALETTE when it has a
// palette: a copy placed at once, or the capture promised and copied only when
// a program asks for it.
#include <windows.h>

#include "gdi_win.h"

namespace vistlib {

// Replaces the clipboard's contents with a copy of `picture` (an empty picture
// leaves the clipboard empty, so no stale image is taken for it). Returns
// false when the clipboard stayed busy or refused the image; the caller tells
// the user.
bool PutPictureOnClipboard(HWND owner, const Picture& picture);

// Replaces the clipboard's contents with a promise of `picture`'s formats,
// rendered by `owner` on WM_RENDERFORMAT (RenderPromisedFormat) for as long as
// the picture stays as it is. Returns false as PutPictureOnClipboard does.
bool PromisePictureOnClipboard(HWND owner, const Picture& picture);

// WM_RENDERFORMAT: places a copy of the picture in `format` on the clipboard,
// which the system holds open for it.
void RenderPromisedFormat(UINT format, const Picture& picture);

// Keeps a promise before the picture goes (WM_RENDERALLFORMATS, the library's
// end): every promised format placed, when the clipboard still belongs to
// `owner`.
void RenderEveryPromisedFormat(HWND owner, const Picture& picture);

// Empties the clipboard when it still holds `owner`'s promise, before the
// promised picture goes: a program that asks later finds nothing rather than
// another picture. Does not wait for a clipboard another program holds.
void WithdrawPromise(HWND owner);

}  // namespace vistlib
