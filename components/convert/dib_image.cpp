#include "dib_image.h"

namespace tiffdll {

std::optional<Image> ImageFromPlainDib(const vistrel::PackedDibLayout& layout, const void* block) {
  if (layout.compression != vistrel::kDibRgb || (layout.bitCount != 24 && layout.bitCount != 32)) {
    return std::nullopt;
  }
  if (!SizeAllowed(layout.width, layout.height)) return std::nullopt;
  const size_t step = layout.bitCount / 8;
  const auto* bits = static_cast<const uint8_t*>(block) + layout.bitsOffset;
  Image image(layout.width, layout.height);
  for (int y = 0; y < image.height; ++y) {
    const int from = layout.topDown ? y : image.height - 1 - y;
    const uint8_t* in = bits + static_cast<size_t>(from) * layout.stride;
    uint8_t* out = image.Row(y);
    for (int x = 0; x < image.width; ++x, in += step, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
  }
  return image;
}

}  // namespace tiffdll
