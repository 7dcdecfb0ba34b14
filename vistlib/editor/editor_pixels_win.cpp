#include "editor_pixels_win.h"

#include <cstdlib>
#include <cstring>

#include "dib_info_win.h"

namespace vistlib {

using vistrel::TopDown32;

Image ImageFromBitmap(HBITMAP bitmap) {
  BITMAP facts{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof facts, &facts) == 0) return Image();
  Image image(facts.bmWidth, std::abs(facts.bmHeight));
  BITMAPINFO info = TopDown32(image.width, image.height);
  WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap, 0, image.height, image.pixels.data(), &info,
                DIB_RGB_COLORS) == 0) {
    return Image();
  }
  for (uint32_t& pixel : image.pixels) pixel &= 0xFFFFFF;
  return image;
}

Bitmap BitmapFromImage(const Image& image) {
  if (image.Empty()) return Bitmap();
  WindowDc screen(nullptr);
  Bitmap bitmap(CreateCompatibleBitmap(screen.get(), image.width, image.height));
  if (!bitmap) return bitmap;
  BITMAPINFO info = TopDown32(image.width, image.height);
  if (SetDIBits(screen.get(), bitmap.get(), 0, image.height, image.pixels.data(), &info,
                DIB_RGB_COLORS) == 0) {
    return Bitmap();
  }
  return bitmap;
}

void DisplayCopy::Update(const Image& image) {
  if (image.width != width_ || image.height != height_ || !section_) {
    section_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
    if (image.Empty()) return;
    BITMAPINFO info = TopDown32(image.width, image.height);
    section_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!section_) return;
    width_ = image.width;
    height_ = image.height;
  }
  std::memcpy(bits_, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
  GdiFlush();
}

void DisplayCopy::Update(const Image& image, const vistrel::Rect& part) {
  if (image.width != width_ || image.height != height_ || !section_) return Update(image);
  auto* bits = static_cast<uint32_t*>(bits_);
  for (int y = part.top; y < part.bottom; ++y) {
    const size_t row = static_cast<size_t>(y) * width_;
    std::memcpy(bits + row + part.left, &image.pixels[row + part.left],
                part.Width() * sizeof(uint32_t));
  }
  GdiFlush();
}

bool DisplayCopy::Paint(HDC dc, const ViewModel& view, POINT at, const RECT& part) const {
  const int width = part.right - part.left, height = part.bottom - part.top;
  if (!section_ || width <= 0 || height <= 0) return false;
  if (view.imageBounds.right != width_ || view.imageBounds.bottom != height_) return false;
  zoomed_.resize(static_cast<size_t>(width) * height);
  view.Render(static_cast<const uint32_t*>(bits_), part.left, part.top, width, height,
              zoomed_.data());
  BITMAPINFO info = TopDown32(width, height);
  return SetDIBitsToDevice(dc, at.x, at.y, width, height, 0, 0, 0, height, zoomed_.data(), &info,
                           DIB_RGB_COLORS) != 0;
}

}  // namespace vistlib
