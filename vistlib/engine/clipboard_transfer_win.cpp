#include "clipboard_transfer_win.h"

namespace vistlib {
namespace {

// Other programs hold the clipboard only for moments; wait that long.
constexpr DWORD kOpenTimeoutMs = 1000;

bool OpenClipboardWithin(HWND owner, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!OpenClipboard(owner)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

class ClipboardCloser {
 public:
  ClipboardCloser() = default;
  ClipboardCloser(const ClipboardCloser&) = delete;
  ClipboardCloser& operator=(const ClipboardCloser&) = delete;
  ~ClipboardCloser() { CloseClipboard(); }
};

}  // namespace

bool PutPictureOnClipboard(HWND owner, const Picture& picture) {
  // The copy is made before the clipboard opens, so it stays closed for as
  // short a time as can be.
  Picture copy = CopyPicture(picture);
  if (!picture.Empty() && copy.Empty()) return false;
  if (!OpenClipboardWithin(owner, kOpenTimeoutMs)) return false;
  ClipboardCloser closer;
  if (!EmptyClipboard()) return false;
  if (copy.Empty()) return true;
  // Once placed, the handles belong to the clipboard.
  if (SetClipboardData(CF_BITMAP, copy.bitmap.get()) == nullptr) return false;
  copy.bitmap.release();
  if (copy.palette) {
    if (SetClipboardData(CF_PALETTE, copy.palette.get()) == nullptr) return false;
    copy.palette.release();
  }
  return true;
}

bool PromisePictureOnClipboard(HWND owner, const Picture& picture) {
  if (!OpenClipboardWithin(owner, kOpenTimeoutMs)) return false;
  ClipboardCloser closer;
  if (!EmptyClipboard()) return false;
  if (picture.Empty()) return true;
  // A null handle: the data comes from the owner when it is asked for.
  SetClipboardData(CF_BITMAP, nullptr);
  if (picture.palette) SetClipboardData(CF_PALETTE, nullptr);
  // Whether a promise was taken shows only in the formats the clipboard lists.
  return IsClipboardFormatAvailable(CF_BITMAP) &&
         (!picture.palette || IsClipboardFormatAvailable(CF_PALETTE));
}

void RenderPromisedFormat(UINT format, const Picture& picture) {
  if (picture.Empty()) return;
  if (format == CF_BITMAP) {
    Bitmap copy = std::move(CopyPicture(picture).bitmap);
    if (copy && SetClipboardData(CF_BITMAP, copy.get()) != nullptr) copy.release();
  } else if (format == CF_PALETTE && picture.palette) {
    Palette copy = CopyPalette(picture.palette.get());
    if (copy && SetClipboardData(CF_PALETTE, copy.get()) != nullptr) copy.release();
  }
}

void WithdrawPromise(HWND owner) {
  // No waiting: the screen is copied next. A clipboard held by another program
  // keeps the promise, and the message window then renders nothing for it.
  if (!OpenClipboard(owner)) return;
  ClipboardCloser closer;
  if (GetClipboardOwner() == owner) EmptyClipboard();
}

void RenderEveryPromisedFormat(HWND owner, const Picture& picture) {
  if (!OpenClipboardWithin(owner, kOpenTimeoutMs)) return;
  ClipboardCloser closer;
  // Another program may have replaced the clipboard since.
  if (GetClipboardOwner() != owner) return;
  RenderPromisedFormat(CF_BITMAP, picture);
  RenderPromisedFormat(CF_PALETTE, picture);
}

}  // namespace vistlib
