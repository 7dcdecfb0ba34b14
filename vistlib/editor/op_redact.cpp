// Redaction: the area of every selected entry is overwritten, in every region
// that shows a part of it and in the image itself, with pixels that follow
// from the area's geometry and the style alone. Nothing of what was there can
// be read back from the result, not even as an average.
#include <algorithm>

#include "operations.h"

namespace vistlib {
namespace {

// Mosaic colours: muted tones that read as "hidden" on any picture.
constexpr uint32_t kMosaicPalette[] = {0x3C3C46, 0x5A5A64, 0x787882, 0x46505A,
                                       0x645A50, 0x505A46, 0x2D2D32, 0x8C8C96};
constexpr int kMosaicBlock = 8;

uint32_t Mix(uint32_t value) {
  value ^= value >> 16;
  value *= 0x7FEB352Du;
  value ^= value >> 15;
  value *= 0x846CA68Bu;
  value ^= value >> 16;
  return value;
}

// The pixel the redaction puts at image point (x, y) of `area`.
uint32_t RedactedPixel(const vistrel::Rect& area, RedactStyle style, uint32_t fill, int x, int y) {
  switch (style) {
    case RedactStyle::BlackBox:
      return 0x000000;
    case RedactStyle::FillColour:
      return fill & 0xFFFFFF;
    case RedactStyle::Mosaic:
      break;
  }
  const uint32_t bx = static_cast<uint32_t>((x - area.left) / kMosaicBlock);
  const uint32_t by = static_cast<uint32_t>((y - area.top) / kMosaicBlock);
  const uint32_t seed = Mix(
      static_cast<uint32_t>(area.left) * 73856093u ^ static_cast<uint32_t>(area.top) * 19349663u ^
      static_cast<uint32_t>(area.Width()) * 83492791u ^ static_cast<uint32_t>(area.Height()));
  constexpr uint32_t count = sizeof kMosaicPalette / sizeof kMosaicPalette[0];
  return kMosaicPalette[Mix(seed ^ Mix(bx * 2654435761u ^ by)) % count];
}

// Writes the redaction into `region`, shown at `place`, wherever it shows a
// pixel of `area`. The mapping is StretchInto's, walked from the region's
// side so that every region pixel behind the area is reached, also when the
// region is larger than its place.
void RedactRegion(Image& region, const vistrel::Rect& place, const vistrel::Rect& area,
                  RedactStyle style, uint32_t fill) {
  if (region.Empty()) return;
  const vistrel::Rect n = Normalised(place);
  const int64_t w = n.Width(), h = n.Height();
  if (w == 0 || h == 0) return;
  const bool flipX = place.right < place.left, flipY = place.bottom < place.top;
  auto imageCoordinate = [](int64_t s, int64_t size, int64_t extent, bool flip, int origin) {
    if (flip) s = size - 1 - s;
    // The first and last image pixels that show source pixel s.
    const int64_t first = (s * extent + size - 1) / size;
    const int64_t last = std::max(first, ((s + 1) * extent + size - 1) / size - 1);
    return std::pair<int64_t, int64_t>{origin + first, origin + last};
  };
  for (int sy = 0; sy < region.height; ++sy) {
    const auto [y0, y1] = imageCoordinate(sy, region.height, h, flipY, n.top);
    const int64_t y = std::clamp<int64_t>(area.top, y0, y1);
    if (y1 < area.top || y0 >= area.bottom) continue;
    for (int sx = 0; sx < region.width; ++sx) {
      const auto [x0, x1] = imageCoordinate(sx, region.width, w, flipX, n.left);
      if (x1 < area.left || x0 >= area.right) continue;
      const int64_t x = std::clamp<int64_t>(area.left, x0, x1);
      region.At(sx, sy) =
          RedactedPixel(area, style, fill, static_cast<int>(x), static_cast<int>(y));
    }
  }
}

}  // namespace

void RedactSelected(EditDocument& document, RedactStyle style, uint32_t fillPixel) {
  WindowTable& table = *document.table;
  for (int i = 1; i <= table.WindowCount; ++i) {
    if (!table.WindowSelected[i]) continue;
    const vistrel::Rect area = Normalised(table.WindowRects[i]);
    if (area.Width() == 0 || area.Height() == 0) continue;
    // Every entry that shows a part of the area, the ones above it included:
    // a control over a redacted window must not stay readable.
    for (int j = 1; j <= table.WindowCount; ++j) {
      const vistrel::Rect other = Normalised(table.WindowRects[j]);
      if (other.right <= area.left || other.left >= area.right || other.bottom <= area.top ||
          other.top >= area.bottom) {
        continue;
      }
      RedactRegion(document.regions[j], table.WindowRects[j], area, style, fillPixel);
    }
    Image& image = document.image;
    for (int y = std::max(area.top, 0); y < std::min(area.bottom, image.height); ++y)
      for (int x = std::max(area.left, 0); x < std::min(area.right, image.width); ++x)
        image.At(x, y) = RedactedPixel(area, style, fillPixel, x, y);
  }
}

}  // namespace vistlib
