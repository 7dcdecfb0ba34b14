#include "edit_image.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace vistlib {

Image::Image(int w, int h, uint32_t fill)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      pixels(static_cast<size_t>(width) * height, fill) {}

vistrel::Rect Normalised(const vistrel::Rect& rect) {
  return {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
          std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
}

void StretchInto(Image& target, const vistrel::Rect& place, const Image& source, bool invert) {
  if (source.Empty()) return;
  const vistrel::Rect area = Normalised(place);
  const int64_t w = area.Width(), h = area.Height();
  if (w == 0 || h == 0) return;
  const bool flipX = place.right < place.left, flipY = place.bottom < place.top;
  const uint32_t mask = invert ? 0xFFFFFF : 0;
  const int x0 = std::max(area.left, 0), x1 = std::min<int>(area.right, target.width);
  const int y0 = std::max(area.top, 0), y1 = std::min<int>(area.bottom, target.height);
  for (int y = y0; y < y1; ++y) {
    int64_t sy = (y - area.top) * source.height / h;
    if (flipY) sy = source.height - 1 - sy;
    const uint32_t* row = &source.pixels[static_cast<size_t>(sy) * source.width];
    uint32_t* out = &target.pixels[static_cast<size_t>(y) * target.width];
    if (w == source.width && !flipX) {
      for (int x = x0; x < x1; ++x) out[x] = row[x - area.left] ^ mask;
      continue;
    }
    for (int x = x0; x < x1; ++x) {
      int64_t sx = (x - area.left) * source.width / w;
      if (flipX) sx = source.width - 1 - sx;
      out[x] = row[sx] ^ mask;
    }
  }
}

Image CopyOut(const Image& source, const vistrel::Rect& area, uint32_t outside) {
  const vistrel::Rect n = Normalised(area);
  Image out(n.Width(), n.Height(), outside);
  const bool flipX = area.right < area.left, flipY = area.bottom < area.top;
  // The part of each row inside the source, for the plain copy.
  const int x0 = std::clamp(-n.left, 0, out.width);
  const int x1 = std::clamp(source.width - n.left, x0, out.width);
  for (int y = 0; y < out.height; ++y) {
    const int sy = n.top + (flipY ? out.height - 1 - y : y);
    if (sy < 0 || sy >= source.height) continue;
    if (!flipX) {
      const auto from = source.pixels.begin() + (static_cast<ptrdiff_t>(sy) * source.width + n.left + x0);
      std::copy(from, from + (x1 - x0), out.pixels.begin() + (static_cast<ptrdiff_t>(y) * out.width + x0));
      continue;
    }
    for (int x = 0; x < out.width; ++x) {
      const int sx = n.left + (flipX ? out.width - 1 - x : x);
      if (sx >= 0 && sx < source.width) out.At(x, y) = source.At(sx, sy);
    }
  }
  return out;
}

}  // namespace vistlib
