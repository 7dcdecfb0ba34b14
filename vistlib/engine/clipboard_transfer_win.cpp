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

}  // namespace vistlib
