#pragma once
// Pixels between GDI and the editor's buffers.
#include <windows.h>

#include "edit_image.h"
#include "gdi_win.h"

namespace vistlib {

// The picture's pixels; an empty image when it has none.
Image ImageFromBitmap(HBITMAP bitmap);
// A bitmap of the display's kind holding the image.
Bitmap BitmapFromImage(const Image& image);

// A 32-bit DIB section that mirrors the image for painting.
class DisplayCopy {
 public:
  void Update(const Image& image);
  // Paints the image area `source` (image pixels) stretched to `target`.
  void Paint(HDC dc, const RECT& target, const RECT& source) const;

 private:
  Bitmap section_;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace vistlib
