#pragma once
// The editor's pixel buffer: 32 bits a pixel, 0x00RRGGBB, rows top-down, the
// layout of a top-down 32-bit DIB, so the Win32 side hands it to GDI as it is.
#include <cstdint>
#include <vector>

#include "rect.h"

namespace vistlib {

// A Windows colour value (0x00BBGGRR) as a pixel (0x00RRGGBB), and back.
constexpr uint32_t PixelOf(uint32_t colorRef) {
  return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}
constexpr uint32_t ColorRefOf(uint32_t pixel) { return PixelOf(pixel); }

constexpr uint32_t kWhitePixel = 0xFFFFFF;

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  Image() = default;
  Image(int w, int h, uint32_t fill = 0);

  bool Empty() const { return width <= 0 || height <= 0; }
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Image&) const = default;
};

// Copies `source` whole into `target` at `place`, stretched to it (nearest
// pixel); a place with right < left or bottom < top mirrors the copy. With
// `invert` every colour bit is flipped. Parts outside `target` are clipped.
void StretchInto(Image& target, const vistrel::Rect& place, const Image& source, bool invert);

// The pixels of `source` inside `area`, an image of the area's absolute size;
// an area with right < left or bottom < top is read mirrored, and pixels
// outside the source come out as `outside`.
Image CopyOut(const Image& source, const vistrel::Rect& area, uint32_t outside = 0);

// The rectangle with left <= right and top <= bottom.
vistrel::Rect Normalised(const vistrel::Rect& rect);

}  // namespace vistlib
