#include "packed_dib.h"

#include <cstring>

namespace vistrel {

namespace {

uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER; later headers are longer

}  // namespace

std::optional<PackedDibLayout> ReadPackedDibLayout(const void* data, size_t size) {
  if (data == nullptr || size < kInfoHeaderSize) return std::nullopt;
  const auto* bytes = static_cast<const uint8_t*>(data);
  const uint32_t headerSize = U32(bytes);
  const auto width = static_cast<int32_t>(U32(bytes + 4));
  const auto height = static_cast<int32_t>(U32(bytes + 8));
  const uint16_t planes = U16(bytes + 12);
  PackedDibLayout layout;
  layout.bitCount = U16(bytes + 14);
  layout.compression = U32(bytes + 16);
  const uint32_t sizeImage = U32(bytes + 20);
  const uint32_t coloursUsed = U32(bytes + 32);

  if (headerSize < kInfoHeaderSize || headerSize > size || planes != 1) return std::nullopt;
  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
  switch (layout.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return std::nullopt;
  }
  layout.width = width;
  layout.height = height < 0 ? -height : height;
  layout.topDown = height < 0;

  // Masks follow a plain info header for bit fields; later headers hold them.
  uint64_t colours = coloursUsed;
  if (colours == 0 && layout.bitCount <= 8) colours = uint64_t{1} << layout.bitCount;
  uint64_t offset = uint64_t{headerSize} + colours * 4;
  if (layout.compression == kDibBitfields && headerSize == kInfoHeaderSize) offset += 12;
  if (offset > size) return std::nullopt;
  layout.bitsOffset = static_cast<size_t>(offset);

  uint64_t needed = 0;
  switch (layout.compression) {
    case kDibRgb:
    case kDibBitfields: {
      const uint64_t stride = ((uint64_t{static_cast<uint32_t>(width)} * layout.bitCount + 31) / 32) * 4;
      needed = stride * static_cast<uint64_t>(layout.height);
      layout.stride = static_cast<size_t>(stride);
      break;
    }
    case kDibRle8:
    case kDibRle4:
      needed = sizeImage;
      break;
    default:
      return std::nullopt;  // JPEG or PNG inside a DIB: not something a clipboard bitmap holds
  }
  if (needed > size - layout.bitsOffset) return std::nullopt;
  layout.bitsSize = static_cast<size_t>(needed);
  return layout;
}

}  // namespace vistrel
