#pragma once
// Pixels between GDI and the editor's buffers.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "edit_image.h"
#include "gdi_win.h"
#include "view_model.h"

namespace vistlib {

// The picture's pixels; an empty image when it has none.
Image ImageFromBitmap(HBITMAP bitmap);
// A bitmap of the display's kind holding the image.
Bitmap BitmapFromImage(const Image& image);

// A 32-bit DIB section that mirrors the image for painting.
class DisplayCopy {
 public:
  void Update(const Image& image);
  // Only `part` of an image of the size the copy already has.
  void Update(const Image& image, const vistrel::Rect& part);
  // Paints the part `part` of the zoomed view (view pixels from the image's
  // origin) with its top left at `at`. The zoom is done here, by the view's
  // own mapping, not by StretchBlt, whose rounding is the driver's: outlines
  // and the rubber band must meet the pixels they mark. False when GDI failed.
  bool Paint(HDC dc, const ViewModel& view, POINT at, const RECT& part) const;

 private:
  Bitmap section_;
  void* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  mutable std::vector<uint32_t> zoomed_;  // reused from paint to paint
};

}  // namespace vistlib
